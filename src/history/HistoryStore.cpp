#include "history/HistoryStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <system_error>

#include "history/HistoryTime.h"
#include "settings/Language.h"

namespace tomaro::history {
namespace {

namespace fs = std::filesystem;

// Kinds of failure, each reported once per store.
enum Failure : unsigned {
    kOpenFailed = 1u << 0,
    kDamaged = 1u << 1,
    kNewer = 1u << 2,
    kDiskFull = 1u << 3,
    kWriteFailed = 1u << 4,
    kMissing = 1u << 5,
};

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
};
static_assert(std::size(kSteps) == HistoryStore::kSchemaVersion);

// The columns every reading query reads, in this order (see readReading).
constexpr const char* kReadingColumns =
    "id, time_ms, drum, drum_type, struck, lug, lug_count, frequency_hz, lo_hz, hi_hz, lo_db, "
    "hi_db, verdict, tolerance_cents, target_hz";

constexpr const char* kInsertReading =
    "INSERT INTO readings (drum, drum_type, struck, lug, lug_count, frequency_hz, time_ms, "
    "verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db, hi_db) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)";

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

}  // namespace

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

namespace {

using Impl = HistoryStore::Impl;

std::optional<double> columnOptional(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(stmt, column);
}

std::string columnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

Reading readReading(sqlite3_stmt* stmt) {
    Reading reading;
    reading.id = sqlite3_column_int64(stmt, 0);
    reading.timeMs = sqlite3_column_int64(stmt, 1);
    reading.drum = columnText(stmt, 2);
    reading.drumType = sqlite3_column_int(stmt, 3);
    parseStruck(columnText(stmt, 4), reading.struck);
    reading.lug = sqlite3_column_int(stmt, 5);
    reading.lugCount = sqlite3_column_int(stmt, 6);
    reading.frequencyHz = sqlite3_column_double(stmt, 7);
    const auto loHz = columnOptional(stmt, 8), hiHz = columnOptional(stmt, 9);
    if (loHz && hiHz) {
        reading.pair = ModePair{*loHz, *hiHz, columnOptional(stmt, 10).value_or(0.0),
                                columnOptional(stmt, 11).value_or(0.0)};
    }
    reading.verdict = columnText(stmt, 12);
    reading.toleranceCents = columnOptional(stmt, 13).value_or(0.0);
    reading.targetHz = columnOptional(stmt, 14).value_or(0.0);
    return reading;
}

void bindOptional(sqlite3_stmt* stmt, int index, bool present, double value) {
    if (present) {
        sqlite3_bind_double(stmt, index, value);
    } else {
        sqlite3_bind_null(stmt, index);
    }
}

void bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Binds the reading's columns from `first` on, in the order drum, drum_type, struck, lug,
// lug_count, frequency_hz, time_ms, verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db,
// hi_db.
void bindReading(sqlite3_stmt* stmt, int first, const Reading& reading) {
    bindText(stmt, first, reading.drum);
    sqlite3_bind_int(stmt, first + 1, reading.drumType);
    sqlite3_bind_text(stmt, first + 2, struckCode(reading.struck), -1, SQLITE_STATIC);
    sqlite3_bind_int(stmt, first + 3, reading.lug);
    sqlite3_bind_int(stmt, first + 4, reading.lugCount);
    sqlite3_bind_double(stmt, first + 5, reading.frequencyHz);
    sqlite3_bind_int64(stmt, first + 6, reading.timeMs);
    bindText(stmt, first + 7, reading.verdict);
    bindOptional(stmt, first + 8, reading.toleranceCents > 0.0, reading.toleranceCents);
    bindOptional(stmt, first + 9, reading.targetHz > 0.0, reading.targetHz);
    const bool pair = reading.pair.has_value();
    const ModePair values = reading.pair.value_or(ModePair{});
    bindOptional(stmt, first + 10, pair, values.loHz);
    bindOptional(stmt, first + 11, pair, values.hiHz);
    bindOptional(stmt, first + 12, pair, values.loDb);
    bindOptional(stmt, first + 13, pair, values.hiDb);
}

// Runs a statement that returns no rows to its end.
int runToEnd(sqlite3_stmt* stmt) {
    if (!stmt) return SQLITE_ERROR;
    int code = sqlite3_step(stmt);
    while (code == SQLITE_ROW) code = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return code == SQLITE_DONE ? SQLITE_OK : code;
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
    Impl& impl = *m_Impl;
    const bool readOnly = mode == Mode::ReadOnly;
    std::error_code error;
    if (readOnly && !fs::exists(m_Path, error)) {
        reportOnce(kMissing, std::string(pick("Истории настройки ещё нет: ",
                                              "There is no tuning history yet: ")) +
                                 m_Path);
        return;
    }
    if (!readOnly) {
        const fs::path folder = fs::path(m_Path).parent_path();
        if (!folder.empty()) fs::create_directories(folder, error);
    }
    // Twice at most: a damaged file is moved aside and a new one started.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int flags =
            readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        int code = sqlite3_open_v2(m_Path.c_str(), &impl.db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_extended_result_codes(impl.db, 1);
            sqlite3_busy_timeout(impl.db, 2000);
        }
        std::string check;
        if (code == SQLITE_OK) check = impl.firstText("PRAGMA quick_check", code);
        const bool damaged = isDamage(code) || (code == SQLITE_OK && check != "ok");
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
        if (version < kSchemaVersion) {
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
            sqlite3_busy_timeout(impl.db, 2000);
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
    if (!isOpen() || m_Mode == Mode::ReadOnly) return 0;
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
    if (!isOpen() || m_Mode == Mode::ReadOnly || readings.empty()) return 0;
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
    const std::string columns = kReadingColumns;
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

std::vector<Reading> HistoryStore::lastGoodStrikes() const {
    std::vector<Reading> strikes;
    if (!isOpen()) return strikes;
    for (const std::string& drum : drums()) {
        sqlite3_stmt* select = m_Impl->statement(
            std::string("SELECT ") + kReadingColumns +
            " FROM readings WHERE drum = ?1 AND struck = 'drum' AND verdict <> 'rejected' "
            "ORDER BY time_ms DESC, id DESC LIMIT 1");
        if (!select) break;
        bindText(select, 1, drum);
        if (sqlite3_step(select) == SQLITE_ROW) strikes.push_back(readReading(select));
        sqlite3_reset(select);
    }
    return strikes;
}

std::optional<HeadPass> HistoryStore::lastLugPass(const std::string& drum, Struck head) const {
    if (!isOpen() || !isHead(head)) return std::nullopt;
    sqlite3_stmt* select = m_Impl->statement(
        std::string("SELECT ") + kReadingColumns +
        " FROM readings WHERE drum = ?1 AND struck = ?2 AND verdict <> 'rejected' "
        "ORDER BY time_ms DESC, id DESC LIMIT 2000");
    if (!select) return std::nullopt;
    bindText(select, 1, drum);
    sqlite3_bind_text(select, 2, struckCode(head), -1, SQLITE_STATIC);
    std::optional<HeadPass> pass;
    int filled = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const Reading tap = readReading(select);
        if (!pass) {
            pass = HeadPass{};
            pass->head = head;
            // A file of an older version does not know the count: the highest rod stands for it.
            pass->lugCount = tap.lugCount > 0 ? tap.lugCount : std::max(tap.lug, 1);
            pass->rodHz.assign(static_cast<std::size_t>(pass->lugCount), 0.0);
            pass->timeMs = tap.timeMs;
            pass->targetHz = tap.targetHz;
            pass->toleranceCents = tap.toleranceCents;
        }
        if (tap.lugCount != 0 && tap.lugCount != pass->lugCount) continue;
        if (tap.lug < 1) continue;
        if (tap.lug > pass->lugCount) {
            if (tap.lugCount != 0) continue;
            pass->lugCount = tap.lug;
            pass->rodHz.resize(static_cast<std::size_t>(tap.lug), 0.0);
        }
        double& rod = pass->rodHz[static_cast<std::size_t>(tap.lug - 1)];
        if (rod > 0.0) continue;
        rod = tap.frequencyHz;
        if (++filled == pass->lugCount) break;
    }
    sqlite3_reset(select);
    return pass;
}

Snapshot HistoryStore::currentState() const {
    Snapshot state;
    state.info.timeMs = nowMs();
    if (!isOpen()) return state;
    const std::vector<Reading> strikes = lastGoodStrikes();
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
            if (auto pass = lastLugPass(name, head)) drum.heads.push_back(*pass);
        }
        if (!drum.strike && drum.heads.empty()) continue;
        state.info.drums.push_back(name);
        state.drums.push_back(std::move(drum));
    }
    return state;
}

