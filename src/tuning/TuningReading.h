#pragma once

#include <string>

#include "tuning/NearestReference.h"

namespace tomaro {

class Kit;
struct ReferenceSwitches;

// What to do with a head or a rod measured against its target.
enum class TuneAdvice {
    None,     // nothing measured, or nothing to compare with
    Ok,       // within the tolerance
    Tighten,  // flat: "подтянуть"
    Loosen,   // sharp: "ослабить"
};

// Tighten below -tolerance, loosen above +tolerance, ok between (bounds included).
TuneAdvice adviceFor(double cents, double toleranceCents);

// The tuning view's one reading. Without a target (no reference at all) the deviation is taken
// from the nearest note, as the read-out does.
struct TuningReading {
    bool valid = false;       // a frequency within 20 < f < 2000 Hz was read
    double measuredHz = 0.0;  // as measured (the overtone transfer does not apply here)
    std::string note;         // note and octave of the measured frequency: "1, Ля"
    std::string noteName;     // the note alone ("Ля", "A") and its octave number as the note
    int octave = 0;           // text counts it (1 or 4 for the A of 440 Hz)
    double targetHz = 0.0;    // the reference compared with; 0: none (deviation from the note)
    int drum = -1;            // kit position of the target; -1 for the free reference or none
    int kind = -1;            // kFundamental, kBatterOvertone, kResonantOvertone; -1 none
    double cents = 0.0;       // measured against the target (or the nearest note); + sharp
    TuneAdvice advice = TuneAdvice::None;
    int rod = 0;  // lug mode: the rod the advice is for (1..16; 0: not a rod's reading)
    // Lug mode: how far the rod's advice goes, unsigned cents (the head fit's deviation at the
    // rod, which differs from `cents`: the fit spreads each rod's reading over the head).
    double adviceCents = 0.0;
};

// One rod of a head as the lug drawing shows it.
struct LugRod {
    double hz = 0.0;            // 0: not measured
    double readingCents = 0.0;  // the reading against the head's reference, + sharp
    double adviceCents = 0.0;   // how far the advice goes, unsigned (the head fit at the rod)
    TuneAdvice advice = TuneAdvice::None;
    bool tapAgain = false;  // its tap disagrees with the head's pattern
};

// The head's fitted pattern as the lug drawing shows it.
struct LugPatternView {
    bool shown = false;
    double axisDeg = 0.0;     // the tight axis, clockwise from rod 1
    double splitCents = 0.0;  // the (1,1) pair's split
};

// Settings of the tuning view in section "Tuning": the drum being tuned ("Drum": its name; empty
// for the nearest reference) and the tolerance ("ToleranceCents", default 5, held to 1..50).
namespace tuningstore {
inline constexpr const char* kSection = "Tuning";
inline constexpr int kDefaultToleranceCents = 5;
std::string loadDrumName(const Profile& profile);
void saveDrumName(Profile& profile, const std::string& name);
int loadTolerance(const Profile& profile);
void saveTolerance(Profile& profile, int cents);
}  // namespace tuningstore

// The reading of `measuredHz` against `targetHz` (0: none, the deviation is then taken from the
// nearest note); drum and kind are left at -1. The note is named in Latin when `latinNames` or
// the current language is English.
TuningReading readingAgainst(double measuredHz, double targetHz, bool latinNames,
                             double toleranceCents);

// Lug mode: rod `rod`'s reading `rodHz` against the head's reference `referenceHz` (cents, +
// sharp, consistent with the two frequencies), with the head fit's advice for the rod: `advice`
// and the size of `deviationCents` (unsigned). Drum and kind are left at -1.
TuningReading rodReading(int rod, double rodHz, double referenceHz, double deviationCents,
                         TuneAdvice advice, bool latinNames, double toleranceCents);

// The reading of `measuredHz`. With `tunedDrum` a kit position, the target is that drum's nearest
// reference (in cents) among its note and its two overtone references, whatever the display
// switches; with -1 the read-out's nearest reference (switches and free reference as there;
// with the transfer on, an overtone match is still compared with the overtone itself).
TuningReading tuningReading(double measuredHz, const Kit& kit, const ReferenceSwitches& switches,
                            int tunedDrum, double toleranceCents);

}  // namespace tomaro
