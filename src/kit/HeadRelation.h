#pragma once

#include <string>

// How the resonant head of a drum is set against its batter head: in unison, or higher or lower
// by whole semitones. The relation gives the resonant head's target from the batter's pitch (both
// heads' (1,1) means). Pure functions, any thread.
namespace tomaro::headrelation {

inline constexpr int kMaxSemitones = 7;

// semitones: 0 unison, > 0 resonant higher, < 0 resonant lower (held to +-kMaxSemitones).
struct HeadRelation {
    int semitones = 0;
};

// The resonant head's target in Hz for a batter at batterHz (0 when batterHz is not positive).
double resonantTargetHz(const HeadRelation& relation, double batterHz);

// "унисон", "резонансный выше на 3 полутона", "резонансный ниже на 5 полутонов".
std::string relationText(const HeadRelation& relation);
// One sentence on what the relation does to the sound.
std::string soundText(const HeadRelation& relation);

}  // namespace tomaro::headrelation
