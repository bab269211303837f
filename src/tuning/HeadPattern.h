#pragma once

#include <array>
#include <span>

#include "analysis/HeadModeFit.h"
#include "analysis/ModePairFit.h"

namespace tomaro {

// What the taps near one rod showed, as the head fit uses it.
struct RodObservation {
    double angleDeg = 0.0;  // clockwise from rod 1
    double readingHz =
        0.0;          // the rod's reading in the (1,1) band; 0: not measured (or another mode)
    ModePair pair11;  // the (1,1) pair in the tap (count 0 when not resolved)
    ModePair pair21;  // the (2,1) pair (heads of 8 or more rods)
    // The tap's own (2,1) member when the pair is too close for the fit over all taps; 0: none.
    double reading21Hz = 0.0;
};

// The head's tension pattern as its (1,1) and (2,1) pairs show it, and what every rod needs.
//
// The physics: a tension that varies as cos 2(θ - axis) around the head splits the (1,1) mode
// into two members whose nodal lines cross at right angles; the member with its antinodes on the
// tight axis is the higher one, and the split grows linearly with the pattern (+-10 % of tension
// splits the pair by about 90 cents). A tap near a rod rings each member in proportion to that
// member's shape at the rod, so the members' levels across the rods give the axis: the higher
// member rings loudest on the tight axis, the lower one on the slack axis. cos 4θ (8 or more
// rods) splits the (2,1) pair the same way, about 4 cents per per cent of tension. Patterns odd
// around the head (one side tight) move no frequency to first order: nothing here can see them.
//
// A rod's deviation is the pitch the fitted patterns give the head at its angle (a rod's pitch
// follows the square root of the tension: 1 % of tension is 8.66 cents), plus the head's mean
// against the target: turning each rod by its deviation removes the patterns the pitch can see.
struct HeadFit {
    static constexpr int kMaxRods = 16;

    int measured = 0;
    double meanHz = 0.0;         // the head's (1,1) pitch: the geometric mean of its pair
    double splitCents = 0.0;     // the evenness figure: the (1,1) pair's split, else the readings'
                                 // spread (highest minus lowest rod) when no tap resolved the pair
    bool splitResolved = false;  // the split comes from resolved pairs
    // The taps show a pair closer than the fit resolves (HeadModeFit::kResolutionCents): the
    // split is reported as below that, splitCents 0.
    bool splitBelowResolution = false;
    // The pair is closer than the fit resolves, and the split is the swing of the rods'
    // readings around the head (each rod rings mostly the member its angle favours).
    bool splitFromReadings = false;
    // The axis is known from the members' shapes across the rods. False when a resolved pair
    // rings alike at every rod: the tap is to be repeated rather than an axis guessed.
    bool axisKnown = true;
    // How well the members' shares follow cos 2(θ - axis): the fitted modulation (0..1) and the
    // weighted RMS of what it leaves (0 when not fitted from shares).
    double axisModulation = 0.0;
    double axisResidual = 0.0;
    double axisDeg = 0.0;       // the tight axis of the cos 2θ pattern, [0, 180) from rod 1
    double patternCents = 0.0;  // its amplitude, cents of pitch at a rod on the axis
    bool hasPattern4 = false;   // the (2,1) pair gave a cos 4θ pattern
    double split21Cents = 0.0;
    bool split21BelowResolution = false;
    double axis4Deg = 0.0;  // a tight direction of cos 4θ, [0, 90)
    double pattern4Cents = 0.0;
    double meanOffsetCents = 0.0;  // the mean against the target (0 without one)
    // The gain the cos 2θ advice was given with (AdviceGain): what the head taught.
    double adviceScale = 1.0;
    double adviceTurnDeg = 0.0;
    // Per rod (index lug - 1): cents sharp of where the rod should be (a rod to be tightened is
    // negative), and whether its tap disagrees with the fitted pattern (to be tapped again).
    std::array<double, kMaxRods> deviationCents{};
    std::array<bool, kMaxRods> disagrees{};
};

// Cents of rod pitch per cent of rod tension, and the fitted patterns' amplitudes per cent of
// split (from the physics above: 8.66 / 9 for (1,1), 8.66 / 4 for (2,1)).
inline constexpr double kCentsPerTensionPercent = 8.656;
inline constexpr double kPatternPerSplit11 = kCentsPerTensionPercent / 9.0;
inline constexpr double kPatternPerSplit21 = kCentsPerTensionPercent / 4.0;

// How the advice for the cos 2θ pattern is scaled (and the cos 4θ one with it) and its axis
// turned (degrees, + clockwise), as the head's response to earlier advice asks (HeadResponse);
// the fitted figures stay as fitted.
struct AdviceGain {
    double scale = 1.0;
    double turnDeg = 0.0;
};

// Fits the head from its rods (index lug - 1, angles as given). `targetHz` 0: no target (the mean
// is then the reference). `modes11` and `modes21`, when given with taps fitted, are the head's
// (1,1) and (2,1) members fitted over all taps together (index = rod): the split and the mean
// come from them and the axes from each tap's members' shares (see HeadModeFit); without them the
// per-tap pairs or the readings alone are used. Pure function, any thread.
HeadFit fitHead(std::span<const RodObservation> rods, double targetHz,
                const HeadModes* modes11 = nullptr, const HeadModes* modes21 = nullptr,
                AdviceGain gain = {});

// A tap's share of the upper member: (hi - lo) / (hi + lo) of the members' amplitudes, from -1
// (the lower alone) to +1 (the upper alone); NaN when the tap rang neither.
double memberShare(const HeadModes::TapLevels& tap);

}  // namespace tomaro
