#include "history/Statement.h"

#include <utility>

namespace tomaro::history {

Statement::Statement(sqlite3* db, const char* sql, Use use) {
    const unsigned flags = use == Use::Kept ? SQLITE_PREPARE_PERSISTENT : 0;
    if (sqlite3_prepare_v3(db, sql, -1, flags, &m_Stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_Stmt);
        m_Stmt = nullptr;
    }
}

Statement::~Statement() { sqlite3_finalize(m_Stmt); }

Statement::Statement(Statement&& other) noexcept : m_Stmt(std::exchange(other.m_Stmt, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_Stmt);
        m_Stmt = std::exchange(other.m_Stmt, nullptr);
    }
    return *this;
}

sqlite3_stmt* Statement::fresh() const {
    sqlite3_reset(m_Stmt);
    sqlite3_clear_bindings(m_Stmt);
    return m_Stmt;
}

int runToEnd(sqlite3_stmt* stmt) {
    if (!stmt) return SQLITE_ERROR;
    int code = sqlite3_step(stmt);
    while (code == SQLITE_ROW) code = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

}  // namespace tomaro::history
