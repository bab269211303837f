#pragma once

// A prepared SQLite statement that finalizes itself. Internal to the history library.

#include <sqlite3.h>

namespace tomaro::history {

// One prepared statement, owned: finalized when it goes. A kept statement (the store's cache,
// prepared as persistent) is reset after every use through fresh(); a statement of one use
// (a long read, a copy of the file) is prepared without the persistence hint. Movable, so that a
// read may hold a list of them. The thread of its connection only.
class Statement {
public:
    enum class Use { Kept, Once };

    Statement() = default;
    // Not prepared (ok() false) when `sql` does not compile; the connection's error says why.
    Statement(sqlite3* db, const char* sql, Use use = Use::Kept);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_Stmt != nullptr; }
    sqlite3_stmt* get() const { return m_Stmt; }
    // Reset and cleared of its bindings: ready for the next use.
    sqlite3_stmt* fresh() const;

private:
    sqlite3_stmt* m_Stmt = nullptr;
};

// Runs a statement that returns no rows to its end and resets it: SQLITE_OK, else the failing
// code (SQLITE_ERROR for a null statement).
int runToEnd(sqlite3_stmt* stmt);

}  // namespace tomaro::history
