#pragma once

#include "kit/ShellSizes.h"

// The usual range of a drum's fundamental (the (0,1) mode of a struck head over its shell), by
// drum type (kit/DrumTypes.h). At one tension the fundamental of a head falls as its diameter
// grows (f ~ sqrt(T / sigma) / d); the tensions that leave a head playable (from just above
// wrinkling to choked) span a factor of about 3.5, i.e. a bit under an octave of pitch. The tom
// ranges are 1080/d .. 2040/d Hz (d in inches: 12" gives 90..170 Hz); the snare, tuned far tighter
// than a tom of its size, 150..330 Hz; the kick, loose and air-loaded, 40..90 Hz. See
// docs/drum-ranges.md for the reasoning and the published figures they agree with. Pure
// functions, any thread.
namespace tomaro::drumsizes {

struct FundamentalRange {
    double loHz = 0.0;
    double hiHz = 0.0;
    bool contains(double hz) const { return hz >= loHz && hz <= hiHz; }
};

// The tom constants, Hz times inches.
inline constexpr double kTomLoHzInch = 1080.0;
inline constexpr double kTomHiHzInch = 2040.0;

// The range of type 0..19; an empty range (0, 0) for any other index.
FundamentalRange fundamentalRange(int drumType);
// The same, for a snare or a kick of the diameter given in `sizes`: the range of a 14" snare or
// a 22" kick scaled by 14 / d or 22 / d (the pitch of a head falls as 1 / d at one tension). A
// size not given keeps the range above.
FundamentalRange fundamentalRange(int drumType, const ShellSizes& sizes);

// The usual diameters the snare and kick ranges are made for, inches.
inline constexpr double kSnareUsualInch = 14.0;
inline constexpr double kKickUsualInch = 22.0;

}  // namespace tomaro::drumsizes
