#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "history/HistoryConnection.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/ReadingRow.h"
#include "history/Statement.h"
#include "history/UntrustedText.h"
#include "settings/Language.h"

// The readings' part of the store: adding them, reading them back, and the kit as they have it.
namespace tomaro::history {
namespace {

constexpr const char* kInsertReading =
    "INSERT INTO readings (drum, drum_type, struck, lug, lug_count, frequency_hz, time_ms, "
    "verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db, hi_db, from_file) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)";

}  // namespace

using namespace detail;

std::int64_t HistoryStore::addReading(const Reading& reading) {
    if (!prepareWrite()) return 0;
    HistoryConnection& connection = *m_Connection;
    Reading stored = reading;
    if (stored.timeMs == 0) stored.timeMs = nowMs();
    sqlite3_stmt* insert = connection.statement(kInsertReading);
    int code = SQLITE_ERROR;
    if (insert) {
        bindReading(insert, 1, stored);
        // One statement is one transaction: committed whole or not at all.
        code = runToEnd(insert);
    }
    if (code == SQLITE_OK) return sqlite3_last_insert_rowid(connection.db());
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
    HistoryConnection& connection = *m_Connection;
    int code = connection.exec("BEGIN IMMEDIATE");
    for (const Reading& reading : readings) {
        if (code != SQLITE_OK) break;
        Reading stored = reading;
        if (stored.timeMs == 0) stored.timeMs = nowMs();
        sqlite3_stmt* insert = connection.statement(kInsertReading);
        if (insert) bindReading(insert, 1, stored);
        code = runToEnd(insert);
    }
    if (code == SQLITE_OK) code = connection.exec("COMMIT");
    if (code == SQLITE_OK) return readings.size();
    connection.exec("ROLLBACK");
    reportOnce((code & 0xff) == SQLITE_FULL ? kDiskFull : kWriteFailed,
               std::string(pick("История настройки не записывается (",
                                "The tuning history cannot be written (")) +
                   sqlite3_errstr(code) + "): " + m_Path);
    return 0;
}

std::vector<Reading> HistoryStore::readings(const ReadingQuery& query) const {
    std::vector<Reading> result;
    if (!isOpen()) return result;
    const std::string columns = m_Connection->readingColumns();
    sqlite3_stmt* select =
        query.drum ? m_Connection->statement("SELECT " + columns +
                                             " FROM readings WHERE drum = ?1 AND time_ms >= ?2 "
                                             "ORDER BY time_ms DESC, id DESC LIMIT ?3")
                   : m_Connection->statement("SELECT " + columns +
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
    sqlite3* db = m_Connection->db();
    const std::int64_t sinceMs = query.sinceMs.value_or(std::numeric_limits<std::int64_t>::min());
    // One cursor per drum along the index of a drum's readings, merged by time: the first
    // reading comes at once and nothing is held, where one query ordered by time would sort the
    // whole table first. Not kept statements: a long read would hold them open.
    const std::string select = "SELECT " + m_Connection->readingColumns() +
                               " FROM readings WHERE drum = ?1 AND time_ms >= ?2 "
                               "ORDER BY time_ms, id";
    struct Cursor {
        Statement stmt;
        int code = SQLITE_DONE;
    };
    std::vector<Cursor> cursors;
    const auto addCursor = [&](sqlite3_value* drum) {
        Statement stmt(db, select.c_str(), Statement::Use::Once);
        if (!stmt.ok()) return false;
        sqlite3_bind_value(stmt.get(), 1, drum);
        sqlite3_bind_int64(stmt.get(), 2, sinceMs);
        const int code = sqlite3_step(stmt.get());
        cursors.push_back(Cursor{std::move(stmt), code});
        return true;
    };
    if (query.drum) {
        const Statement name(db, "SELECT ?1", Statement::Use::Once);
        if (!name.ok()) return false;
        bindText(name.get(), 1, *query.drum);
        if (sqlite3_step(name.get()) != SQLITE_ROW ||
            !addCursor(sqlite3_column_value(name.get(), 0))) {
            return false;
        }
    } else {
        // The drums one by one along the index (each a single search), as SQLite holds them:
        // a drum stored as a number or a blob is a drum too.
        const Statement first(db, "SELECT min(drum) FROM readings", Statement::Use::Once);
        const Statement next(db, "SELECT min(drum) FROM readings WHERE drum > ?1",
                             Statement::Use::Once);
        sqlite3_stmt* step = first.get();
        bool ok = first.ok() && next.ok();
        bool tooMany = false;
        int code = SQLITE_DONE;
        while (ok && (code = sqlite3_step(step)) == SQLITE_ROW &&
               sqlite3_column_type(step, 0) != SQLITE_NULL) {
            tooMany = cursors.size() == kMaxMergedDrums;
            ok = !tooMany && addCursor(sqlite3_column_value(step, 0));
            if (ok) {
                // Copied first: `step` may be `next` itself, whose value the reset ends.
                sqlite3_value* drum = sqlite3_value_dup(sqlite3_column_value(step, 0));
                sqlite3_reset(next.get());
                sqlite3_bind_value(next.get(), 1, drum);
                sqlite3_value_free(drum);
                step = next.get();
            }
        }
        ok = ok && (code == SQLITE_ROW || code == SQLITE_DONE);
        if (tooMany) {
            // Not a kit any more: one query sorted by time, slower to start.
            cursors.clear();
            const std::string sorted = "SELECT " + m_Connection->readingColumns() +
                                       " FROM readings WHERE time_ms >= ?2 ORDER BY time_ms, id";
            Statement all(db, sorted.c_str(), Statement::Use::Once);
            if (!all.ok()) return false;
            sqlite3_bind_int64(all.get(), 2, sinceMs);
            const int allCode = sqlite3_step(all.get());
            cursors.push_back(Cursor{std::move(all), allCode});
        } else if (!ok) {
            return false;
        }
    }
    for (;;) {
        Cursor* oldest = nullptr;
        for (Cursor& cursor : cursors) {
            if (cursor.code == SQLITE_DONE) continue;
            if (cursor.code != SQLITE_ROW) return false;
            if (!oldest) {
                oldest = &cursor;
                continue;
            }
            const std::int64_t time = sqlite3_column_int64(cursor.stmt.get(), 1);
            const std::int64_t oldestTime = sqlite3_column_int64(oldest->stmt.get(), 1);
            if (time < oldestTime ||
                (time == oldestTime && sqlite3_column_int64(cursor.stmt.get(), 0) <
                                           sqlite3_column_int64(oldest->stmt.get(), 0))) {
                oldest = &cursor;
            }
        }
        if (!oldest) return true;
        if (!take(readReading(oldest->stmt.get()))) return true;
        oldest->code = sqlite3_step(oldest->stmt.get());
    }
}

std::vector<std::string> HistoryStore::drums() const {
    std::vector<std::string> names;
    if (!isOpen()) return names;
    sqlite3_stmt* select =
        m_Connection->statement("SELECT drum FROM readings GROUP BY drum ORDER BY min(id)");
    if (!select) return names;
    while (sqlite3_step(select) == SQLITE_ROW) names.push_back(columnText(select, 0));
    sqlite3_reset(select);
    return names;
}

std::vector<Reading> HistoryStore::lastGoodStrikes(bool withFileStrikes) const {
    std::vector<Reading> strikes;
    if (!isOpen()) return strikes;
    for (const std::string& drum : drums()) {
        sqlite3_stmt* select = m_Connection->statement(
            "SELECT " + m_Connection->readingColumns() +
            " FROM readings WHERE drum = ?1 AND struck = 'drum' AND verdict <> 'rejected' "
            "AND (?2 OR " +
            m_Connection->fromFileColumn() + " = 0) ORDER BY time_ms DESC, id DESC LIMIT 1");
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
    sqlite3_stmt* select = m_Connection->statement(
        "SELECT " + m_Connection->readingColumns() +
        " FROM readings WHERE drum = ?1 AND struck = ?2 AND verdict <> 'rejected' AND (?3 OR " +
        m_Connection->fromFileColumn() + " = 0) ORDER BY time_ms DESC, id DESC LIMIT 2000");
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
