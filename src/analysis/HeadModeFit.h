#pragma once

#include <array>
#include <memory>
#include <span>

#include "analysis/ModePairFit.h"

namespace tomaro {

// What the taps of one head show of one of its modes. The members' frequencies and decays belong
// to the head (one set of poles shared by every tap); each tap only rings them with levels of its
// own, which follow the members' shapes at the tap's place.
struct HeadModes {
    static constexpr int kMaxTaps = 16;

    // One tap's share of the fit.
    struct TapLevels {
        bool fitted = false;
        // The members' amplitudes at the tap's first fitted sample, 16-bit full scale (32768).
        double loAmplitude = 0.0;
        double hiAmplitude = 0.0;
        double levelDb = -200.0;  // the tap's level in the band's data, dB re full scale
        double explained = 0.0;   // the share of the tap's band power the model explains, 0..1
    };

    int count = 0;  // 0: no member; 1: one (hi == lo); 2: a pair, lo.frequencyHz < hi.frequencyHz
    // Two members closer than HeadModeFit::kResolutionCents: reported as one member (count 1), the
    // split as below what the data resolve, never as a figure.
    bool belowResolution = false;
    ModeMember lo, hi;  // levels and signal-to-noise figures of the loudest tap
    double noiseDb = -200.0;
    double firstSec = 0.0;  // the taps' first fitted sample from their fronts, s
    // The taps ring more than one pair in the band (a third member with a fifth of the weaker
    // member's energy or more): no head's pair, count 0.
    bool inconsistent = false;
    int tapsFitted = 0;
    std::array<TapLevels, kMaxTaps> taps{};

    double splitCents() const;  // 1200 log2(hi/lo) for a pair, else 0
    double meanHz() const;      // geometric mean of a pair, the member for one, 0 for none
    // The head's members as tap `index` rang them (count 0 for a tap not fitted).
    ModePair pairAt(int index) const;
};

// The members of one mode of a head from all taps of a pass together, as modal analysis finds
// global poles: the taps' basebands (ModePairFit::baseband(), one band for all) are stacked and
// one set of poles is estimated for all of them, then each tap's amplitudes with the poles fixed.
//
// Method:
//  1. Each tap is weighted to unit power, so that a loud tap does not outvote the others.
//  2. ESPRIT over the stacked Hankel matrices: the sum of the taps' Gram matrices is decomposed
//     (SelfAdjointEigenSolver); the model order is the number of eigenvalues above kOrderFactor²
//     times their median, at most kMaxPoles (neighbour modes that pass the decimation filters are
//     poles of their own). The poles are the eigenvalues (ComplexEigenSolver) of the shift
//     invariance matrix.
//  3. The poles are refined by variable projection: for given poles every tap's amplitudes are a
//     linear least-squares solve; Levenberg-Marquardt moves the poles on the error left after it
//     (Kaufman's Jacobian).
//  4. A member lies inside the band, out of its outer kEdgeFraction (a peak at the band's edge is
//     the skirt of a mode outside it), with a decay of a ringing mode. The number of members is
//     chosen by the data: a pair is kept only when it lowers the error by more than the minimum
//     description length asks for its added parameters (a pole and one amplitude per tap), a lone
//     member is split when that pays the same price; one member is a valid answer.
//  5. A pair closer than kResolutionCents is reported as one member, below the resolution.
//
// The workspace is allocated by the constructor; fit() never touches the heap. UI thread.
class HeadModeFit {
public:
    static constexpr int kMaxTaps = HeadModes::kMaxTaps;
    static constexpr int kMaxPoles = 16;
    static constexpr double kOrderFactor = 2.0;
    static constexpr double kResolutionCents = 4.0;
    static constexpr double kEdgeFraction = 0.1;  // of the band's half-width at each edge
    static constexpr double kMinSnrDb = 10.0;     // a member's level over the noise in one tap
    static constexpr double kMaxRatioDb = 40.0;   // a weaker member's energy under the stronger
    static constexpr double kMinDecaySec = 0.03;  // members dying faster: the attack's leftovers
    static constexpr double kThirdMemberShare = 0.2;

    HeadModeFit();
    ~HeadModeFit();
    HeadModeFit(const HeadModeFit&) = delete;
    HeadModeFit& operator=(const HeadModeFit&) = delete;

    // Fits the taps (index = tap; null or not ok: no tap there; taps whose decimated rate differs
    // from the first usable one are left out) for the members in [loHz, hiHz]. At most kMaxTaps
    // are read. Returns result().
    const HeadModes& fit(std::span<const Baseband* const> taps, double loHz, double hiHz);
    const HeadModes& result() const { return m_Result; }

private:
    struct Workspace;
    HeadModes m_Result;
    std::unique_ptr<Workspace> m_Work;
};

}  // namespace tomaro
