#pragma once

#include <array>
#include <complex>
#include <memory>

namespace tomaro {

struct SampleSource;  // audio/StrikeRecord.h: 16-bit samples via at(frame), frameCount

// One decaying sinusoid of a fitted pair.
struct ModeMember {
    double frequencyHz = 0.0;
    double levelDb = -200.0;  // initial amplitude, dB re 16-bit full scale (20 log10(A / 32768))
    double decayPerSec =
        0.0;             // > 0: dies away as exp(-decayPerSec * t); near 0: no measurable decay
    double snrDb = 0.0;  // the member's level over the noise in the band, dB
};

// What one tap shows of a mode in a band: nothing, one member, or a resolved pair.
struct ModePair {
    int count = 0;  // 0: no member in the band; 1: one (in lo, hi == lo); 2: a pair, lo < hi
    ModeMember lo, hi;
    double noiseDb = -200.0;    // the band's noise floor, same scale as levelDb
    double splitCents() const;  // 1200 log2(hi/lo) for a pair, else 0
    double meanHz() const;  // geometric mean of a pair, the member's frequency for one, 0 for none
};

// A tap's band mixed down to complex baseband around its centre and decimated, as ModePairFit
// fits it: data[n] is the band at decimated sample n, sample 0 lying firstSec after the tap's
// front. Taps of one rate and length share centreHz and decimatedHz, so their poles can be fitted
// together.
struct Baseband {
    static constexpr int kSamples = 256;
    std::array<std::complex<double>, kSamples> data{};
    double centreHz = 0.0;     // the band's centre, Hz: baseband 0 Hz
    double decimatedHz = 0.0;  // the rate of data[], Hz
    double firstSec = 0.0;     // data[0] from the tap's front, s
    double loHz = 0.0, hiHz = 0.0;
    bool ok = false;
};

// A high-resolution fit of the one or two decaying sinusoids a tap shows in a narrow band: the
// split (1,1) mode of an unevenly tensioned head is two of them a few to ~100 cents apart.
//
// Method:
//  1. The first kSkipSec of the tap (the stick's click and the attack) are left out.
//  2. The band is mixed down to complex baseband around its centre and decimated in two stages by
//     Blackman-windowed sinc filters: by D to four times the final rate (8 D + 1 taps, cut at half
//     that rate), then by 4 (73 taps, cut at half the final rate). The final rate is at least
//     three times the band's half-width, so nothing aliases into the band, and at most what makes
//     kSamples samples span kMaxDataSec; a band too wide for it and a tap too short are no
//     reading. A linear filter leaves the poles of decaying sinusoids as they are; only outputs
//     whose filter windows lie wholly inside the data are used, so the filters' own transients
//     never enter the fit. Neighbour modes near the band pass the filters and are fitted as poles
//     of their own, then dropped.
//  3. ESPRIT: the kColumns x kColumns Gram matrix of the Hankel matrix of the kSamples decimated
//     samples is decomposed (SelfAdjointEigenSolver, i.e. the right singular vectors of the
//     Hankel matrix); the model order is the number of singular values above kOrderFactor times
//     their median (the noise), at most kMaxPoles. The poles are the eigenvalues
//     (ComplexEigenSolver) of the shift-invariance matrix, solved by ColPivHouseholderQR.
//  4. All poles are refined together by Levenberg-Marquardt on the complex least-squares error of
//     the model sum c_k z_k^n (amplitudes and poles; the model is holomorphic, so complex normal
//     equations give the exact Gauss-Newton step).
//  5. Poles outside [loHz, hiHz], non-finite ones, clearly growing ones, ones dying within
//     kMinDecaySec, ones broader than the band
//     and ones under kMinSnrDb over the band's noise (at the start of the fitted data) are dropped;
//     of the rest the two strongest are kept, the weaker only within kMaxRatioDb of the stronger.
//     With fewer than two, the strongest pole in the band is split and the split refitted; it is
//     kept when it lowers the error by far more than noise would (kSplitGain in the .cpp), which
//     finds pairs the subspace step merged. Two members closer than kMinSplitCents are reported
//     as one: their summed power at their power-weighted mean frequency and decay (a single
//     refitted pole would follow their slow beating and may land outside both).
// The noise is the residual of the fit, taken as white over the decimated band and scaled to the
// band's width (hiHz - loHz), given as the amplitude of a sinusoid of the same power; levels are
// extrapolated back to the tap's front by the fitted decay.
//
// Data length: kSamples decimated samples, spanning kMaxDataSec (0.8 s) when the band allows, less
// for wide bands at high frequencies (at 1500 Hz +-12 % about 0.42 s). Samples where a member has
// fallen into the noise cost no bias, only a little of the noise weighting a shorter span would
// avoid; a longer span is what resolves close pairs of slowly decaying members.
//
// Every buffer and decomposition lives in a workspace allocated by the constructor, sized for
// sample rates up to kMaxRateHz; fit() never touches the heap. User-interface thread (one fit at a
// time per object; the source must not be written meanwhile).
class ModePairFit {
public:
    static constexpr double kMinSplitCents = 5.0;  // closer members are one
    static constexpr double kMinSnrDb = 10.0;      // a member's level over the band's noise
    // A second member this far under the first is dropped: that weak a partner is within what the
    // modelling errors of the first (a decay not exactly exponential) leave behind.
    static constexpr double kMaxRatioDb = 30.0;
    static constexpr double kMinDecaySec = 0.03;  // members dying faster: the attack's leftovers
    static constexpr double kSkipSec = 0.01;      // the attack left out
    static constexpr double kMaxDataSec = 0.8;    // the longest span of decimated samples
    // The shortest: a shorter tap (under about 0.2 s) or a band wide enough to need a faster
    // decimated rate is no reading, as close pairs would come out as made-up splits.
    static constexpr double kMinDataSec = 0.15;
    static constexpr double kMaxSpanSec = 1.0;  // the tap read from its front, at most
    static constexpr double kMaxRateHz = 192000.0;
    static constexpr int kSamples = Baseband::kSamples;  // decimated samples fitted
    static constexpr int kColumns = 48;                  // columns of the Hankel matrix
    static constexpr int kMaxPoles = 8;
    static constexpr double kOrderFactor = 2.0;

