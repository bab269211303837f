#pragma once

// The history file's schema and its upgrade, one version at a time. Internal to the history
// library.

namespace tomaro::history {

class HistoryConnection;

// Brings an open file at `fromVersion` (0: empty, 1 up to the store's schema version) to the
// store's version, each step in a transaction of its own that also sets PRAGMA user_version, so
// that a file left by a failed step is at the version of the last step done. SQLITE_OK, else the
// failing code (the failed step rolled back).
int upgradeSchema(HistoryConnection& connection, int fromVersion);

}  // namespace tomaro::history
