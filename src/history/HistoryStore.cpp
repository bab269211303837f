#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <system_error>

#include "history/HistoryDatabase.h"
#include "history/HistoryPath.h"
#include "history/HistoryTime.h"
#include "history/UntrustedText.h"
#include "settings/Language.h"

namespace tomaro::history {
namespace {

namespace fs = std::filesystem;

// The schema, step by step: step N brings a file at version N - 1 to version N.
constexpr const char* kSteps[] = {
    // 1: the readings.
    "CREATE TABLE readings ("
    " id INTEGER PRIMARY KEY,"
    " time_ms INTEGER NOT NULL,"
    " drum TEXT NOT NULL,"
    " struck TEXT NOT NULL,"
    " lug INTEGER NOT NULL DEFAULT 0,"
    " frequency_hz REAL NOT NULL,"
    " verdict TEXT NOT NULL,"
    " tolerance_cents REAL,"
    " target_hz REAL);",
    // 2: the drum's type, the rod count of a tap, the (1,1) pair; the index of a drum's readings.
    "ALTER TABLE readings ADD COLUMN drum_type INTEGER NOT NULL DEFAULT -1;"
    "ALTER TABLE readings ADD COLUMN lug_count INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE readings ADD COLUMN lo_hz REAL;"
    "ALTER TABLE readings ADD COLUMN hi_hz REAL;"
    "ALTER TABLE readings ADD COLUMN lo_db REAL;"
    "ALTER TABLE readings ADD COLUMN hi_db REAL;"
    "CREATE INDEX readings_drum_time ON readings(drum, time_ms);",
    // 3: the snapshots.
    "CREATE TABLE snapshots ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " time_ms INTEGER NOT NULL);"
    "CREATE TABLE snapshot_rows ("
    " snapshot_id INTEGER NOT NULL REFERENCES snapshots(id) ON DELETE CASCADE,"
    " drum TEXT NOT NULL,"
    " drum_type INTEGER NOT NULL DEFAULT -1,"
    " struck TEXT NOT NULL,"
    " lug INTEGER NOT NULL DEFAULT 0,"
    " lug_count INTEGER NOT NULL DEFAULT 0,"
    " frequency_hz REAL NOT NULL,"
    " time_ms INTEGER NOT NULL,"
    " verdict TEXT NOT NULL DEFAULT '',"
    " tolerance_cents REAL,"
    " target_hz REAL,"
    " lo_hz REAL, hi_hz REAL, lo_db REAL, hi_db REAL);"
    "CREATE INDEX snapshot_rows_snapshot ON snapshot_rows(snapshot_id);",
    // 4: readings from sound files opened while exploring, told apart from strikes.
    "ALTER TABLE readings ADD COLUMN from_file INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE snapshot_rows ADD COLUMN from_file INTEGER NOT NULL DEFAULT 0;",
};
static_assert(std::size(kSteps) == HistoryStore::kSchemaVersion);

constexpr const char* kInsertReading =
    "INSERT INTO readings (drum, drum_type, struck, lug, lug_count, frequency_hz, time_ms, "
    "verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db, hi_db, from_file) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)";

using namespace detail;
using Impl = HistoryStore::Impl;

bool isBusy(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// "file:" URI of a path, with the characters a URI gives a meaning escaped.
std::string fileUri(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20 || c == 0x7f) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string dateStamp() {
    // "2026-12-09-034600": sortable, no colons (some file systems refuse them).
    std::string text = isoTime(nowMs()).substr(0, 19);
    std::replace(text.begin(), text.end(), 'T', '-');
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    return text;
}

// A name beside `path` that is not taken yet: path + suffix, then with "-2", "-3", ...
std::string freeName(const std::string& base) {
    std::error_code error;
    if (!fs::exists(base, error)) return base;
    for (int n = 2;; ++n) {
        const std::string candidate = base + "-" + std::to_string(n);
        if (!fs::exists(candidate, error)) return candidate;
    }
}

// Moves the file and its journal files aside; the name given to the main file.
std::string moveAside(const std::string& path) {
    const std::string target = freeName(path + ".broken-" + dateStamp());
    std::error_code error;
    fs::rename(path, target, error);
    if (error) return {};
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (fs::exists(path + suffix, ignored)) fs::rename(path + suffix, target + suffix, ignored);
    }
    return target;
}

}  // namespace

