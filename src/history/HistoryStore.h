#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/UserMessage.h"
#include "history/HistoryTypes.h"

namespace tomaro::history {

class HistoryConnection;

// The tuning history: every reading the tuner accepted, and named snapshots of the kit, in one
// SQLite file. It owns the connection and its prepared statements for its whole life.
//
// Opening never loses a reading: a file that will not open or is damaged (PRAGMA quick_check) is
// moved aside as "<file>.broken-<date>" and a new one started, with a message; an older schema
// is upgraded step by step after a copy "<file>.v<N>.bak" is made; a file written by a newer
// version is left alone and the store stays closed. A write that fails (a full disk, a read-only
// folder) gives one message and the store goes on refusing quietly; the tuner does not depend on
// it. Read-only stores (tomaro-analyze --history) never create, move or write the file.
//
// Only a regular file (or nothing yet) is opened: a folder, a named pipe, a device or a broken
// link at the path is named in the message and the store stays closed. Text read from the file is
// made valid UTF-8 and rod counts beyond 4..16 are not taken. A file busy in another program for
// longer than the busy wait is opened again at the next write; a file deleted or moved away while
// open is started again at its path with what the connection still reads, and said once.
//
// One thread at a time (the user-interface thread); other processes may read and write the same
// file at once (WAL, a busy wait of up to 2 s).
class HistoryStore {
public:
    enum class Mode { ReadWrite, ReadOnly };
    static constexpr int kSchemaVersion = 4;

    explicit HistoryStore(std::string path, Mode mode = Mode::ReadWrite);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    bool isOpen() const;
    const std::string& path() const { return m_Path; }
    // The message for the user of the last thing that went wrong (in the current language,
    // caption "Tomaro", a warning: the tuner goes on without the history), taken once: nothing
    // when there is none new. Each kind of failure is reported once per store.
    std::optional<UserMessage> takeMessage();

    // Stores one reading in its own transaction; its id is returned (0: not stored). A reading
    // without a time gets the current one.
    std::int64_t addReading(const Reading& reading);
    // Stores many readings in one transaction (an import, a test file): all or none. Returns
    // how many were stored.
    std::size_t addReadings(const std::vector<Reading>& readings);
    std::vector<Reading> readings(const ReadingQuery& query) const;
    // The readings of `query` (its limit aside), oldest first, each handed to `take` as soon as
    // it is read, without holding the others; `take` returns false to stop. False when the
    // history could not be read to the end (damage found on the way).
    bool forEachReading(const ReadingQuery& query,
                        const std::function<bool(const Reading&)>& take) const;
    // Drum names with a reading, in the order of their first reading.
    std::vector<std::string> drums() const;
    // The newest strike of each drum whose verdict is not "rejected", in the order of drums().
    // Readings from sound files count only `withFileStrikes`.
    std::vector<Reading> lastGoodStrikes(bool withFileStrikes = false) const;
    // The newest lug pass of a drum's head: the rod count of the newest tap, and for every rod of
    // that count its newest reading (and its time). Taps from sound files count only
    // `withFileTaps`.
    std::optional<HeadPass> lastLugPass(const std::string& drum, Struck head,
                                        bool withFileTaps = false) const;
    // The kit as the history has it now: every drum's last good strike and last lug passes
    // (what a snapshot taken now would hold; its info has id 0). Readings from sound files
    // opened while exploring are not the drums' tuning: they count only `withFileStrikes`.
    Snapshot currentState(bool withFileStrikes = false) const;

    // Captures currentState(withFileStrikes) under `name` at `timeMs` (0: now); returns its id
    // (0: failed, or nothing measured yet). A name another snapshot has gets " (2)", " (3)", ...
    // added.
    std::int64_t createSnapshot(const std::string& name, std::int64_t timeMs = 0,
                                bool withFileStrikes = false);
    // Newest first.
    std::vector<SnapshotInfo> snapshots() const;
    // A name another snapshot has gets " (2)", " (3)", ... added, as at creation.
    bool renameSnapshot(std::int64_t id, const std::string& name);
    bool deleteSnapshot(std::int64_t id);
    std::optional<Snapshot> snapshot(std::int64_t id) const;
    // The newest snapshot of that name.
    std::optional<Snapshot> snapshotNamed(const std::string& name) const;
    // The snapshots called `nameOrId` (newest first; more than one only in files written before
    // names were kept unique), else the one whose id it spells in decimal digits.
    std::vector<SnapshotInfo> findSnapshots(const std::string& nameOrId) const;
    // `name` if no snapshot but `except` has it, else the first free of "name (2)", "name (3)", ...
    std::string uniqueSnapshotName(const std::string& name, std::int64_t except = 0) const;

    // How long a statement waits for another program's lock before it gives up.
    static constexpr int kBusyTimeoutMs = 2000;
    // forEachReading merges the drums' readings by time for at most this many drums.
    static constexpr std::size_t kMaxMergedDrums = 256;

private:
    // Kinds of failure, each reported once per store.
    enum Failure : unsigned {
        kOpenFailed = 1u << 0,
        kDamaged = 1u << 1,
        kNewer = 1u << 2,
        kDiskFull = 1u << 3,
        kWriteFailed = 1u << 4,
        kMissing = 1u << 5,
        kBusy = 1u << 6,
        kMoved = 1u << 7,
    };

    // Keeps `message` for takeMessage() unless a failure of that kind was reported already.
    void reportOnce(Failure kind, const std::string& message) const;
    // Opens (or creates) the file at m_Path; closed with a message when it cannot.
    void open();
    // The connection to the file at m_Path, its quick check passed: a damaged file is moved aside
    // (read-write) and a new one started, a reader that cannot share a WAL file reads it as it is.
    // False, closed with a message, when no connection could be made.
    bool connect();
    // A writer's file older than the schema (at `version`): copied aside first, then upgraded.
    // Closed with a message when the copy or a step fails.
    void upgrade(int version);
    // Closes the connection on a file another program holds, says so and tries again at the next
    // write (a read-write store).
    void closeBusy(int code);
    // Before each write: opens again a history that was busy, and starts the file again at its
    // path when it was deleted or moved away, copying what the open connection still holds.
    // False when nothing can be written.
    bool prepareWrite();

    std::string m_Path;
    Mode m_Mode;
    std::unique_ptr<HistoryConnection> m_Connection;
    mutable std::optional<UserMessage> m_Message;
    mutable unsigned m_Reported = 0;  // bit per kind of failure already reported
    bool m_RetryOpen = false;         // the file was busy when opened: try again at a write
};

}  // namespace tomaro::history
