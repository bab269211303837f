#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

// Another program's hand on a SQLite file: what a test writes into a history behind the store's
// back, and what it reads from one. Each call opens the file, does its part and closes it again.
namespace tomaro::test {

// Runs `sql` (one or more statements) on the file at `path`, made when missing. False, with the
// test failed and SQLite's words, when the file does not open or a statement fails.
inline bool runSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return false;
    }
    char* error = nullptr;
    const bool done = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    if (!done) ADD_FAILURE() << (error ? error : "") << " in: " << sql;
    sqlite3_free(error);
    sqlite3_close(db);
    return done;
}

// The first column of the first row of `sql` on the file at `path` opened read-only, as text;
// "" when there is none or the file does not open.
inline std::string firstText(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0)) {
        text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return text;
}

}  // namespace tomaro::test
