#include "tuning/HeadPattern.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "base/Cents.h"
#include "base/Median.h"

namespace tomaro {
namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
// A rod whose tap lies further than this from the fitted pattern (in the -1..1 scale of which
// member it rang) is to be tapped again.
constexpr double kDisagreement = 0.9;
// A resolved pair whose members' shares vary less than this around the head (on the -1..1 scale),
// or less than what the fit leaves, shows no axis.
constexpr double kMinModulation = 0.25;
// The smallest split the readings' swing around the head gives (cents), and how far that swing
// must stand above what the cos 2θ fit leaves of the readings.
constexpr double kReadingsResolutionCents = 1.0;
constexpr double kReadingsSignificance = 4.0;

// Least squares y = X c, the smallest c when some columns cannot be told apart (4 rods see no
// sin 2θ; 8 rods no sin 4θ). Returns false when the solve fails.
bool solve(const Eigen::MatrixXd& x, const Eigen::VectorXd& y, Eigen::VectorXd& c) {
    Eigen::CompleteOrthogonalDecomposition<Eigen::MatrixXd> solver(x);
    solver.setThreshold(1e-9);
    c = solver.solve(y);
    return solver.info() == Eigen::Success && c.allFinite();
}

// Which member a tap rang, from -1 (the lower alone) to +1 (the higher alone): the members'
// powers when the tap resolved the pair, else where its one frequency lies between the head's
// two members. NaN when the tap says nothing of it.
double memberWeight(const ModePair& pair, double readingHz, double loHz, double hiHz) {
    if (pair.count == 2) {
        const double lo = std::pow(10.0, pair.lo.levelDb / 10.0);
        const double hi = std::pow(10.0, pair.hi.levelDb / 10.0);
        return lo + hi > 0.0 ? (hi - lo) / (hi + lo) : NAN;
    }
    const double hz = pair.count == 1 ? pair.lo.frequencyHz : readingHz;
    if (hz <= 0.0 || hiHz <= loHz) return NAN;
    const double half = 0.5 * centsBetween(loHz, hiHz);
    return std::clamp(centsBetween(std::sqrt(loHz * hiHz), hz) / half, -1.0, 1.0);
}

// values(θ) = c0 + a cos mθ + b sin mθ, fitted around the head.
struct PatternFit {
    bool ok = false;
    double c0 = 0.0;
    double amplitude = 0.0;  // hypot(a, b)
    double axisDeg = 0.0;    // where the pattern is highest, [0, 360 / m)
    std::vector<double> residual;
    double rms = 0.0;  // weighted RMS of the residual
};

// Fits the pattern of order m to `values` at `anglesDeg` (three rods at least). For the members'
// weights the axis is where the higher member rings loudest; for single readings (each rod reads
// the member it rings, or a blend leaning to it) the members lie about the amplitude r either side
// of the mean, so the pair's split is about 2 r.
PatternFit fitPattern(const std::vector<double>& anglesDeg, const std::vector<double>& values,
                      int m, const std::vector<double>& weights = {}) {
    PatternFit fit;
    const int n = static_cast<int>(values.size());
    if (n < 3) return fit;
    Eigen::MatrixXd x(n, 3);
    Eigen::VectorXd y(n);
    for (int i = 0; i < n; ++i) {
        const double w = weights.empty() ? 1.0 : std::sqrt(std::max(weights[i], 0.0));
        x(i, 0) = w;
        x(i, 1) = w * std::cos(m * anglesDeg[i] * kDegToRad);
        x(i, 2) = w * std::sin(m * anglesDeg[i] * kDegToRad);
        y(i) = w * values[i];
    }
    Eigen::VectorXd c;
    if (!solve(x, y, c)) return fit;
    fit.ok = true;
    fit.c0 = c(0);
    fit.amplitude = std::hypot(c(1), c(2));
    const double period = 360.0 / m;
    fit.axisDeg = std::fmod(std::atan2(c(2), c(1)) / kDegToRad / m + period, period);
    fit.residual.resize(n);
    double weightSum = 0.0, squares = 0.0;
    for (int i = 0; i < n; ++i) {
        const double w = weights.empty() ? 1.0 : std::max(weights[i], 0.0);
        const double model = c(0) + c(1) * std::cos(m * anglesDeg[i] * kDegToRad) +
                             c(2) * std::sin(m * anglesDeg[i] * kDegToRad);
        fit.residual[i] = values[i] - model;
        weightSum += w;
        squares += w * fit.residual[i] * fit.residual[i];
    }
    fit.rms = weightSum > 0.0 ? std::sqrt(squares / weightSum) : 0.0;
    return fit;
}

// The swing of single readings (Hz) around the head as a pattern of order m, in cents about
// their geometric mean. Each rod reads the member it rings, or a blend leaning to it, so a clear
// swing (clearSwing()) is about half the split either way.
PatternFit swingOf(const std::vector<double>& anglesDeg, std::vector<double> hz, int m) {
    if (hz.empty()) return {};
    double logSum = 0.0;
    for (double f : hz) logSum += std::log(f);
    const double referenceHz = std::exp(logSum / static_cast<double>(hz.size()));
    for (double& f : hz) f = centsBetween(referenceHz, f);
    return fitPattern(anglesDeg, hz, m);
}

// A swing that shows a split the pair fit could not part: 1 cent of split or more, standing
// kReadingsSignificance times over what the fit leaves.
bool clearSwing(const PatternFit& fit) {
    return fit.ok && 2.0 * fit.amplitude >= kReadingsResolutionCents &&
           fit.amplitude >= kReadingsSignificance * fit.rms;
}

// The members' shares of the fitted taps around the head, with weights from each tap's level
// (against the loudest) and how much of it the model explains.
struct Shares {
    std::vector<int> rods;
    std::vector<double> anglesDeg, values, weights;
};

Shares sharesOf(std::span<const RodObservation> rods, const HeadModes& modes) {
    Shares shares;
    const int count = std::min<int>(static_cast<int>(rods.size()), HeadModes::kMaxTaps);
    double loudest = 0.0;
    for (int i = 0; i < count; ++i) {
        const auto& tap = modes.taps[i];
        if (tap.fitted) loudest = std::max(loudest, tap.loAmplitude + tap.hiAmplitude);
    }
    for (int i = 0; i < count; ++i) {
        const auto& tap = modes.taps[i];
        const double share = memberShare(tap);
        if (!(rods[i].readingHz > 0.0) || !tap.fitted || std::isnan(share)) continue;
        shares.rods.push_back(i);
        shares.anglesDeg.push_back(rods[i].angleDeg);
        shares.values.push_back(share);
        shares.weights.push_back(tap.explained *
                                 std::min(1.0, (tap.loAmplitude + tap.hiAmplitude) / loudest));
    }
    return shares;
}

}  // namespace

