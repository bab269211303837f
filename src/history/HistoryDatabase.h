#pragma once

// The store's connection and the row helpers its parts share. Internal to the history library:
// the only header besides the store's own that sees sqlite3.h.

#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "history/HistoryStore.h"

namespace tomaro::history {

// A prepared statement, kept for the life of the store and reset after every use.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_Stmt, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(m_Stmt);
            m_Stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_Stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_Stmt != nullptr; }
    sqlite3_stmt* get() const { return m_Stmt; }
    // Reset and cleared of its bindings: ready for the next use.
    sqlite3_stmt* fresh() const {
        sqlite3_reset(m_Stmt);
        sqlite3_clear_bindings(m_Stmt);
        return m_Stmt;
    }

private:
    sqlite3_stmt* m_Stmt = nullptr;
};

struct HistoryStore::Impl {
    sqlite3* db = nullptr;
    std::map<std::string, std::unique_ptr<Statement>> statements;
    // False for a file of version 3 read as it is (a read-only store): it has no from_file column
    // and holds no readings from files.
    bool hasFromFile = true;

    // The columns every reading query reads, in this order (see readReading).
    std::string readingColumns() const {
        return std::string(
                   "id, time_ms, drum, drum_type, struck, lug, lug_count, frequency_hz, lo_hz, "
                   "hi_hz, lo_db, hi_db, verdict, tolerance_cents, target_hz, ") +
               fromFileColumn();
    }
    std::string fromFileColumn() const { return hasFromFile ? "from_file" : "0"; }

    ~Impl() {
        statements.clear();
        if (db) sqlite3_close_v2(db);
    }

    // The statement of `sql`, prepared on first use (null when it cannot be prepared).
    sqlite3_stmt* statement(const std::string& sql) {
        auto found = statements.find(sql);
        if (found == statements.end()) {
            found = statements.emplace(sql, std::make_unique<Statement>(db, sql.c_str())).first;
        }
        return found->second->ok() ? found->second->fresh() : nullptr;
    }

    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

    // The first column of the first row as text ("" none); `code` receives the result code.
    std::string firstText(const char* sql, int& code) {
        sqlite3_stmt* stmt = nullptr;
        code = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        std::string text;
        if (code == SQLITE_OK) {
            code = sqlite3_step(stmt);
            if (code == SQLITE_ROW) {
                const unsigned char* value = sqlite3_column_text(stmt, 0);
                if (value) text = reinterpret_cast<const char*>(value);
                code = SQLITE_OK;
            } else if (code == SQLITE_DONE) {
                code = SQLITE_OK;
            }
        }
        sqlite3_finalize(stmt);
        return text;
    }

    void close() {
        statements.clear();
        if (db) sqlite3_close_v2(db);
        db = nullptr;
    }
};

namespace detail {

// Kinds of failure, each reported once per store.
enum Failure : unsigned {
    kOpenFailed = 1u << 0,
    kDamaged = 1u << 1,
    kNewer = 1u << 2,
    kDiskFull = 1u << 3,
    kWriteFailed = 1u << 4,
    kMissing = 1u << 5,
    kBusy = 1u << 6,
    kMoved = 1u << 7,
};

std::optional<double> columnOptional(sqlite3_stmt* stmt, int column);
// The column's text, made valid UTF-8 (the file is untrusted).
std::string columnText(sqlite3_stmt* stmt, int column);
// A reading from the columns "id, time_ms, drum, drum_type, struck, lug, lug_count,
// frequency_hz, lo_hz, hi_hz, lo_db, hi_db, verdict, tolerance_cents, target_hz, from_file", in
// this order.
Reading readReading(sqlite3_stmt* stmt);
void bindOptional(sqlite3_stmt* stmt, int index, bool present, double value);
void bindText(sqlite3_stmt* stmt, int index, const std::string& text);
// Binds the reading's columns from `first` on, in the order drum, drum_type, struck, lug,
// lug_count, frequency_hz, time_ms, verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db,
// hi_db, from_file.
void bindReading(sqlite3_stmt* stmt, int first, const Reading& reading);
// Runs a statement that returns no rows to its end.
int runToEnd(sqlite3_stmt* stmt);

}  // namespace detail
}  // namespace tomaro::history