std::int64_t HistoryStore::createSnapshot(const std::string& name, std::int64_t timeMs) {
    if (!isOpen() || m_Mode == Mode::ReadOnly) return 0;
    Impl& impl = *m_Impl;
    const Snapshot state = currentState();
    if (state.drums.empty()) return 0;
    if (timeMs == 0) timeMs = nowMs();
    int code = impl.exec("BEGIN IMMEDIATE");
    std::int64_t id = 0;
    if (code == SQLITE_OK) {
        sqlite3_stmt* insert =
            impl.statement("INSERT INTO snapshots (name, time_ms) VALUES (?1, ?2)");
        if (insert) {
            bindText(insert, 1, name);
            sqlite3_bind_int64(insert, 2, timeMs);
        }
        code = runToEnd(insert);
        id = sqlite3_last_insert_rowid(impl.db);
    }
    const std::string rowSql =
        "INSERT INTO snapshot_rows (snapshot_id, drum, drum_type, struck, lug, lug_count, "
        "frequency_hz, time_ms, verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db, hi_db) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)";
    auto insertRow = [&](const Reading& row) {
        if (code != SQLITE_OK) return;
        sqlite3_stmt* insert = impl.statement(rowSql);
        if (insert) {
            sqlite3_bind_int64(insert, 1, id);
            bindReading(insert, 2, row);
        }
        code = runToEnd(insert);
    };
    for (const SnapshotDrum& drum : state.drums) {
        if (drum.strike) insertRow(*drum.strike);
        for (const HeadPass& pass : drum.heads) {
            for (int rod = 1; rod <= pass.lugCount; ++rod) {
                const double hz = pass.rodHz[static_cast<std::size_t>(rod - 1)];
                if (hz <= 0.0) continue;
                Reading row;
                row.drum = drum.drum;
                row.drumType = drum.drumType;
                row.struck = pass.head;
                row.lug = rod;
                row.lugCount = pass.lugCount;
                row.frequencyHz = hz;
                row.timeMs = pass.timeMs;
                row.verdict = "good";
                row.toleranceCents = pass.toleranceCents;
                row.targetHz = pass.targetHz;
                insertRow(row);
            }
        }
    }
    if (code == SQLITE_OK) code = impl.exec("COMMIT");
    if (code == SQLITE_OK) return id;
    impl.exec("ROLLBACK");
    reportOnce((code & 0xff) == SQLITE_FULL ? kDiskFull : kWriteFailed,
               std::string(
                   pick("Снимок настройки не записан (", "The tuning snapshot was not written (")) +
                   sqlite3_errstr(code) + "): " + m_Path);
    return 0;
}