    ModePairFit();
    ~ModePairFit();
    ModePairFit(const ModePairFit&) = delete;
    ModePairFit& operator=(const ModePairFit&) = delete;

    // Fits frames [start, end) of `source` at `sampleRateHz` (the tap from its front; clipped to
    // the source and to at most 1 s) for at most two decaying sinusoids whose frequencies lie in
    // [loHz, hiHz]. Members outside the band, non-finite ones, ones whose level is less than
    // kMinSnrDb over the band's noise are dropped; two members closer than kMinSplitCents are
    // reported as one. A rate above kMaxRateHz, a band that is empty, not positive or reaching
    // half the rate, a band wider than kMinDataSec allows (a half-width over kSamples / (3
    // kMinDataSec), about 570 Hz), or a tap too short for kMinDataSec of data give count 0 with
    // noiseDb -200. Returns result(); never allocates; UI thread.
    const ModePair& fit(const SampleSource& source, double sampleRateHz, int start, int end,
                        double loHz, double hiHz);
    const ModePair& result() const { return m_Result; }

    // The band of the same frames as fit() reads them, mixed down and decimated, for a fit of
    // poles shared by several taps (HeadModeFit). False, with `out.ok` false, where fit() would
    // give count 0 for the geometry alone. Never allocates; UI thread.
    bool baseband(const SampleSource& source, double sampleRateHz, int start, int end, double loHz,
                  double hiHz, Baseband& out);

private:
    bool prepare(const SampleSource& source, double sampleRateHz, int start, int end, double loHz,
                 double hiHz);

    struct Workspace;  // every buffer and decomposition, allocated by the constructor (~1.7 MB)
    ModePair m_Result;
    std::unique_ptr<Workspace> m_Work;
};

}  // namespace tomaro
