#pragma once

// The store's SQLite connection. Internal to the history library: with Statement.h and
// ReadingRow.h the only headers that see sqlite3.h.

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

#include "history/Statement.h"

namespace tomaro::history {

// One connection to the history file and the statements prepared on it, kept as long as the
// connection is open. Closed (db() null) until open() succeeds and after close(). The thread of
// the store that owns it.
class HistoryConnection {
public:
    HistoryConnection() = default;
    ~HistoryConnection();
    HistoryConnection(const HistoryConnection&) = delete;
    HistoryConnection& operator=(const HistoryConnection&) = delete;

    // Opens `name` (a path, or a "file:" URI with SQLITE_OPEN_URI) with `flags`; the connection
    // then gives extended result codes and waits up to `busyTimeoutMs` for another program's
    // lock. Returns SQLite's code; on a failure db() may hold a handle until close().
    int open(const std::string& name, int flags, int busyTimeoutMs);
    // Finalizes every kept statement and closes the connection; nothing when closed.
    void close();
    sqlite3* db() const { return m_Db; }

    // The kept statement of `sql`, prepared on first use and reset for this one (null when it
    // cannot be prepared).
    sqlite3_stmt* statement(const std::string& sql);
    int exec(const char* sql);
    // The first column of the first row as text ("" none); `code` receives the result code.
    std::string firstText(const char* sql, int& code);
    // What every connection that writes sets: WAL (other programs may read at once), a sync per
    // checkpoint rather than per commit, and the snapshots' foreign keys.
    void setWritingPragmas();
    // Copies the whole database into a new file at `path` (VACUUM INTO): SQLITE_OK, else the
    // failing code.
    int copyTo(const std::string& path);

    // False for a file of version 3 read as it is (a read-only store): it has no from_file
    // column and holds no readings from files.
    bool hasFromFile() const { return m_HasFromFile; }
    void setHasFromFile(bool has) { m_HasFromFile = has; }
    // The columns every reading query reads, in the order readReading takes them.
    std::string readingColumns() const;
    // The from_file column, or "0" in a file that has none.
    std::string fromFileColumn() const { return m_HasFromFile ? "from_file" : "0"; }

private:
    sqlite3* m_Db = nullptr;
    std::map<std::string, std::unique_ptr<Statement>> m_Statements;
    bool m_HasFromFile = true;
};

}  // namespace tomaro::history