std::vector<SnapshotInfo> HistoryStore::snapshots() const {
    std::vector<SnapshotInfo> list;
    if (!isOpen()) return list;
    sqlite3_stmt* select = m_Impl->statement(
        "SELECT s.id, s.name, s.time_ms, r.drum FROM snapshots s "
        "LEFT JOIN snapshot_rows r ON r.snapshot_id = s.id "
        "ORDER BY s.time_ms DESC, s.id DESC, r.rowid");
    if (!select) return list;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const std::int64_t id = sqlite3_column_int64(select, 0);
        if (list.empty() || list.back().id != id) {
            list.push_back(
                SnapshotInfo{id, columnText(select, 1), sqlite3_column_int64(select, 2), {}});
        }
        if (sqlite3_column_type(select, 3) == SQLITE_NULL) continue;
        const std::string drum = columnText(select, 3);
        std::vector<std::string>& drums = list.back().drums;
        if (std::find(drums.begin(), drums.end(), drum) == drums.end()) drums.push_back(drum);
    }
    sqlite3_reset(select);
    return list;
}

bool HistoryStore::renameSnapshot(std::int64_t id, const std::string& name) {
    if (!isOpen() || m_Mode == Mode::ReadOnly) return false;
    sqlite3_stmt* update = m_Impl->statement("UPDATE snapshots SET name = ?1 WHERE id = ?2");
    if (!update) return false;
    bindText(update, 1, name);
    sqlite3_bind_int64(update, 2, id);
    const int code = runToEnd(update);
    if (code != SQLITE_OK) {
        reportOnce(kWriteFailed, std::string(pick("Снимок настройки не переименован (",
                                                  "The tuning snapshot was not renamed (")) +
                                     sqlite3_errstr(code) + ")");
    }
    return code == SQLITE_OK && sqlite3_changes(m_Impl->db) > 0;
}