double memberShare(const HeadModes::TapLevels& tap) {
    const double sum = tap.loAmplitude + tap.hiAmplitude;
    return tap.fitted && sum > 0.0 ? (tap.hiAmplitude - tap.loAmplitude) / sum : NAN;
}

HeadFit fitHead(std::span<const RodObservation> rods, double targetHz, const HeadModes* modes11,
                const HeadModes* modes21, AdviceGain gain) {
    HeadFit head;
    const int count = std::min<int>(static_cast<int>(rods.size()), HeadFit::kMaxRods);
    std::vector<int> measured;
    std::vector<double> los, his, splits;
    for (int i = 0; i < count; ++i) {
        if (!(rods[i].readingHz > 0.0)) continue;
        measured.push_back(i);
        if (rods[i].pair11.count == 2) {
            los.push_back(rods[i].pair11.lo.frequencyHz);
            his.push_back(rods[i].pair11.hi.frequencyHz);
            splits.push_back(rods[i].pair11.splitCents());
        }
    }
    head.measured = static_cast<int>(measured.size());
    if (measured.empty()) return head;

    double lowest = rods[measured[0]].readingHz;
    double highest = lowest;
    double logSum = 0.0;
    for (int i : measured) {
        lowest = std::min(lowest, rods[i].readingHz);
        highest = std::max(highest, rods[i].readingHz);
        logSum += std::log(rods[i].readingHz);
    }
    std::vector<double> angles;
    for (int i : measured) angles.push_back(rods[i].angleDeg);

    // A pair resolved at one rod alone may be the fit's mistake on a head split by a cent or two:
    // the pair counts once a third of the rods (two at least) resolve it.
    const bool pairSeen = splits.size() >= std::max<std::size_t>(2, (measured.size() + 2) / 3);
    const bool joint11 = modes11 != nullptr && modes11->tapsFitted > 0 && modes11->count > 0;
    if (joint11) {
        // One pair for the head: the members' frequencies from all taps together, the axis from
        // where each member rings (its shape across the rods).
        head.meanHz = modes11->meanHz();
        head.splitBelowResolution = modes11->belowResolution;
        if (modes11->count == 2) {
            head.splitResolved = true;
            head.splitCents = modes11->splitCents();
            const Shares shares = sharesOf(rods, *modes11);
            const PatternFit fit = fitPattern(shares.anglesDeg, shares.values, 2, shares.weights);
            head.axisKnown = fit.ok && fit.amplitude >= kMinModulation && fit.rms <= fit.amplitude;
            if (fit.ok) {
                head.axisModulation = fit.amplitude;
                head.axisResidual = fit.rms;
                head.axisDeg = fit.axisDeg;
            }
            if (head.axisKnown) {
                head.patternCents = kPatternPerSplit11 * head.splitCents;
                for (std::size_t k = 0; k < shares.rods.size() && shares.rods.size() >= 4; ++k) {
                    head.disagrees[shares.rods[k]] = std::abs(fit.residual[k]) > kDisagreement;
                }
            }
        } else if (measured.size() >= 4) {
            // Members too close for one fit to part still show in the readings: a rod on the
            // tight axis rings its upper member almost alone, one on the slack axis its lower, so
            // the readings swing by about the split as cos 2θ around the head. A clear swing is
            // the split; none, and it stays below the resolution.
            std::vector<double> readings;
            for (int i : measured) readings.push_back(rods[i].readingHz);
            const PatternFit fit = swingOf(angles, readings, 2);
            if (clearSwing(fit)) {
                head.splitBelowResolution = false;
                head.splitFromReadings = true;
                head.splitCents = 2.0 * fit.amplitude;
                head.patternCents = kPatternPerSplit11 * head.splitCents;
                head.axisDeg = fit.axisDeg;
            }
        }
    } else if (pairSeen) {
        // The pair as the taps resolved it: the same two frequencies at every rod, only their
        // levels change with the rod's angle.
        head.splitResolved = true;
        const double loHz = median(los);
        const double hiHz = median(his);
        head.splitCents = median(splits);
        head.meanHz = std::sqrt(loHz * hiHz);
        std::vector<double> weights;
        for (int i : measured) {
            weights.push_back(memberWeight(rods[i].pair11, rods[i].readingHz, loHz, hiHz));
        }
        const PatternFit fit = fitPattern(angles, weights, 2);
        if (fit.ok) {
            head.axisDeg = fit.axisDeg;
            head.patternCents = kPatternPerSplit11 * head.splitCents;
            for (std::size_t k = 0; k < measured.size() && measured.size() >= 4; ++k) {
                head.disagrees[measured[k]] = std::abs(fit.residual[k]) > kDisagreement;
            }
        }
    } else if (measured.size() >= 3) {
        // No tap resolved the pair: each reading is the member its rod rings, or a blend of the
        // two. The readings' own cos 2θ component gives the axis and, as 2 r, the split.
        const double reference = std::exp(logSum / static_cast<double>(measured.size()));
        std::vector<double> values;
        for (int i : measured) values.push_back(centsBetween(reference, rods[i].readingHz));
        head.meanHz = reference;
        const PatternFit fit = fitPattern(angles, values, 2);
        if (fit.ok) {
            // The split as the pattern across all rods shows it: steadier than the spread of
            // single readings, which a cent of scatter at two rods would decide.
            head.meanHz = reference * std::exp2(fit.c0 / 1200.0);
            head.splitCents = 2.0 * fit.amplitude;
            head.patternCents = kPatternPerSplit11 * head.splitCents;
            head.axisDeg = fit.axisDeg;
        }
    } else {
        head.splitCents = centsBetween(lowest, highest);
        head.meanHz = std::exp(logSum / static_cast<double>(measured.size()));
    }

    // The (2,1) pair and its cos 4θ pattern, when taps resolved it.
    std::vector<double> los21, his21, splits21;
    for (int i : measured) {
        if (rods[i].pair21.count == 2) {
            los21.push_back(rods[i].pair21.lo.frequencyHz);
            his21.push_back(rods[i].pair21.hi.frequencyHz);
            splits21.push_back(rods[i].pair21.splitCents());
        }
    }
    const bool pair21Seen = splits21.size() >= std::max<std::size_t>(2, (measured.size() + 2) / 3);
    const bool joint21 = modes21 != nullptr && modes21->tapsFitted > 0;
    if (joint21 && count >= 8) {
        head.split21BelowResolution = modes21->belowResolution;
        std::vector<double> values, at;
        for (int i : measured) {
            if (!(rods[i].reading21Hz > 0.0)) continue;
            values.push_back(rods[i].reading21Hz);
            at.push_back(rods[i].angleDeg);
        }
        if (modes21->count == 1 && values.size() >= 6) {
            // As for (1,1): each tap leans to the member its angle favours, now as cos 4θ.
            const PatternFit fit = swingOf(at, values, 4);
            if (clearSwing(fit)) {
                head.split21BelowResolution = false;
                head.hasPattern4 = true;
                head.split21Cents = 2.0 * fit.amplitude;
                head.axis4Deg = fit.axisDeg;
                head.pattern4Cents = kPatternPerSplit21 * head.split21Cents;
            }
        } else if (modes21->count == 2) {
            head.split21Cents = modes21->splitCents();
            const Shares shares = sharesOf(rods, *modes21);
            const PatternFit fit = fitPattern(shares.anglesDeg, shares.values, 4, shares.weights);
            if (fit.ok && fit.amplitude >= kMinModulation && fit.rms <= fit.amplitude) {
                head.hasPattern4 = true;
                head.axis4Deg = fit.axisDeg;
                head.pattern4Cents = kPatternPerSplit21 * head.split21Cents;
            }
        }
    } else if (pair21Seen && count >= 8) {
        const double loHz = median(los21);
        const double hiHz = median(his21);
        std::vector<double> weights, at;
        for (int i : measured) {
            const double w = memberWeight(rods[i].pair21, 0.0, loHz, hiHz);
            if (std::isnan(w)) continue;
            weights.push_back(w);
            at.push_back(rods[i].angleDeg);
        }
        const PatternFit fit = fitPattern(at, weights, 4);
        if (fit.ok) {
            head.hasPattern4 = true;
            head.split21Cents = median(splits21);
            head.axis4Deg = fit.axisDeg;
            head.pattern4Cents = kPatternPerSplit21 * head.split21Cents;
        }
    } else if (count >= 8) {
        // Closer than a fit resolves (a few cents): the (2,1) readings alternate around the head
        // as the cos 4θ pattern makes each rod ring one member or the other.
        std::vector<double> values, at;
        for (int i : measured) {
            if (rods[i].pair21.count != 1) continue;
            values.push_back(rods[i].pair21.lo.frequencyHz);
            at.push_back(rods[i].angleDeg);
        }
        if (values.size() >= 6) {
            const PatternFit fit = swingOf(at, values, 4);
            if (fit.ok) {
                head.hasPattern4 = true;
                head.split21Cents = 2.0 * fit.amplitude;
                head.axis4Deg = fit.axisDeg;
                head.pattern4Cents = kPatternPerSplit21 * head.split21Cents;
            }
        }
    }

    if (targetHz > 0.0 && head.meanHz > 0.0) {
        head.meanOffsetCents = centsBetween(targetHz, head.meanHz);
    }
    head.adviceScale = gain.scale;
    head.adviceTurnDeg = gain.turnDeg;
    for (int i = 0; i < count; ++i) {
        if (!(rods[i].readingHz > 0.0)) continue;
        double deviation = head.meanOffsetCents;
        // Fewer than three rods show no pattern yet: each is taken against the mean.
        if (measured.size() < 3) deviation += centsBetween(head.meanHz, rods[i].readingHz);
        deviation += gain.scale * head.patternCents *
                     std::cos(2.0 * (rods[i].angleDeg - head.axisDeg - gain.turnDeg) * kDegToRad);
        // The cos 4θ advice takes the learnt scale too: a hand that over-turns does so on every
        // pattern, and a head whose rim carries little of its pattern inward does so for both.
        if (head.hasPattern4) {
            deviation += gain.scale * head.pattern4Cents *
                         std::cos(4.0 * (rods[i].angleDeg - head.axis4Deg) * kDegToRad);
        }
        head.deviationCents[i] = deviation;
    }
    return head;
}

}  // namespace tomaro
