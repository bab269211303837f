#include <sqlite3.h>

#include <algorithm>

#include "history/HistoryConnection.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/ReadingRow.h"
#include "history/Statement.h"
#include "history/UntrustedText.h"
#include "settings/Language.h"

// The snapshots' part of the store.
namespace tomaro::history {

using namespace detail;

std::int64_t HistoryStore::createSnapshot(const std::string& name, std::int64_t timeMs,
                                          bool withFileStrikes) {
    if (!prepareWrite()) return 0;
    HistoryConnection& connection = *m_Connection;
    const Snapshot state = currentState(withFileStrikes);
    if (state.drums.empty()) return 0;
    if (timeMs == 0) timeMs = nowMs();
    int code = connection.exec("BEGIN IMMEDIATE");
    std::int64_t id = 0;
    if (code == SQLITE_OK) {
        sqlite3_stmt* insert =
            connection.statement("INSERT INTO snapshots (name, time_ms) VALUES (?1, ?2)");
        if (insert) {
            bindText(insert, 1, uniqueSnapshotName(name));
            sqlite3_bind_int64(insert, 2, timeMs);
        }
        code = runToEnd(insert);
        id = sqlite3_last_insert_rowid(connection.db());
    }
    const std::string rowSql =
        "INSERT INTO snapshot_rows (snapshot_id, drum, drum_type, struck, lug, lug_count, "
        "frequency_hz, time_ms, verdict, tolerance_cents, target_hz, lo_hz, hi_hz, lo_db, hi_db, "
        "from_file) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)";
    auto insertRow = [&](const Reading& row) {
        if (code != SQLITE_OK) return;
        sqlite3_stmt* insert = connection.statement(rowSql);
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
                row.timeMs = static_cast<std::size_t>(rod - 1) < pass.rodTimeMs.size() &&
                                     pass.rodTimeMs[static_cast<std::size_t>(rod - 1)] > 0
                                 ? pass.rodTimeMs[static_cast<std::size_t>(rod - 1)]
                                 : pass.timeMs;
                row.verdict = "good";
                row.toleranceCents = pass.toleranceCents;
                row.targetHz = pass.targetHz;
                insertRow(row);
            }
        }
    }
    if (code == SQLITE_OK) code = connection.exec("COMMIT");
    if (code == SQLITE_OK) return id;
    connection.exec("ROLLBACK");
    reportOnce((code & 0xff) == SQLITE_FULL ? kDiskFull : kWriteFailed,
               std::string(
                   pick("Снимок настройки не записан (", "The tuning snapshot was not written (")) +
                   sqlite3_errstr(code) + "): " + m_Path);
    return 0;
}

std::vector<SnapshotInfo> HistoryStore::snapshots() const {
    std::vector<SnapshotInfo> list;
    if (!isOpen()) return list;
    sqlite3_stmt* select = m_Connection->statement(
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
    if (!prepareWrite()) return false;
    sqlite3_stmt* update = m_Connection->statement("UPDATE snapshots SET name = ?1 WHERE id = ?2");
    if (!update) return false;
    bindText(update, 1, uniqueSnapshotName(name, id));
    sqlite3_bind_int64(update, 2, id);
    const int code = runToEnd(update);
    if (code != SQLITE_OK) {
        reportOnce(kWriteFailed, std::string(pick("Снимок настройки не переименован (",
                                                  "The tuning snapshot was not renamed (")) +
                                     sqlite3_errstr(code) + ")");
    }
    return code == SQLITE_OK && sqlite3_changes(m_Connection->db()) > 0;
}

bool HistoryStore::deleteSnapshot(std::int64_t id) {
    if (!prepareWrite()) return false;
    sqlite3_stmt* remove = m_Connection->statement("DELETE FROM snapshots WHERE id = ?1");
    if (!remove) return false;
    sqlite3_bind_int64(remove, 1, id);
    const int code = runToEnd(remove);
    if (code != SQLITE_OK) {
        reportOnce(kWriteFailed, std::string(pick("Снимок настройки не удалён (",
                                                  "The tuning snapshot was not deleted (")) +
                                     sqlite3_errstr(code) + ")");
    }
    return code == SQLITE_OK && sqlite3_changes(m_Connection->db()) > 0;
}

std::optional<Snapshot> HistoryStore::snapshot(std::int64_t id) const {
    if (!isOpen()) return std::nullopt;
    sqlite3_stmt* head =
        m_Connection->statement("SELECT name, time_ms FROM snapshots WHERE id = ?1");
    if (!head) return std::nullopt;
    sqlite3_bind_int64(head, 1, id);
    if (sqlite3_step(head) != SQLITE_ROW) {
        sqlite3_reset(head);
        return std::nullopt;
    }
    Snapshot snapshot;
    snapshot.info = SnapshotInfo{id, columnText(head, 0), sqlite3_column_int64(head, 1), {}};
    sqlite3_reset(head);
    sqlite3_stmt* rows =
        m_Connection->statement("SELECT " + readingColumns("rowid", m_Connection->hasFromFile()) +
                                " FROM snapshot_rows WHERE snapshot_id = ?1 ORDER BY rowid");
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
        // Counts the program never makes are not taken: nothing read may size an allocation.
        if (row.lug < 1 || row.lug > kMaxLugCount || row.lugCount > kMaxLugCount) continue;
        if (drum.heads.empty() || drum.heads.back().head != row.struck) {
            HeadPass pass;
            pass.head = row.struck;
            pass.lugCount = std::max(row.lugCount, row.lug);
            pass.rodHz.assign(static_cast<std::size_t>(pass.lugCount), 0.0);
            pass.rodTimeMs.assign(static_cast<std::size_t>(pass.lugCount), 0);
            pass.timeMs = row.timeMs;
            pass.targetHz = row.targetHz;
            pass.toleranceCents = row.toleranceCents;
            drum.heads.push_back(pass);
        }
        HeadPass& pass = drum.heads.back();
        if (row.lug >= 1 && row.lug <= pass.lugCount) {
            pass.rodHz[static_cast<std::size_t>(row.lug - 1)] = row.frequencyHz;
            pass.rodTimeMs[static_cast<std::size_t>(row.lug - 1)] = row.timeMs;
            pass.timeMs = std::max(pass.timeMs, row.timeMs);
        }
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

std::vector<SnapshotInfo> HistoryStore::findSnapshots(const std::string& nameOrId) const {
    const std::vector<SnapshotInfo> all = snapshots();
    std::vector<SnapshotInfo> found;
    for (const SnapshotInfo& info : all) {
        if (info.name == nameOrId) found.push_back(info);
    }
    const bool digits = !nameOrId.empty() && nameOrId.size() <= 18 &&
                        nameOrId.find_first_not_of("0123456789") == std::string::npos;
    if (!found.empty() || !digits) return found;
    const std::int64_t id = std::stoll(nameOrId);
    for (const SnapshotInfo& info : all) {
        if (info.id == id) found.push_back(info);
    }
    return found;
}

std::string HistoryStore::uniqueSnapshotName(const std::string& name, std::int64_t except) const {
    std::vector<std::string> taken;
    for (const SnapshotInfo& info : snapshots()) {
        if (info.id != except) taken.push_back(info.name);
    }
    const auto isTaken = [&](const std::string& candidate) {
        return std::find(taken.begin(), taken.end(), candidate) != taken.end();
    };
    if (!isTaken(name)) return name;
    for (std::size_t n = 2;; ++n) {
        const std::string candidate = name + " (" + std::to_string(n) + ")";
        if (!isTaken(candidate)) return candidate;
    }
}

}  // namespace tomaro::history
