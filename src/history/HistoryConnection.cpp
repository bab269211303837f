#include "history/HistoryConnection.h"

#include "history/ReadingRow.h"

namespace tomaro::history {

HistoryConnection::~HistoryConnection() { close(); }

int HistoryConnection::open(const std::string& name, int flags, int busyTimeoutMs) {
    const int code = sqlite3_open_v2(name.c_str(), &m_Db, flags, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(m_Db, 1);
        sqlite3_busy_timeout(m_Db, busyTimeoutMs);
    }
    return code;
}

void HistoryConnection::close() {
    m_Statements.clear();
    if (m_Db) sqlite3_close_v2(m_Db);
    m_Db = nullptr;
}

sqlite3_stmt* HistoryConnection::statement(const std::string& sql) {
    auto found = m_Statements.find(sql);
    if (found == m_Statements.end()) {
        found = m_Statements.emplace(sql, std::make_unique<Statement>(m_Db, sql.c_str())).first;
    }
    return found->second->ok() ? found->second->fresh() : nullptr;
}

int HistoryConnection::exec(const char* sql) {
    return sqlite3_exec(m_Db, sql, nullptr, nullptr, nullptr);
}

std::string HistoryConnection::firstText(const char* sql, int& code) {
    sqlite3_stmt* stmt = nullptr;
    code = sqlite3_prepare_v2(m_Db, sql, -1, &stmt, nullptr);
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

void HistoryConnection::setWritingPragmas() {
    exec("PRAGMA journal_mode=WAL");
    // In WAL a commit survives a crash of the program (not a power cut) without a sync per
    // reading.
    exec("PRAGMA synchronous=NORMAL");
    exec("PRAGMA foreign_keys=ON");
}

int HistoryConnection::copyTo(const std::string& path) {
    sqlite3_stmt* vacuum = nullptr;
    int code = sqlite3_prepare_v2(m_Db, "VACUUM INTO ?", -1, &vacuum, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_text(vacuum, 1, path.c_str(), -1, SQLITE_TRANSIENT);
        code = sqlite3_step(vacuum) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(m_Db);
    }
    sqlite3_finalize(vacuum);
    return code;
}

std::string HistoryConnection::readingColumns() const {
    return detail::readingColumns("id", m_HasFromFile);
}

}  // namespace tomaro::history