HistoryStore::HistoryStore(std::string path, Mode mode)
    : m_Path(std::move(path)), m_Mode(mode), m_Impl(std::make_unique<Impl>()) {
    open();
}

void HistoryStore::open() {
    Impl& impl = *m_Impl;
    const bool readOnly = m_Mode == Mode::ReadOnly;
    m_RetryOpen = false;
    // What stands there is looked at first: SQLite would block on a named pipe and give its
    // own words for a folder or a device.
    const HistoryPathKind kind = historyPathKind(m_Path);
    if (!isOpenable(kind)) {
        reportOnce(kOpenFailed, historyPathProblem(kind, m_Path) +
                                    (readOnly ? ""
                                              : pick(". Тюнер работает без неё.",
                                                     ". The tuner works without it.")));
        return;
    }
    if (readOnly && (kind == HistoryPathKind::Missing || kind == HistoryPathKind::Empty)) {
        reportOnce(kMissing, std::string(kind == HistoryPathKind::Empty
                                             ? pick("История настройки пуста: ",
                                                    "The tuning history is empty: ")
                                             : pick("Истории настройки ещё нет: ",
                                                    "There is no tuning history yet: ")) +
                                 m_Path);
        return;
    }
    std::error_code error;
    if (!readOnly) {
        const fs::path folder = fs::path(m_Path).parent_path();
        if (!folder.empty()) fs::create_directories(folder, error);
    }
    // A reader that cannot make the shared-memory file beside a WAL history (a folder it cannot
    // write) reads the file as it is instead: what only the log holds is then not seen.
    bool immutable = false;
    // Twice at most: a damaged file is moved aside and a new one started.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int flags =
            readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        const std::string name = immutable ? fileUri(m_Path) + "?immutable=1" : m_Path;
        int code = sqlite3_open_v2(name.c_str(), &impl.db,
                                   flags | SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0),
                                   nullptr);
        if (code == SQLITE_OK) {
            sqlite3_extended_result_codes(impl.db, 1);
            sqlite3_busy_timeout(impl.db, kBusyTimeoutMs);
        }
        std::string check;
        if (code == SQLITE_OK) check = impl.firstText("PRAGMA quick_check", code);
        const bool damaged = isDamage(code) || (code == SQLITE_OK && check != "ok");
        if (isBusy(code)) {
            impl.close();
            // Another program holds the file for longer than the busy wait: tried again at the
            // next write, never given up for the session.
            m_RetryOpen = !readOnly;
            reportOnce(kBusy, std::string(pick("История настройки занята другой программой (",
                                               "The tuning history is busy in another program (")) +
                                  sqlite3_errstr(code) + "): " + m_Path +
                                  (readOnly ? ""
                                            : pick(". Запись возобновится, когда она освободится.",
                                                   ". Writing resumes once it is free.")));
            return;
        }
        if (readOnly && !immutable && code != SQLITE_OK && !damaged) {
            impl.close();
            immutable = true;
            --attempt;
            continue;
        }
        if (code != SQLITE_OK && !damaged) {
            impl.close();
            reportOnce(kOpenFailed,
                       std::string(pick("История настройки не открывается (",
                                        "The tuning history cannot be opened (")) +
                           sqlite3_errstr(code) + "): " + m_Path +
                           pick(". Тюнер работает без неё.", ". The tuner works without it."));
            return;
        }
        if (damaged) {
            impl.close();
            if (readOnly || attempt > 0) {
                reportOnce(kDamaged, std::string(pick("Файл истории настройки повреждён: ",
                                                      "The tuning history file is damaged: ")) +
                                         m_Path);
                return;
            }
            const std::string aside = moveAside(m_Path);
            if (aside.empty()) {
                reportOnce(kDamaged,
                           std::string(pick("Файл истории настройки повреждён и не может быть "
                                            "отложен: ",
                                            "The tuning history file is damaged and cannot be "
                                            "moved aside: ")) +
                               m_Path +
                               pick(". Тюнер работает без истории.",
                                    ". The tuner works without the history."));
                return;
            }
            reportOnce(kDamaged,
                       std::string(pick("Файл истории настройки повреждён; он сохранён как ",
                                        "The tuning history file was damaged; it was kept as ")) +
                           aside +
                           pick(", начата новая история.", ", and a new history was started."));
            continue;
        }
        break;
    }
    if (!impl.db) return;

    int code = SQLITE_OK;
    const int version = std::stoi("0" + impl.firstText("PRAGMA user_version", code));
    if (version > kSchemaVersion) {
        impl.close();
        reportOnce(kNewer,
                   std::string(pick("История настройки записана более новой версией Tomaro и "
                                    "не тронута: ",
                                    "The tuning history was written by a newer Tomaro and is "
                                    "left untouched: ")) +
                       m_Path);
        return;
    }
    if (readOnly) {
        if (version == 0 && impl.firstText("SELECT count(*) FROM sqlite_master", code) == "0") {
            impl.close();
            reportOnce(kMissing, std::string(pick("История настройки пуста: ",
                                                  "The tuning history is empty: ")) +
                                     m_Path);
        } else if (version == 3) {
            // Written before readings from files were told apart: read as it is.
            impl.hasFromFile = false;
        } else if (version < kSchemaVersion) {
            impl.close();
            reportOnce(kNewer,
                       std::string(pick("История настройки старого формата; откройте Tomaro, "
                                        "чтобы её обновить: ",
                                        "The tuning history is of an older format; open Tomaro "
                                        "once to upgrade it: ")) +
                           m_Path);
        }
        return;
    }
    impl.exec("PRAGMA journal_mode=WAL");
    // In WAL a commit survives a crash of the program (not a power cut) without a sync per
    // reading.
    impl.exec("PRAGMA synchronous=NORMAL");
    impl.exec("PRAGMA foreign_keys=ON");
    if (version == kSchemaVersion) return;

    // An older file is copied first, so a failed or unwanted upgrade loses nothing.
    const std::string tables =
        impl.firstText("SELECT count(*) FROM sqlite_master WHERE type='table'", code);
    if (version > 0 || tables != "0") {
        const std::string backup = freeName(m_Path + ".v" + std::to_string(version) + ".bak");
        sqlite3_stmt* vacuum = nullptr;
        code = sqlite3_prepare_v2(impl.db, "VACUUM INTO ?", -1, &vacuum, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_bind_text(vacuum, 1, backup.c_str(), -1, SQLITE_TRANSIENT);
            code = sqlite3_step(vacuum) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(impl.db);
        }
        sqlite3_finalize(vacuum);
        if (code != SQLITE_OK) {
            impl.close();
            reportOnce(kOpenFailed,
                       std::string(pick("История настройки не обновлена: не удалось сделать её "
                                        "копию (",
                                        "The tuning history was not upgraded: its copy could not "
                                        "be made (")) +
                           sqlite3_errstr(code) + "): " + m_Path);
            return;
        }
        if (version == 0) {
            // Tables but no version: not a file of ours. It stays as it was, beside the new one.
            impl.close();
            const std::string aside = moveAside(m_Path);
            std::error_code ignored;
            fs::remove(backup, ignored);
            reportOnce(kDamaged,
                       std::string(pick("Файл истории настройки не узнан; он сохранён как ",
                                        "The tuning history file was not recognised; it was "
                                        "kept as ")) +
                           aside +
                           pick(", начата новая история.", ", and a new history was started."));
            if (aside.empty() ||
                sqlite3_open_v2(m_Path.c_str(), &impl.db,
                                SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                nullptr) != SQLITE_OK) {
                impl.close();
                return;
            }
            sqlite3_extended_result_codes(impl.db, 1);
            sqlite3_busy_timeout(impl.db, kBusyTimeoutMs);
            impl.exec("PRAGMA journal_mode=WAL");
            impl.exec("PRAGMA synchronous=NORMAL");
            impl.exec("PRAGMA foreign_keys=ON");
        }
    }
    for (int step = version; step < kSchemaVersion; ++step) {
        code = impl.exec("BEGIN IMMEDIATE");
        if (code == SQLITE_OK) code = impl.exec(kSteps[step]);
        if (code == SQLITE_OK) {
            const std::string pragma = "PRAGMA user_version=" + std::to_string(step + 1);
            code = impl.exec(pragma.c_str());
        }
        if (code == SQLITE_OK) code = impl.exec("COMMIT");
        if (code != SQLITE_OK) {
            impl.exec("ROLLBACK");
            impl.close();
            if (isBusy(code)) {
                m_RetryOpen = true;
                reportOnce(kBusy,
                           std::string(pick("История настройки занята другой программой (",
                                            "The tuning history is busy in another program (")) +
                               sqlite3_errstr(code) + "): " + m_Path +
                               pick(". Запись возобновится, когда она освободится.",
                                    ". Writing resumes once it is free."));
                return;
            }
            reportOnce(kOpenFailed,
                       std::string(pick("История настройки не обновлена (",
                                        "The tuning history could not be upgraded (")) +
                           sqlite3_errstr(code) + "): " + m_Path +
                           pick(". Тюнер работает без неё.", ". The tuner works without it."));
            return;
        }
    }
}

