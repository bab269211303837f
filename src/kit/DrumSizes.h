#pragma once

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

}  // namespace tomaro::drumsizes