bool HistoryStore::deleteSnapshot(std::int64_t id) {
    if (!isOpen() || m_Mode == Mode::ReadOnly) return false;
    sqlite3_stmt* remove = m_Impl->statement("DELETE FROM snapshots WHERE id = ?1");
    if (!remove) return false;
    sqlite3_bind_int64(remove, 1, id);
    const int code = runToEnd(remove);
    if (code != SQLITE_OK) {
        reportOnce(kWriteFailed, std::string(pick("Снимок настройки не удалён (",
                                                  "The tuning snapshot was not deleted (")) +
                                     sqlite3_errstr(code) + ")");
    }
    return code == SQLITE_OK && sqlite3_changes(m_Impl->db) > 0;
}

std::optional<Snapshot> HistoryStore::snapshot(std::int64_t id) const {
    if (!isOpen()) return std::nullopt;
    sqlite3_stmt* head = m_Impl->statement("SELECT name, time_ms FROM snapshots WHERE id = ?1");
    if (!head) return std::nullopt;
    sqlite3_bind_int64(head, 1, id);
    if (sqlite3_step(head) != SQLITE_ROW) {
        sqlite3_reset(head);
        return std::nullopt;
    }
    Snapshot snapshot;
    snapshot.info = SnapshotInfo{id, columnText(head, 0), sqlite3_column_int64(head, 1), {}};
    sqlite3_reset(head);
    sqlite3_stmt* rows = m_Impl->statement(
        "SELECT rowid, time_ms, drum, drum_type, struck, lug, lug_count, frequency_hz, lo_hz, "
        "hi_hz, lo_db, hi_db, verdict, tolerance_cents, target_hz FROM snapshot_rows "
        "WHERE snapshot_id = ?1 ORDER BY rowid");
    if (!rows) return std::nullopt;
    sqlite3_bind_int64(rows, 1, id);
    while (sqlite3_step(rows) == SQLITE_ROW) {
        const Reading row = readReading(rows);
        if (snapshot.drums.empty() || snapshot.drums.back().drum != row.drum) {
            snapshot.drums.push_back(SnapshotDrum{row.drum, row.drumType, std::nullopt, {}});
            snapshot.info.drums.push_back(row.drum);
        }
        SnapshotDrum& drum = snapshot.drums.back();
        if (!isHead(row.struck)) {
            drum.strike = row;
            continue;
        }
        if (drum.heads.empty() || drum.heads.back().head != row.struck) {
            HeadPass pass;
            pass.head = row.struck;
            pass.lugCount = std::max(row.lugCount, 1);
            pass.rodHz.assign(static_cast<std::size_t>(pass.lugCount), 0.0);
            pass.timeMs = row.timeMs;
            pass.targetHz = row.targetHz;
            pass.toleranceCents = row.toleranceCents;
            drum.heads.push_back(pass);
        }
        HeadPass& pass = drum.heads.back();
        if (row.lug >= 1 && row.lug <= pass.lugCount)
            pass.rodHz[static_cast<std::size_t>(row.lug - 1)] = row.frequencyHz;
    }
    sqlite3_reset(rows);
    return snapshot;
}

std::optional<Snapshot> HistoryStore::snapshotNamed(const std::string& name) const {
    for (const SnapshotInfo& info : snapshots()) {
        if (info.name == name) return snapshot(info.id);
    }
    return std::nullopt;
}

}  // namespace tomaro::history
