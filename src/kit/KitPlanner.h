#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kit/DrumSizes.h"
#include "kit/Kit.h"

// Intervals between drums and the plan of a kit's notes by a scheme of intervals. Pure functions
// and plain values, no persistence: the caller writes a plan into the kit and keeps the notes it
// replaced for undo. Any thread.
namespace tomaro::kitplan {

// The interval from `fromHz` up to `toHz` (negative when toHz is lower), in equal temperament:
// cents = 1200 log2(to / from); semitones the nearest whole number, restCents what is left over
// (-50..50). Across octaves: 17 semitones is an octave and a perfect fourth.
struct Interval {
    double cents = 0.0;
    int semitones = 0;
    double restCents = 0.0;
    bool valid = false;  // false when either frequency is not positive
};
Interval intervalBetween(double fromHz, double toHz);

// "+5 полутонов (чистая кварта) +12 ¢", "-17 полутонов (октава + чистая кварта) -3 ¢",
// "+3 полутона (малая терция) -15 ¢", "0 полутонов (унисон) +2 ¢"; in English "+3 semitones
// (minor third) -15 ¢". The names are those of notes::intervalName.
std::string intervalText(const Interval& interval);
// The count and the word, its Russian form following the count: "1 полутон", "3 полутона",
// "5 полутонов", "-2 полутона"; "1 semitone", "3 semitones". No sign is added.
std::string semitonesText(int semitones);
// The name alone: "чистая кварта", "2 октавы + малая терция", "унисон".
std::string intervalNameText(int semitones);

// A note typed as scientific pitch ("A2", "C#3", "Bb1", "a2") or as a frequency in Hz ("110",
// "110.5", "110 Hz", a decimal comma too; the nearest note). nullopt when it is neither or lies
// outside notes::kMinNote..kMaxNote.
std::optional<int> parseNote(std::string_view text);
// "A2", "C#3": scientific pitch with sharps.
std::string scientificName(int note);

enum class Scheme { Fourths, MajorThirds, MinorThirds, Custom };

// "fourths", "major-thirds", "minor-thirds", "custom".
const char* schemeCode(Scheme scheme);
// Parses a scheme as the command line gives it: one of the codes above, or a custom list of
// semitone steps "5,4,3" (each 1..24). False for anything else.
bool parseScheme(std::string_view text, Scheme& scheme, std::vector<int>& steps);

struct PlanRequest {
    Scheme scheme = Scheme::Fourths;
    std::vector<int> customSteps;  // semitones between neighbours; the last repeats
    int startNote = -15;           // the lowest tom's note (A2), or the highest's with fromTop
    bool fromTop = false;
    bool includeSnare = false;  // the snare one step above the highest tom
    bool includeKick = false;   // the kick one step below the lowest tom
    // The snare's and the kick's diameters for their usual ranges (0: not given).
    drumsizes::ShellSizes sizes;
};

struct PlannedDrum {
    int position = 0;  // in the kit
    int type = 0;
    int note = 0;
    double frequencyHz = 0.0;
    drumsizes::FundamentalRange range;
    bool inRange = true;
    bool changed = false;  // the plan sets this drum's note (false: kept as it is)
    // The scheme carries this drum beyond the notes a drum can have (notes::kMinNote..kMaxNote):
    // it keeps its note, is out of range, and the plan cannot be written.
    bool beyondNotes = false;
};

// The kit's drums in size order, the highest first: the snare, the toms from the smallest to the
// largest, the kick. Each tom gets a note; the snare and the kick keep theirs unless asked for.
struct KitPlan {
    Scheme scheme = Scheme::Fourths;
    std::vector<PlannedDrum> drums;
    bool anyOutOfRange() const;
    // Some drum's planned note lies beyond the notes a drum can have: a start note the plan
    // cannot follow. applyPlan writes nothing then.
    bool leavesNotes() const;
};

// The semitone steps of a scheme (custom: the request's list; an empty list counts as fourths).
std::vector<int> schemeSteps(const PlanRequest& request);
KitPlan planKit(const Kit& kit, const PlanRequest& request);

// The kit's positions in size order as above, for views listing the kit.
std::vector<int> sizeOrder(const Kit& kit);

// Writes the plan's notes into the kit; returns the notes of every position before (for undo),
// or nothing (and writes nothing) when the plan leaves the notes a drum can have.
std::vector<int> applyPlan(Kit& kit, const KitPlan& plan);
// Puts back notes returned by applyPlan (a different count is ignored).
void restoreNotes(Kit& kit, const std::vector<int>& notes);

}  // namespace tomaro::kitplan
