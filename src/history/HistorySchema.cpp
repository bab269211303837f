#include "history/HistorySchema.h"

#include <iterator>
#include <string>

#include "history/HistoryConnection.h"
#include "history/HistoryStore.h"

namespace tomaro::history {
namespace {

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

}  // namespace

int upgradeSchema(HistoryConnection& connection, int fromVersion) {
    for (int step = fromVersion; step < HistoryStore::kSchemaVersion; ++step) {
        int code = connection.exec("BEGIN IMMEDIATE");
        if (code == SQLITE_OK) code = connection.exec(kSteps[step]);
        if (code == SQLITE_OK) {
            const std::string pragma = "PRAGMA user_version=" + std::to_string(step + 1);
            code = connection.exec(pragma.c_str());
        }
        if (code == SQLITE_OK) code = connection.exec("COMMIT");
        if (code != SQLITE_OK) {
            connection.exec("ROLLBACK");
            return code;
        }
    }
    return SQLITE_OK;
}

}  // namespace tomaro::history
