#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/PitchTrack.h"
#include "history/HistoryTypes.h"
#include "kit/Kit.h"
#include "kit/KitPlanner.h"

// What the windows "Два пластика" and "Интервалы и план" show, computed from the tuning history's
// present state (history::HistoryStore::currentState(): every drum's last good strike and its
// heads' last lug passes) and the kit. Pure functions, any thread.
namespace tomaro::overview {

// One head's last lug pass: its (1,1) pitch and evenness as the lug session reads them.
struct HeadSide {
    int rods = 0;      // the head's rod count (0: no pass)
    int measured = 0;  // rods with a reading
    double meanHz = 0.0;
    double splitCents = 0.0;
};
HeadSide headSide(const history::HeadPass* pass);

// The drum's two heads, the interval from the batter up to the resonant head, the fundamental of
// its last good strike (0: none).
struct TwoHeads {
    HeadSide batter;
    HeadSide reso;
    kitplan::Interval interval;
    double fundamentalHz = 0.0;
};
TwoHeads twoHeads(const history::Snapshot& state, const std::string& drumName);

// How the pitch moved after the hit: the last valid point of the track against the first, in
// cents (negative: it fell). 0 with fewer than two valid points.
double pitchBendCents(std::span<const PitchPoint> points);

// One drum of the kit in size order, with the interval up to the drum before it (the next
// smaller one), measured from both drums' last good strikes and planned from their references.
struct KitRow {
    int position = 0;
    double fundamentalHz = 0.0;   // last good strike; 0: none
    int note = 0;                 // the reference note
    bool hasNeighbour = false;    // false for the first (highest) drum
    int plannedSemitones = 0;     // the neighbour's note minus this one's
    kitplan::Interval measured;   // valid when both drums have a strike
    double deviationCents = 0.0;  // measured minus planned (valid with measured)
};
std::vector<KitRow> kitRows(const Kit& kit, const history::Snapshot& state);

}  // namespace tomaro::overview
