#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kit/DrumHead.h"

// Plain values of the tuning history: what the store takes and gives. No thread rules of their own.
namespace tomaro::history {

// What was struck: the drum as a whole (the main strike), the centre of a head, or a tap near one
// rod of the batter or resonant head (the two values that stand for a DrumHead).
enum class Struck { Drum, Centre, Batter, Reso };

// A tap on `head`, and the head a tap was on (none for the drum or a centre): the one place where
// the history's values meet the kit's heads.
Struck struckOf(DrumHead head);
std::optional<DrumHead> headOf(Struck struck);
inline bool isHead(Struck struck) { return headOf(struck).has_value(); }

// "drum", "centre", and for a head its headCode(): "batter", "reso"; parse accepts exactly these.
const char* struckCode(Struck struck);
bool parseStruck(const std::string& code, Struck& struck);

// The (1,1) pair of a head when one was read: its two close partials, Hz and dB.
struct ModePair {
    double loHz = 0.0;
    double hiHz = 0.0;
    double loDb = 0.0;
    double hiDb = 0.0;
};

// One reading as stored.
struct Reading {
    std::int64_t id = 0;      // given by the store
    std::int64_t timeMs = 0;  // UTC, milliseconds since 1970
    std::string drum;         // the kit's drum name as stored ("12\"", "Малый"); "" none
    int drumType = -1;        // kit/DrumTypes.h type, -1 unknown
    Struck struck = Struck::Drum;
    int lug = 0;       // rod 1..lugCount for a head tap, else 0
    int lugCount = 0;  // rods of the head for a head tap, else 0
    double frequencyHz = 0.0;
    std::optional<ModePair> pair;
    std::string verdict;  // "good", "doubtful", "rejected"
    double toleranceCents = 0.0;
    double targetHz = 0.0;  // 0: no target
    // Read from a sound file opened while exploring, not struck live: not the drum's tuning
    // unless the drummer says so.
    bool fromFile = false;
};

// Which readings a query returns: of one drum (all when unset), from a time on, at most `limit`
// (the newest ones; 0: all). Newest last.
struct ReadingQuery {
    std::optional<std::string> drum;
    std::optional<std::int64_t> sinceMs;
    int limit = 0;
};

// One head's last lug measurement: every rod's Hz (0: not measured), rods 1..lugCount.
struct HeadPass {
    Struck head = Struck::Batter;
    int lugCount = 0;
    std::vector<double> rodHz;
    // When each rod's reading was taken (0: unknown), beside rodHz.
    std::vector<std::int64_t> rodTimeMs;
    std::int64_t timeMs = 0;  // of the latest rod
    double targetHz = 0.0;
    double toleranceCents = 0.0;
    // The mean of the rods measured (0: none).
    double meanHz() const;
};

// One drum in a snapshot: its last good strike and its heads' last lug passes.
struct SnapshotDrum {
    std::string drum;
    int drumType = -1;
    std::optional<Reading> strike;
    std::vector<HeadPass> heads;
    const HeadPass* head(Struck which) const;
};

struct SnapshotInfo {
    std::int64_t id = 0;
    std::string name;
    std::int64_t timeMs = 0;
    std::vector<std::string> drums;
};

struct Snapshot {
    SnapshotInfo info;
    std::vector<SnapshotDrum> drums;
    const SnapshotDrum* drum(const std::string& name) const;
};

// One line of a comparison: a drum's strike (lug 0, struck Drum) or one rod of a head, from one
// state to another. Lines present in only one state have the other side 0 and no cents. A line
// whose later reading was taken no later than the earlier state (the rod was not measured again
// since) has `measuredSince` false and no cents: it says nothing of a drift.
struct DriftLine {
    std::string drum;
    Struck struck = Struck::Drum;
    int lug = 0;
    double fromHz = 0.0;
    double toHz = 0.0;
    std::optional<double> cents;
    bool measuredSince = true;
};

// Per drum and per rod, in cents from `from` to `to`; drums in the order of `from`, then the
// drums only `to` has.
std::vector<DriftLine> compare(const Snapshot& from, const Snapshot& to);

}  // namespace tomaro::history