HistoryStore::~HistoryStore() = default;

bool HistoryStore::prepareWrite() {
    if (m_Mode == Mode::ReadOnly) return false;
    Impl& impl = *m_Impl;
    if (!impl.db && m_RetryOpen) open();
    if (!impl.db) return false;
    int moved = 0;
    if (sqlite3_file_control(impl.db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK ||
        moved == 0) {
        return true;
    }
    // The file was deleted or moved away while open, and a write would go where the user no
    // longer looks. The connection still reads it: its content is copied to the path first.
    std::error_code error;
    std::string copy;
    if (historyPathKind(m_Path) == HistoryPathKind::Missing) {
        fs::create_directories(fs::path(m_Path).parent_path(), error);
        copy = freeName(m_Path + ".new");
        sqlite3_stmt* vacuum = nullptr;
        int code = sqlite3_prepare_v2(impl.db, "VACUUM INTO ?", -1, &vacuum, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_bind_text(vacuum, 1, copy.c_str(), -1, SQLITE_TRANSIENT);
            code = sqlite3_step(vacuum);
        }
        sqlite3_finalize(vacuum);
        if (code != SQLITE_DONE) {
            fs::remove(copy, error);
            copy.clear();
        }
    }
    impl.close();
    if (historyPathKind(m_Path) == HistoryPathKind::Missing) {
        // Journal files left at the path belong to the file that went away; the new file must
        // never take them for its own.
        const std::string aside = freeName(m_Path + ".moved-" + dateStamp());
        for (const char* suffix : {"-wal", "-shm"}) {
            if (fs::exists(m_Path + suffix, error)) {
                fs::rename(m_Path + suffix, aside + suffix, error);
            }
        }
        if (!copy.empty()) fs::rename(copy, m_Path, error);
    } else if (!copy.empty()) {
        fs::remove(copy, error);
    }
    open();
    reportOnce(kMoved,
               std::string(pick("Файл истории настройки был удалён или перемещён; история "
                                "продолжается в новом файле: ",
                                "The tuning history file was deleted or moved; the history goes "
                                "on in a new file: ")) +
                   m_Path);
    return impl.db != nullptr;
}

bool HistoryStore::isOpen() const { return m_Impl->db != nullptr; }

std::string HistoryStore::takeMessage() {
    std::string message;
    message.swap(m_Message);
    return message;
}

void HistoryStore::reportOnce(int kind, const std::string& message) const {
    const unsigned bit = static_cast<unsigned>(kind);
    if (m_Reported & bit) return;
    m_Reported |= bit;
    m_Message = message;
}

std::int64_t HistoryStore::addReading(const Reading& reading) {
    if (!prepareWrite()) return 0;
    Impl& impl = *m_Impl;
    Reading stored = reading;
    if (stored.timeMs == 0) stored.timeMs = nowMs();
    sqlite3_stmt* insert = impl.statement(kInsertReading);
    int code = SQLITE_ERROR;
    if (insert) {
        bindReading(insert, 1, stored);
        // One statement is one transaction: committed whole or not at all.
        code = runToEnd(insert);
    }
    if (code == SQLITE_OK) return sqlite3_last_insert_rowid(impl.db);
    if ((code & 0xff) == SQLITE_FULL) {
        reportOnce(kDiskFull,
                   std::string(pick("Диск заполнен: история настройки не записывается (",
                                    "The disk is full: the tuning history is not written (")) +
                       m_Path + pick("). Тюнер работает дальше.", "). The tuner goes on."));
    } else {
        reportOnce(kWriteFailed, std::string(pick("История настройки не записывается (",
                                                  "The tuning history cannot be written (")) +
                                     sqlite3_errstr(code) + "): " + m_Path +
                                     pick(". Тюнер работает дальше.", ". The tuner goes on."));
    }
    return 0;
}

std::size_t HistoryStore::addReadings(const std::vector<Reading>& readings) {
    if (readings.empty() || !prepareWrite()) return 0;
    Impl& impl = *m_Impl;
    int code = impl.exec("BEGIN IMMEDIATE");
    for (const Reading& reading : readings) {
        if (code != SQLITE_OK) break;
        Reading stored = reading;
        if (stored.timeMs == 0) stored.timeMs = nowMs();
        sqlite3_stmt* insert = impl.statement(kInsertReading);
        if (insert) bindReading(insert, 1, stored);
        code = runToEnd(insert);
    }
    if (code == SQLITE_OK) code = impl.exec("COMMIT");
    if (code == SQLITE_OK) return readings.size();
    impl.exec("ROLLBACK");
    reportOnce((code & 0xff) == SQLITE_FULL ? kDiskFull : kWriteFailed,
               std::string(pick("История настройки не записывается (",
                                "The tuning history cannot be written (")) +
                   sqlite3_errstr(code) + "): " + m_Path);
    return 0;
}

std::vector<Reading> HistoryStore::readings(const ReadingQuery& query) const {
    std::vector<Reading> result;
    if (!isOpen()) return result;
    const std::string columns = m_Impl->readingColumns();
    sqlite3_stmt* select =
        query.drum ? m_Impl->statement("SELECT " + columns +
                                       " FROM readings WHERE drum = ?1 AND time_ms >= ?2 "
                                       "ORDER BY time_ms DESC, id DESC LIMIT ?3")
                   : m_Impl->statement("SELECT " + columns +
                                       " FROM readings WHERE time_ms >= ?2 "
                                       "ORDER BY time_ms DESC, id DESC LIMIT ?3");
    if (!select) return result;
    if (query.drum) bindText(select, 1, *query.drum);
    sqlite3_bind_int64(select, 2, query.sinceMs.value_or(std::numeric_limits<std::int64_t>::min()));
    sqlite3_bind_int64(select, 3, query.limit > 0 ? query.limit : -1);
    while (sqlite3_step(select) == SQLITE_ROW) result.push_back(readReading(select));
    sqlite3_reset(select);
    std::reverse(result.begin(), result.end());
    return result;
}

bool HistoryStore::forEachReading(const ReadingQuery& query,
                                  const std::function<bool(const Reading&)>& take) const {
    if (!isOpen()) return false;
    sqlite3* db = m_Impl->db;
    const std::int64_t sinceMs = query.sinceMs.value_or(std::numeric_limits<std::int64_t>::min());
    // One cursor per drum along the index of a drum's readings, merged by time: the first
    // reading comes at once and nothing is held, where one query ordered by time would sort the
    // whole table first. Not kept statements: a long read would hold them open.
    const std::string select = "SELECT " + m_Impl->readingColumns() +
                               " FROM readings WHERE drum = ?1 AND time_ms >= ?2 "
                               "ORDER BY time_ms, id";
    struct Cursor {
        sqlite3_stmt* stmt = nullptr;
        int code = SQLITE_DONE;
    };
    std::vector<Cursor> cursors;
    const auto finish = [&](bool whole) {
        for (Cursor& cursor : cursors) sqlite3_finalize(cursor.stmt);
        return whole;
    };
    const auto addCursor = [&](sqlite3_value* drum) {
        Cursor cursor;
        if (sqlite3_prepare_v2(db, select.c_str(), -1, &cursor.stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(cursor.stmt);
            return false;
        }
        sqlite3_bind_value(cursor.stmt, 1, drum);
        sqlite3_bind_int64(cursor.stmt, 2, sinceMs);
        cursor.code = sqlite3_step(cursor.stmt);
        cursors.push_back(cursor);
        return true;
    };
    if (query.drum) {
        sqlite3_stmt* name = nullptr;
        sqlite3_prepare_v2(db, "SELECT ?1", -1, &name, nullptr);
        bindText(name, 1, *query.drum);
        const bool added =
            sqlite3_step(name) == SQLITE_ROW && addCursor(sqlite3_column_value(name, 0));
        sqlite3_finalize(name);
        if (!added) return finish(false);
    } else {
        // The drums one by one along the index (each a single search), as SQLite holds them:
        // a drum stored as a number or a blob is a drum too.
        sqlite3_stmt* first = nullptr;
        sqlite3_stmt* next = nullptr;
        sqlite3_prepare_v2(db, "SELECT min(drum) FROM readings", -1, &first, nullptr);
        sqlite3_prepare_v2(db, "SELECT min(drum) FROM readings WHERE drum > ?1", -1, &next,
                           nullptr);
        sqlite3_stmt* step = first;
        bool ok = first && next;
        bool tooMany = false;
        int code = SQLITE_DONE;
        while (ok && (code = sqlite3_step(step)) == SQLITE_ROW &&
               sqlite3_column_type(step, 0) != SQLITE_NULL) {
            tooMany = cursors.size() == kMaxMergedDrums;
            ok = !tooMany && addCursor(sqlite3_column_value(step, 0));
            if (ok) {
                // Copied first: `step` may be `next` itself, whose value the reset ends.
                sqlite3_value* drum = sqlite3_value_dup(sqlite3_column_value(step, 0));
                sqlite3_reset(next);
                sqlite3_bind_value(next, 1, drum);
                sqlite3_value_free(drum);
                step = next;
            }
        }
        ok = ok && (code == SQLITE_ROW || code == SQLITE_DONE);
        sqlite3_finalize(first);
        sqlite3_finalize(next);
        if (tooMany) {
            // Not a kit any more: one query sorted by time, slower to start.
            finish(true);
            cursors.clear();
            Cursor all;
            const std::string sorted = "SELECT " + m_Impl->readingColumns() +
                                       " FROM readings WHERE time_ms >= ?2 ORDER BY time_ms, id";
            if (sqlite3_prepare_v2(db, sorted.c_str(), -1, &all.stmt, nullptr) != SQLITE_OK) {
                sqlite3_finalize(all.stmt);
                return false;
            }
            sqlite3_bind_int64(all.stmt, 2, sinceMs);
            all.code = sqlite3_step(all.stmt);
            cursors.push_back(all);
        } else if (!ok) {
            return finish(false);
        }
    }
    for (;;) {
        Cursor* oldest = nullptr;
        for (Cursor& cursor : cursors) {
            if (cursor.code == SQLITE_DONE) continue;
            if (cursor.code != SQLITE_ROW) return finish(false);
            if (!oldest) {
                oldest = &cursor;
                continue;
            }
            const std::int64_t time = sqlite3_column_int64(cursor.stmt, 1);
            const std::int64_t oldestTime = sqlite3_column_int64(oldest->stmt, 1);
            if (time < oldestTime ||
                (time == oldestTime &&
                 sqlite3_column_int64(cursor.stmt, 0) < sqlite3_column_int64(oldest->stmt, 0))) {
                oldest = &cursor;
            }
        }
        if (!oldest) return finish(true);
        if (!take(readReading(oldest->stmt))) return finish(true);
        oldest->code = sqlite3_step(oldest->stmt);
    }
}

std::vector<std::string> HistoryStore::drums() const {
    std::vector<std::string> names;
    if (!isOpen()) return names;
    sqlite3_stmt* select =
        m_Impl->statement("SELECT drum FROM readings GROUP BY drum ORDER BY min(id)");
    if (!select) return names;
    while (sqlite3_step(select) == SQLITE_ROW) names.push_back(columnText(select, 0));
    sqlite3_reset(select);
    return names;
}

std::vector<Reading> HistoryStore::lastGoodStrikes(bool withFileStrikes) const {
    std::vector<Reading> strikes;
    if (!isOpen()) return strikes;
    for (const std::string& drum : drums()) {
        sqlite3_stmt* select = m_Impl->statement(
            "SELECT " + m_Impl->readingColumns() +
            " FROM readings WHERE drum = ?1 AND struck = 'drum' AND verdict <> 'rejected' "
            "AND (?2 OR " +
            m_Impl->fromFileColumn() + " = 0) ORDER BY time_ms DESC, id DESC LIMIT 1");
        if (!select) break;
        bindText(select, 1, drum);
        sqlite3_bind_int(select, 2, withFileStrikes ? 1 : 0);
        if (sqlite3_step(select) == SQLITE_ROW) strikes.push_back(readReading(select));
        sqlite3_reset(select);
    }
    return strikes;
}

std::optional<HeadPass> HistoryStore::lastLugPass(const std::string& drum, Struck head,
                                                  bool withFileTaps) const {
    if (!isOpen() || !isHead(head)) return std::nullopt;
    sqlite3_stmt* select = m_Impl->statement(
        "SELECT " + m_Impl->readingColumns() +
        " FROM readings WHERE drum = ?1 AND struck = ?2 AND verdict <> 'rejected' AND (?3 OR " +
        m_Impl->fromFileColumn() + " = 0) ORDER BY time_ms DESC, id DESC LIMIT 2000");
    if (!select) return std::nullopt;
    bindText(select, 1, drum);
    sqlite3_bind_text(select, 2, struckCode(head), -1, SQLITE_STATIC);
    sqlite3_bind_int(select, 3, withFileTaps ? 1 : 0);
    std::optional<HeadPass> pass;
    int filled = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const Reading tap = readReading(select);
        // Counts the program never makes are not taken: nothing read may size an allocation.
        if (tap.lug < 1 || tap.lug > kMaxLugCount || tap.lugCount < 0 ||
            tap.lugCount > kMaxLugCount) {
            continue;
        }
        if (!pass) {
            pass = HeadPass{};
            pass->head = head;
            // A file of an older version does not know the count: the highest rod stands for it.
            pass->lugCount = tap.lugCount > 0 ? tap.lugCount : tap.lug;
            pass->rodHz.assign(static_cast<std::size_t>(pass->lugCount), 0.0);
            pass->rodTimeMs.assign(static_cast<std::size_t>(pass->lugCount), 0);
            pass->timeMs = tap.timeMs;
            pass->targetHz = tap.targetHz;
            pass->toleranceCents = tap.toleranceCents;
        }
        if (tap.lugCount != 0 && tap.lugCount != pass->lugCount) continue;
        if (tap.lug > pass->lugCount) {
            if (tap.lugCount != 0) continue;
            pass->lugCount = tap.lug;
            pass->rodHz.resize(static_cast<std::size_t>(tap.lug), 0.0);
            pass->rodTimeMs.resize(static_cast<std::size_t>(tap.lug), 0);
        }
        double& rod = pass->rodHz[static_cast<std::size_t>(tap.lug - 1)];
        if (rod > 0.0) continue;
        rod = tap.frequencyHz;
        pass->rodTimeMs[static_cast<std::size_t>(tap.lug - 1)] = tap.timeMs;
        if (++filled == pass->lugCount) break;
    }
    sqlite3_reset(select);
    return pass;
}

Snapshot HistoryStore::currentState(bool withFileStrikes) const {
    Snapshot state;
    state.info.timeMs = nowMs();
    if (!isOpen()) return state;
    const std::vector<Reading> strikes = lastGoodStrikes(withFileStrikes);
    for (const std::string& name : drums()) {
        // Readings against no drum of the kit (the free reference) belong to no drum.
        if (name.empty()) continue;
        SnapshotDrum drum;
        drum.drum = name;
        for (const Reading& strike : strikes) {
            if (strike.drum == name) {
                drum.strike = strike;
                drum.drumType = strike.drumType;
            }
        }
        for (Struck head : {Struck::Batter, Struck::Reso}) {
            if (auto pass = lastLugPass(name, head, withFileStrikes)) drum.heads.push_back(*pass);
        }
        if (!drum.strike && drum.heads.empty()) continue;
        state.info.drums.push_back(name);
        state.drums.push_back(std::move(drum));
    }
    return state;
}

}  // namespace tomaro::history
