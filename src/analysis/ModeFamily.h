#pragma once

#include <array>
#include <span>

namespace tomaro {

class Analyzer;

// The modes of a drum head and where they lie against its (1,1) mode. A circular membrane's modes
// follow the zeros of the Bessel functions; the air the head pushes lowers the modes that move
// much air (the (0,n) ones) by several per cent, so the ratios below are those of real heads, not
// of the ideal membrane (0.63, 1.34, 1.44, 1.66, 1.83). They move a few per cent from head to head.
namespace membrane {

inline constexpr double kRatio01 = 0.66;  // the fundamental, struck at the centre
inline constexpr double kRatio21 = 1.34;
inline constexpr double kRatio02 = 1.44;
inline constexpr double kRatio31 = 1.66;

// A centre strike rings (0,1); the (1,1) mode then lies 1.45–1.60 times higher at a usual
// tuning, and from 1.12 (a large head tuned low, whose air raises its fundamental most) to 1.72
// times over all tunings.
inline constexpr double kCentreToPairLo = 1.45;
inline constexpr double kCentreToPairHi = 1.60;
inline constexpr double kCentreToPairMin = 1.12;
inline constexpr double kCentreToPairMax = 1.72;

// A rod is read within +-12 % of the (1,1) family: wide enough for a head whose rods lie a
// semitone or more apart and for a pair split by 100 cents, narrow enough to leave out the
// fundamental (0.66x) and the (2,1) mode (1.34x) even when the head is 15 % off its centre.
inline constexpr double kFamilyBandFraction = 0.12;

// The (2,1) pair is read within +-4 % of 1.34x: the (0,2) mode at 1.44x stays outside.
inline constexpr double kPair21BandFraction = 0.04;

}  // namespace membrane

// A peak of a tap's spectrum: a local maximum, its frequency refined between bins.
struct SpectralPeak {
    double frequencyHz = 0.0;
    double levelDb = -300.0;  // power of the peak bin, dB (only differences between peaks matter)
};

// The strongest peaks of one tap, loudest first.
struct PeakList {
    static constexpr int kMaxPeaks = 16;
    int count = 0;
    std::array<SpectralPeak, kMaxPeaks> peaks{};
};

// The strongest local maxima of the analyser's last spectrum within [loHz, hiHz] at
// `sampleRateHz`, at most PeakList::kMaxPeaks, each within 30 dB of the loudest. Peaks closer
// than 3 % to a louder one are left out (one mode, or a split pair, is one peak here), and so are
// the window's sidelobes (within 16 % of a peak 20 dB louder). Never
// allocates; same thread as the analyser.
PeakList spectralPeaks(const Analyzer& analyzer, double sampleRateHz, double loHz, double hiHz);

// Which mode of a head is its (1,1), from the peaks of one or more taps near its rods. A rod's
// tap may ring (2,1) or (0,2) louder than (1,1), so the loudest peak says little; the family is
// told by its pattern: every candidate frequency F (a peak of some tap) is scored by the taps
// that ring near F and by the partners each of them shows where the (1,1) family puts them
// (0.63–0.70 F, and from 1.34 F, 1.44 F, 1.66 F to 8 % above, where the air a head moves raises
// its higher modes against its (1,1)); a candidate whose fundamental has a fundamental of its own
// is a higher mode. Nothing of a head rings between its fundamental and its (1,1), and at most a
// stray tone below them, so strong peaks a tap shows there count against F. The best score wins;
// near ties go to the louder candidate.
// Returns the (1,1) frequency (the mean of the taps' peaks near it), 0 without any peak.
double pairFamilyHz(std::span<const PeakList> taps);

// The (2,1) mode of the head whose (1,1) rings at `pairHz`, from the taps' peaks: the lowest peak
// each tap shows between kPair21LoRatio and kPair21HiRatio times pairHz, their median over the taps
// that show one, when at least half of them do (0 otherwise). (2,1) is the next mode above (1,1);
// on an ideal membrane it lies at 1.34x, and the air a head moves raises it to about 1.40x, while
// (0,2) comes next, 1.44–1.53x.
inline constexpr double kPair21LoRatio = 1.28;
inline constexpr double kPair21HiRatio = 1.48;
double pair21Hz(std::span<const PeakList> taps, double pairHz);

// The fundamental (0,1) of a strike at the centre of a head from its peaks: the lowest peak within
// kCentreStrongDb of the loudest. A centre strike rings the (0,n) series, and on large heads
// (0,2) or (0,3) can be as loud as (0,1), or louder; the series starts at its lowest strong
// member. 0 without any peak.
inline constexpr double kCentreStrongDb = 15.0;
double centreFundamentalHz(const PeakList& peaks);

// The (1,1) family one tap shows above a centre strike's fundamental `fundamentalHz`: the family
// its peaks point to (pairFamilyHz), when that lies kCentreToPairMin..kCentreToPairMax times the
// fundamental; 0 otherwise.
double centreFamilyHz(const PeakList& tap, double fundamentalHz);

}  // namespace tomaro
