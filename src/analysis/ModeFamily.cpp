#include "analysis/ModeFamily.h"

#include <algorithm>
#include <cmath>

#include "analysis/Analyzer.h"
#include "base/Median.h"

namespace tomaro {
namespace {

constexpr int kMaxCandidates = 64;
constexpr double kKeepWithinDb = 30.0;
constexpr double kSeparation = 0.03;  // peaks closer than 3 % are one
// A peak within 16 % of one 20 dB louder is taken for its sidelobe (the analysed stretch's window
// puts its first sidelobes some 30 dB down, a few bins out).
constexpr double kSidelobeReach = 0.16;
constexpr double kSidelobeDb = 20.0;
constexpr double kSameModeWindow = 0.05;  // a pair split by 100 cents lies within +-3 %
constexpr double kPartnerWindow = 0.04;
// What a chain of two 0.66x steps below a candidate costs it (more than its 0.66x partner gives).
constexpr double kChainPenalty = 2.5;  // partner ratios move a few per cent with air loading
// What each strong peak below a candidate (other than its fundamental) costs it: a head's higher
// modes, (2,1), (0,2), (3,1), ..., all lie above its (1,1), so a candidate over several of them
// is one of them. Only peaks within kBelowStrongDb of the candidate count: a faint tone of another
// drum or of the other head says little.
constexpr double kBelowPenalty = 1.0;
constexpr double kBelowStrongDb = 12.0;
constexpr double kAirRaise = 1.08;
// Where a head's fundamental (0,1) lies against its (1,1): 1/1.59 on an ideal membrane; the air
// a head pumps raises it, the more the slacker the head: 1/1.5 at a usual tuning, up to 1/1.15 on
// a large head tuned low, and down to 1/1.66 on a small one tuned high. (The upper end overlaps
// where (1,1) lies below (2,1), about 0.72: what tells them apart is what rings below and above.)
constexpr double kFundamentalLo = 0.58;
constexpr double kFundamentalHi = 0.88;
// Nothing of a head rings between its (1,1), split by up to about 130 cents, and its (2,1) at
// 1.34x or more; a higher mode has neighbours there ((2,1): (0,2) at 1.09x and (3,1) at 1.27x).
// Each strong peak there costs a candidate this much.
constexpr double kAboveLo = 1.08;
constexpr double kAboveHi = 1.28;
constexpr double kAbovePenalty = 1.5;

double powerDb(double power) { return 10.0 * std::log10(std::max(power, 1e-300)); }

bool near(double hz, double centreHz, double window) {
    return centreHz > 0.0 && std::abs(hz / centreHz - 1.0) <= window;
}

// The loudest peak of `tap` within `window` of `hz`; null when none.
const SpectralPeak* peakNear(const PeakList& tap, double hz, double window) {
    for (int i = 0; i < tap.count; ++i) {
        if (near(tap.peaks[i].frequencyHz, hz, window)) return &tap.peaks[i];
    }
    return nullptr;
}

// The loudest peak of `tap` within [loHz, hiHz]; null when none.
const SpectralPeak* peakWithin(const PeakList& tap, double loHz, double hiHz) {
    for (int i = 0; i < tap.count; ++i) {
        if (tap.peaks[i].frequencyHz >= loHz && tap.peaks[i].frequencyHz <= hiHz) {
            return &tap.peaks[i];
        }
    }
    return nullptr;
}

// How many strong peaks of `tap` (within kBelowStrongDb of `levelDb`) below `candidateHz` speak
// against it being the (1,1): each one between its fundamental and it, where a head has no mode,
// and those below its fundamental beyond the first (one stray tone, of another drum or of the
// other head, is allowed for).
int strongPeaksBelow(const PeakList& tap, double candidateHz, double levelDb) {
    const double fundamentalLoHz = candidateHz * kFundamentalLo;
    const double fundamentalHiHz = candidateHz * kFundamentalHi;
    int inGap = 0;
    int underFundamental = 0;
    for (int i = 0; i < tap.count; ++i) {
        const SpectralPeak& lower = tap.peaks[i];
        if (lower.frequencyHz >= candidateHz * (1.0 - kSameModeWindow) ||
            lower.levelDb < levelDb - kBelowStrongDb ||
            (lower.frequencyHz >= fundamentalLoHz && lower.frequencyHz <= fundamentalHiHz)) {
            continue;
        }
        if (lower.frequencyHz > fundamentalHiHz) {
            ++inGap;
        } else {
            ++underFundamental;
        }
    }
    return inGap + std::max(0, underFundamental - 1);
}

// How many strong peaks of `tap` (within kBelowStrongDb of `levelDb`) lie just above
// `candidateHz`, where a (1,1) has no neighbour.
int strongPeaksJustAbove(const PeakList& tap, double candidateHz, double levelDb) {
    int count = 0;
    for (int i = 0; i < tap.count; ++i) {
        const SpectralPeak& upper = tap.peaks[i];
        if (upper.levelDb >= levelDb - kBelowStrongDb &&
            upper.frequencyHz >= candidateHz * kAboveLo &&
            upper.frequencyHz <= candidateHz * kAboveHi) {
            ++count;
        }
    }
    return count;
}

// Whether `tap` shows a fundamental below the candidate's own fundamental partner: the mark of a
// higher mode, whose "fundamental" is the head's (1,1).
bool showsChain(const PeakList& tap, double candidateHz) {
    const SpectralPeak* partner =
        peakWithin(tap, candidateHz * kFundamentalLo, candidateHz * kFundamentalHi);
    return partner != nullptr && peakWithin(tap, partner->frequencyHz * kFundamentalLo,
                                            partner->frequencyHz * kFundamentalHi) != nullptr;
}

}  // namespace

PeakList spectralPeaks(const Analyzer& analyzer, double sampleRateHz, double loHz, double hiHz) {
    PeakList list;
    if (!(sampleRateHz > 0.0) || !(loHz < hiHz)) return list;
    const double binHz = sampleRateHz / Analyzer::kSpectrumSize;
    const int first = std::max(1, static_cast<int>(std::ceil(loHz / binHz)));
    const int last = std::min(Analyzer::kUsedBins - 2, static_cast<int>(std::floor(hiHz / binHz)));

    // The loudest local maxima, kept sorted loudest first in a fixed table.
    std::array<SpectralPeak, kMaxCandidates> candidates{};
    int count = 0;
    for (int bin = first; bin <= last; ++bin) {
        const double p = analyzer.power(bin);
        if (!(p > analyzer.power(bin - 1) && p >= analyzer.power(bin + 1))) continue;
        const double l = powerDb(analyzer.power(bin - 1));
        const double c = powerDb(p);
        const double r = powerDb(analyzer.power(bin + 1));
        const double curvature = l - 2.0 * c + r;
        const double offset =
            curvature < 0.0 ? std::clamp(0.5 * (l - r) / curvature, -0.5, 0.5) : 0;
        const SpectralPeak peak{(bin + offset) * binHz, c - 0.25 * (l - r) * offset};
        if (count == kMaxCandidates && peak.levelDb <= candidates[count - 1].levelDb) continue;
        int at = std::min(count, kMaxCandidates - 1);
        while (at > 0 && candidates[at - 1].levelDb < peak.levelDb) {
            candidates[at] = candidates[at - 1];
            --at;
        }
        candidates[at] = peak;
        count = std::min(count + 1, kMaxCandidates);
    }
    for (int i = 0; i < count && list.count < PeakList::kMaxPeaks; ++i) {
        const SpectralPeak& peak = candidates[i];
        if (peak.levelDb < candidates[0].levelDb - kKeepWithinDb) break;
        bool separate = true;
        for (int j = 0; j < list.count; ++j) {
            const SpectralPeak& louder = list.peaks[j];
            separate = separate && !near(peak.frequencyHz, louder.frequencyHz, kSeparation);
            // The window's sidelobes beside a strong peak are local maxima too, far under it.
            separate = separate && !(near(peak.frequencyHz, louder.frequencyHz, kSidelobeReach) &&
                                     peak.levelDb < louder.levelDb - kSidelobeDb);
        }
        if (separate) list.peaks[list.count++] = peak;
    }
    return list;
}

double pairFamilyHz(std::span<const PeakList> taps) {
    struct Partner {
        double loRatio;  // where the partner lies against the candidate
        double hiRatio;
        double weight;
    };
    // The (1,1) family's neighbours that a tap near the rim rings; the fundamental weighs most,
    // as no other mode of the family has a strong mode 0.66 times below it. The higher modes lie
    // from the ideal membrane's ratio up to 8 % above it: the air a head moves lowers its (1,1)
    // more than them.
    static constexpr std::array<Partner, 4> kPartners{{
        {kFundamentalLo, kFundamentalHi, 2.0},
        {membrane::kRatio21 * (1.0 - kPartnerWindow), membrane::kRatio21 * kAirRaise, 1.0},
        {membrane::kRatio02 * (1.0 - kPartnerWindow), membrane::kRatio02 * kAirRaise, 0.7},
        {membrane::kRatio31 * (1.0 - kPartnerWindow), membrane::kRatio31 * kAirRaise, 0.5},
    }};
    double bestHz = 0.0;
    double bestScore = 0.0;
    double bestLevel = -1e300;
    for (const PeakList& source : taps) {
        for (int c = 0; c < source.count; ++c) {
            const double candidate = source.peaks[c].frequencyHz;
            // A peak beside a louder one in the same mode's window is a sidelobe or the other
            // member of a pair: the louder one stands for it.
            if (peakNear(source, candidate, kSameModeWindow) != &source.peaks[c]) continue;
            // A head's fundamental often shows in some taps only: a chain below the candidate in
            // any tap marks it a higher mode in every tap that shows its 0.66x partner.
            bool chain = false;
            for (const PeakList& tap : taps) {
                if (peakNear(tap, candidate, kSameModeWindow) != nullptr) {
                    chain = chain || showsChain(tap, candidate);
                }
            }
            double score = 0.0;
            double level = 0.0;  // summed over the taps, dB: what decides a tie
            for (const PeakList& tap : taps) {
                const SpectralPeak* own = peakNear(tap, candidate, kSameModeWindow);
                if (own == nullptr) continue;
                level += own->levelDb;
                score += 1.0;
                for (const Partner& partner : kPartners) {
                    if (peakWithin(tap, candidate * partner.loRatio, candidate * partner.hiRatio) !=
                        nullptr) {
                        score += partner.weight;
                    }
                }
                // Nothing of the head rings 0.66 times below its fundamental: a candidate whose
                // 0.66x partner has one of its own is a higher mode ((0,2) sits near 1/0.66 of
                // the (1,1), whose own 0.66x is the fundamental).
                if (chain && peakWithin(tap, candidate * kFundamentalLo,
                                        candidate * kFundamentalHi) != nullptr) {
                    score -= kChainPenalty;
                }
                score -= kBelowPenalty * strongPeaksBelow(tap, candidate, own->levelDb);
                score -= kAbovePenalty * strongPeaksJustAbove(tap, candidate, own->levelDb);
            }
            // A tie goes to the louder candidate: a weaker tone below or above the family with no
            // partners of its own (a fundamental, a tone an octave down) is not the (1,1).
            const bool better = score > bestScore + 1e-9;
            const bool tieLouder = std::abs(score - bestScore) <= 1e-9 && level > bestLevel;
            if (better || tieLouder) {
                bestScore = score;
                bestHz = candidate;
                bestLevel = level;
            }
        }
    }
    if (bestHz <= 0.0) return 0.0;
    // The family's frequency: the mean of the taps' loudest peaks near the winner.
    double sum = 0.0;
    int count = 0;
    for (const PeakList& tap : taps) {
        if (const SpectralPeak* peak = peakNear(tap, bestHz, kSameModeWindow)) {
            sum += peak->frequencyHz;
            ++count;
        }
    }
    return count > 0 ? sum / count : bestHz;
}

double pair21Hz(std::span<const PeakList> taps, double pairHz) {
    if (!(pairHz > 0.0) || taps.empty()) return 0.0;
    std::array<double, 64> lowest{};
    int shown = 0;
    for (const PeakList& tap : taps) {
        double hz = 0.0;
        for (int i = 0; i < tap.count; ++i) {
            const double f = tap.peaks[i].frequencyHz;
            if (f < pairHz * kPair21LoRatio || f > pairHz * kPair21HiRatio) continue;
            if (hz <= 0.0 || f < hz) hz = f;
        }
        if (hz > 0.0 && shown < static_cast<int>(lowest.size())) lowest[shown++] = hz;
    }
    if (shown == 0 || 2 * shown < static_cast<int>(taps.size())) return 0.0;
    return median(std::span(lowest.data(), static_cast<std::size_t>(shown)));
}

double centreFundamentalHz(const PeakList& peaks) {
    if (peaks.count == 0) return 0.0;
    double loudest = peaks.peaks[0].levelDb;
    for (int i = 1; i < peaks.count; ++i) loudest = std::max(loudest, peaks.peaks[i].levelDb);
    double lowest = 0.0;
    for (int i = 0; i < peaks.count; ++i) {
        const SpectralPeak& peak = peaks.peaks[i];
        if (peak.levelDb < loudest - kCentreStrongDb) continue;
        if (lowest <= 0.0 || peak.frequencyHz < lowest) lowest = peak.frequencyHz;
    }
    return lowest;
}

double centreFamilyHz(const PeakList& tap, double fundamentalHz) {
    if (!(fundamentalHz > 0.0)) return 0.0;
    const double family = pairFamilyHz(std::span<const PeakList>(&tap, 1));
    const double ratio = family / fundamentalHz;
    return ratio >= membrane::kCentreToPairMin && ratio <= membrane::kCentreToPairMax ? family
                                                                                      : 0.0;
}

}  // namespace tomaro
