#include "analysis/ModePairFit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <vector>

#include "audio/StrikeRecord.h"
#include "base/Cents.h"

namespace tomaro {

double ModePair::splitCents() const {
    return count == 2 && lo.frequencyHz > 0.0 ? centsBetween(lo.frequencyHz, hi.frequencyHz) : 0.0;
}

double ModePair::meanHz() const {
    if (count == 2) return std::sqrt(lo.frequencyHz * hi.frequencyHz);
    return count == 1 ? lo.frequencyHz : 0.0;
}

namespace {

using Complex = std::complex<double>;

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kPi = kTwoPi / 2.0;
constexpr double kFullScale = 32768.0;
constexpr double kFloorDb = -200.0;

constexpr int kN = ModePairFit::kSamples;
constexpr int kL = ModePairFit::kColumns;
constexpr int kRows = kN - kL + 1;  // rows of the Hankel matrix
constexpr int kMaxK = ModePairFit::kMaxPoles;
constexpr int kMaxP = 2 * kMaxK;  // refined parameters: an amplitude and a pole per component

// The second decimation stage: by 4, 73 taps cut at a quarter of its input's Nyquist frequency
// (the final rate's half). Its passband is flat to about 0.35 of the final rate.
constexpr int kStageB = 4;
constexpr int kTapsB = 73;
constexpr int kHalfB = kTapsB / 2;
// The first stage: 2 * kHalfPerD * D + 1 taps cut at half its output rate.
constexpr int kHalfPerD = 4;
// First-stage outputs the second stage reads.
constexpr int kOutputsA = kStageB * (kN - 1) + kTapsB;
// The final rate is at least this many times the band's half-width, so that the first-stage
// transition band and aliases stay out of the band.
constexpr double kRateOverHalfWidth = 3.0;

// Levenberg-Marquardt limits: the poles start close, so few passes suffice; a trial split only
// needs to show whether it pays, and the one kept is refined to the end.
constexpr int kMaxPasses = 40;
constexpr int kTrialPasses = 12;
constexpr int kMaxTries = 12;
constexpr double kTolerance = 1e-9;  // relative decrease of the error that ends the passes
// A split of a lone member is kept when it lowers the squared error by this many times the noise
// variance of one complex sample; noise alone lowers it by about 2 for the two added components.
constexpr double kSplitGain = 25.0;
// Initial splits tried for a lone member, cents.
constexpr std::array<double, 2> kSplitTriesCents{8.0, 25.0};

double blackman(int k, int length) {
    const double x = kTwoPi * k / (length - 1);
    return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
}

// A windowed-sinc low-pass of `length` (odd) taps cut at `cutoff` cycles per sample, its DC gain 1.
void designLowPass(double* taps, int length, double cutoff) {
    const int half = length / 2;
    double sum = 0.0;
    for (int k = 0; k < length; ++k) {
        const int m = k - half;
        const double ideal = m == 0 ? 2.0 * cutoff : std::sin(kTwoPi * cutoff * m) / (kPi * m);
        taps[k] = ideal * blackman(k, length);
        sum += taps[k];
    }
    for (int k = 0; k < length; ++k) taps[k] /= sum;
}

// Two members too close to tell apart as one: the power of both, at their power-weighted mean
// frequency (geometric) and decay. A pole refitted alone would follow the slow beating of the two
// and could land outside them.
ModeMember joined(const ModeMember& a, const ModeMember& b) {
    const double powerA = std::pow(10.0, a.levelDb / 10.0);
    const double powerB = std::pow(10.0, b.levelDb / 10.0);
    const double weightA = powerA / (powerA + powerB);
    ModeMember member;
    member.frequencyHz =
        std::exp(weightA * std::log(a.frequencyHz) + (1.0 - weightA) * std::log(b.frequencyHz));
    member.decayPerSec = weightA * a.decayPerSec + (1.0 - weightA) * b.decayPerSec;
    member.levelDb = 10.0 * std::log10(powerA + powerB);
    member.snrDb = a.snrDb + (member.levelDb - a.levelDb);
    return member;
}

double toDb(double amplitude) {
    if (!(amplitude > 0.0) || !std::isfinite(amplitude)) return kFloorDb;
    return std::max(kFloorDb, 20.0 * std::log10(amplitude / kFullScale));
}

}  // namespace

// Everything a fit touches, sized for the largest case. Fixed-capacity Eigen types keep the
// decompositions' own temporaries off the heap as well.
struct ModePairFit::Workspace {
    using Data = Eigen::Matrix<Complex, kN, 1>;
    using Gram = Eigen::Matrix<Complex, kL, kL>;
    using Shift = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, 0, kL - 1, kMaxK>;
    using Square = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, 0, kMaxK, kMaxK>;
    using Jacobian = Eigen::Matrix<Complex, kN, Eigen::Dynamic, 0, kN, kMaxP>;
    using Normal = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, 0, kMaxP, kMaxP>;
    using Vector = Eigen::Matrix<Complex, Eigen::Dynamic, 1, 0, kMaxP, 1>;

    // One fitted model: components c_k z_k^n with z_k = exp(s_k), n the decimated sample.
    struct Model {
        int count = 0;
        std::array<Complex, kMaxK> pole{};  // s_k: log of the pole per decimated sample
        std::array<Complex, kMaxK> amplitude{};
        double cost = 0.0;  // squared error over the kN samples
    };

    // The fit's geometry, per call.
    double rateHz = 0.0;
    double centreHz = 0.0;
    double decimatedHz = 0.0;
    double firstSec = 0.0;  // time of decimated sample 0 from the tap's front
    double loHz = 0.0, hiHz = 0.0;

    std::vector<double> samples;
    std::vector<double> tapsA;
    std::vector<Complex> mixedTapsA;
    std::vector<Complex> stageA;
    std::array<double, kTapsB> tapsB{};

    Data data;
    Gram gram;
    Eigen::SelfAdjointEigenSolver<Gram> subspace;
    Shift upper, lower;
    Eigen::ColPivHouseholderQR<Shift> shiftQr;
    Square rotation;
    Eigen::ComplexEigenSolver<Square> poleSolver;
    Jacobian jacobian;
    Normal normal, damped;
    Vector gradient, step;
    Eigen::ColPivHouseholderQR<Normal> normalQr;
    Data residual;

    Workspace(int maxFrames, int maxTapsA)
        : samples(maxFrames),
          tapsA(maxTapsA),
          mixedTapsA(maxTapsA),
          stageA(kOutputsA),
          subspace(kL),
          upper(kL - 1, kMaxK),
          lower(kL - 1, kMaxK),
          shiftQr(kL - 1, kMaxK),
          rotation(kMaxK, kMaxK),
          poleSolver(kMaxK),
          jacobian(kN, kMaxP),
          normal(kMaxP, kMaxP),
          damped(kMaxP, kMaxP),
          gradient(kMaxP),
          step(kMaxP),
          normalQr(kMaxP, kMaxP) {
        designLowPass(tapsB.data(), kTapsB, 0.5 / kStageB);
    }

    double costOf(const Model& model) {
        double cost = 0.0;
        std::array<Complex, kMaxK> z{}, power{};
        for (int k = 0; k < model.count; ++k) {
            z[k] = std::exp(model.pole[k]);
            power[k] = model.amplitude[k];
        }
        for (int n = 0; n < kN; ++n) {
            Complex value = data[n];
            for (int k = 0; k < model.count; ++k) {
                value -= power[k];
                power[k] *= z[k];
            }
            residual[n] = value;
            cost += std::norm(value);
        }
        return cost;
    }

    // Solves for the amplitudes of the model's poles by linear least squares.
    bool solveAmplitudes(Model& model) {
        const int k = model.count;
        if (k == 0) {
            model.cost = costOf(model);
            return true;
        }
        for (int j = 0; j < k; ++j) {
            const Complex z = std::exp(model.pole[j]);
            Complex power = 1.0;
            for (int n = 0; n < kN; ++n) {
                jacobian(n, j) = power;
                power *= z;
            }
        }
        auto basis = jacobian.leftCols(k);
        normal.resize(k, k);
        normal.noalias() = basis.adjoint().lazyProduct(basis);
        gradient.resize(k);
        gradient.noalias() = basis.adjoint().lazyProduct(data);
        normalQr.compute(normal);
        if (normalQr.rank() < k) return false;
        step.resize(k);
        step = normalQr.solve(gradient);
        if (!step.allFinite()) return false;
        for (int j = 0; j < k; ++j) model.amplitude[j] = step[j];
        model.cost = costOf(model);
        return std::isfinite(model.cost);
    }

    // Levenberg-Marquardt on amplitudes and poles together. False when the model cannot be fitted.
    bool refine(Model& model, int maxPasses = kMaxPasses) {
        if (!solveAmplitudes(model)) return false;
        const int k = model.count;
        if (k == 0) return true;
        const int p = 2 * k;
        double lambda = 1e-3;
        Model trial = model;
        for (int pass = 0; pass < maxPasses; ++pass) {
            for (int j = 0; j < k; ++j) {
                const Complex z = std::exp(model.pole[j]);
                Complex power = 1.0;
                for (int n = 0; n < kN; ++n) {
                    jacobian(n, j) = power;
                    jacobian(n, k + j) = model.amplitude[j] * static_cast<double>(n) * power;
                    power *= z;
                }
            }
            costOf(model);  // fills the residual
            auto jac = jacobian.leftCols(p);
            normal.resize(p, p);
            normal.noalias() = jac.adjoint().lazyProduct(jac);
            gradient.resize(p);
            gradient.noalias() = jac.adjoint().lazyProduct(residual);
            bool accepted = false;
            double gain = 0.0;
            for (int attempt = 0; attempt < kMaxTries && !accepted; ++attempt) {
                damped = normal;
                for (int j = 0; j < p; ++j) damped(j, j) += lambda * std::real(normal(j, j));
                normalQr.compute(damped);
                if (normalQr.rank() < p) {
                    lambda *= 10.0;
                    continue;
                }
                step.resize(p);
                step = normalQr.solve(gradient);
                if (!step.allFinite()) return false;
                for (int j = 0; j < k; ++j) {
                    trial.amplitude[j] = model.amplitude[j] + step[j];
                    trial.pole[j] = model.pole[j] + step[k + j];
                }
                bool bounded = true;
                for (int j = 0; j < k; ++j) {
                    // A pole growing by more than e^40 over the data is no mode and would
                    // overflow the error.
                    if (std::real(trial.pole[j]) * kN > 40.0) bounded = false;
                }
                const double cost = bounded ? costOf(trial) : INFINITY;
                if (std::isfinite(cost) && cost < model.cost) {
                    gain = (model.cost - cost) / std::max(model.cost, 1e-300);
                    trial.cost = cost;
                    model = trial;
                    lambda = std::max(lambda / 10.0, 1e-12);
                    accepted = true;
                } else {
                    lambda *= 10.0;
                }
            }
            if (!accepted || gain < kTolerance) break;
        }
        return std::isfinite(model.cost);
    }

    // Mixes the band to baseband around centreHz and decimates frames [0, ...) of `samples` by
    // 4 * decimation into kN samples of `data`.
    void decimate(int decimation) {
        const int half = kHalfPerD * decimation;
        const int length = 2 * half + 1;
        designLowPass(tapsA.data(), length, 0.5 / decimation);
        const double omega = kTwoPi * centreHz / rateHz;
        for (int k = 0; k < length; ++k) {
            mixedTapsA[k] = tapsA[k] * std::polar(1.0, omega * (k - half));
        }
        for (int j = 0; j < kOutputsA; ++j) {
            const int centre = half + j * decimation;
            const double* x = samples.data() + centre + half;  // x[-k] is sample centre - (k-half)
            double re = 0.0, im = 0.0;
            for (int k = 0; k < length; ++k) {
                re += std::real(mixedTapsA[k]) * x[-k];
                im += std::imag(mixedTapsA[k]) * x[-k];
            }
            stageA[j] = Complex(re, im) * std::polar(1.0, -omega * centre);
        }
        for (int m = 0; m < kN; ++m) {
            Complex sum = 0.0;
            for (int k = 0; k < kTapsB; ++k) sum += tapsB[k] * stageA[kStageB * m + k];
            data[m] = sum;
        }
    }

    // ESPRIT on the decimated data: the poles of the signal subspace. False on a failed
    // decomposition; a model of no component when nothing stands above the noise.
    bool estimatePoles(Model& model) {
        model.count = 0;
        // The Gram matrix of the Hankel matrix H(p, j) = data[p + j]: its first row directly, the
        // rest by sliding one sample down the diagonal.
        for (int j = 0; j < kL; ++j) {
            Complex sum = 0.0;
            for (int p = 0; p < kRows; ++p) sum += std::conj(data[p]) * data[p + j];
            gram(0, j) = sum;
            gram(j, 0) = std::conj(sum);
        }
        for (int i = 0; i + 1 < kL; ++i) {
            for (int j = 0; j + 1 < kL; ++j) {
                gram(i + 1, j + 1) = gram(i, j) - std::conj(data[i]) * data[j] +
                                     std::conj(data[kRows + i]) * data[kRows + j];
            }
        }
        subspace.compute(gram);
        if (subspace.info() != Eigen::Success) return false;
        const auto& values = subspace.eigenvalues();  // ascending
        const double noise = std::max(values[kL / 2], 0.0);
        int order = 0;
        while (order < kMaxK &&
               values[kL - 1 - order] >
                   ModePairFit::kOrderFactor * ModePairFit::kOrderFactor * noise &&
               values[kL - 1 - order] > 0.0) {
            ++order;
        }
        if (order == 0) return true;
        // The right singular vectors span the conjugated rows of H, whose shift by one sample is
        // the multiplication by the poles.
        upper.resize(kL - 1, order);
        lower.resize(kL - 1, order);
        for (int k = 0; k < order; ++k) {
            const auto vector = subspace.eigenvectors().col(kL - 1 - k);
            upper.col(k) = vector.head(kL - 1).conjugate();
            lower.col(k) = vector.tail(kL - 1).conjugate();
        }
        shiftQr.compute(upper);
        if (shiftQr.rank() < order) return false;
        rotation.resize(order, order);
        rotation = shiftQr.solve(lower);
        if (!rotation.allFinite()) return false;
        poleSolver.compute(rotation, false);
        if (poleSolver.info() != Eigen::Success) return false;
        for (int k = 0; k < order; ++k) {
            const Complex z = poleSolver.eigenvalues()[k];
            if (!(std::abs(z) > 0.0) || !std::isfinite(std::abs(z))) continue;
            model.pole[model.count++] = std::log(z);
        }
        return true;
    }

    double frequencyOf(Complex pole) const {
        return centreHz + std::imag(pole) * decimatedHz / kTwoPi;
    }
    double decayOf(Complex pole) const { return -std::real(pole) * decimatedHz; }

    // The band's noise as the amplitude of a sinusoid of the same power: the residual per complex
    // sample, white over the decimated band, scaled to the band's width.
    double noiseAmplitude(const Model& model) const {
        const int freedom = std::max(1, kN - 2 * model.count);
        const double variance = model.cost / freedom;
        return 2.0 * std::sqrt(variance * (hiHz - loHz) / decimatedHz);
    }

    // Whether component k of the model is a member of the band's mode: in the band (see inBand())
    // and kMinSnrDb over the noise where the fitted data begin.
    bool isMember(const Model& model, int k, double noise) const {
        return inBand(model, k) && 2.0 * std::abs(model.amplitude[k]) >
                                       noise * std::pow(10.0, ModePairFit::kMinSnrDb / 20.0);
    }

    // Whether component k lies in [loHz, hiHz] with a finite decay that is neither clearly growing
    // (by more than e over the data) nor so fast that the member is broader than the band.
    bool inBand(const Model& model, int k) const {
        const double frequency = frequencyOf(model.pole[k]);
        const double decay = decayOf(model.pole[k]);
        const double spanSec = (kN - 1) / decimatedHz;
        return std::isfinite(frequency) && std::isfinite(decay) &&
               std::isfinite(std::abs(model.amplitude[k])) && frequency >= loHz &&
               frequency <= hiHz && decay >= -1.0 / spanSec && decay <= kPi * (hiHz - loHz) &&
               decay <= 1.0 / ModePairFit::kMinDecaySec;
    }

    // The energy of component k over the data fitted: what ranks the members. A drum's modes
    // ring for tenths of a second; a pole fitted to what the attack left in the band dies within
    // milliseconds, and its start extrapolated back can be far above the real members.
    double energyOf(const Model& model, int k) const {
        const double r2 = std::norm(model.pole[k]);
        const double sum =
            std::abs(r2 - 1.0) < 1e-12 ? double(kN) : (1.0 - std::pow(r2, kN)) / (1.0 - r2);
        return std::norm(model.amplitude[k]) * sum;
    }

    // The strongest component in the band, whatever its level; -1 when there is none.
    int strongestInBand(const Model& model) const {
        int best = -1;
        for (int k = 0; k < model.count; ++k) {
            if (!inBand(model, k)) continue;
            if (best < 0 || std::abs(model.amplitude[k]) > std::abs(model.amplitude[best])) {
                best = k;
            }
        }
        return best;
    }

    // The strongest two members of the model, by amplitude; -1 where there is none.
    std::array<int, 2> members(const Model& model, double noise) const {
        std::array<int, 2> best{-1, -1};
        for (int k = 0; k < model.count; ++k) {
            if (!isMember(model, k, noise)) continue;
            const double e = energyOf(model, k);
            if (best[0] < 0 || e > energyOf(model, best[0])) {
                best[1] = best[0];
                best[0] = k;
            } else if (best[1] < 0 || e > energyOf(model, best[1])) {
                best[1] = k;
            }
        }
        if (best[1] >= 0 &&
            energyOf(model, best[1]) <
                energyOf(model, best[0]) * std::pow(10.0, -ModePairFit::kMaxRatioDb / 10.0)) {
            best[1] = -1;
        }
        return best;
    }

    ModeMember memberOf(const Model& model, int k, double noise) const {
        ModeMember member;
        member.frequencyHz = frequencyOf(model.pole[k]);
        member.decayPerSec = decayOf(model.pole[k]);
        const double start = 2.0 * std::abs(model.amplitude[k]);
        member.levelDb = toDb(start * std::exp(member.decayPerSec * firstSec));
        member.snrDb = member.levelDb - toDb(noise);
        return member;
    }
};

ModePairFit::ModePairFit() {
    const int maxFrames = static_cast<int>(std::ceil(kMaxSpanSec * kMaxRateHz)) + 1;
    const int maxDecimation = static_cast<int>(kMaxDataSec * kMaxRateHz / (kStageB * (kN - 1))) + 1;
    m_Work = std::make_unique<Workspace>(maxFrames, 2 * kHalfPerD * maxDecimation + 1);
}

ModePairFit::~ModePairFit() = default;

bool ModePairFit::prepare(const SampleSource& source, double sampleRateHz, int start, int end,
                          double loHz, double hiHz) {
    Workspace& w = *m_Work;
    if (!(std::isfinite(sampleRateHz) && sampleRateHz > 0.0 && sampleRateHz <= kMaxRateHz) ||
        !(std::isfinite(loHz) && std::isfinite(hiHz) && loHz > 0.0 && hiHz > loHz &&
          hiHz < sampleRateHz / 2.0)) {
        return false;
    }
    start = std::max(start, 0);
    end = std::min(end, source.frameCount);
    const long spanFrames = std::lround(kMaxSpanSec * sampleRateHz);
    end = static_cast<int>(std::min<long>(end, static_cast<long>(start) + spanFrames));
    const int skip = static_cast<int>(std::ceil(kSkipSec * sampleRateHz));
    const long available = static_cast<long>(end) - start - skip;

    // The decimation: as strong as the tap's length, the longest data span and the band's width
    // allow.
    const double halfWidthHz = 0.5 * (hiHz - loHz);
    const long byLength = (available - 1) / (kOutputsA + 2 * kHalfPerD - 1);
    const long bySpan = static_cast<long>(kMaxDataSec * sampleRateHz / (kStageB * (kN - 1)));
    const long byBand =
        static_cast<long>(sampleRateHz / (kStageB * kRateOverHalfWidth * halfWidthHz));
    const long decimation = std::min({byLength, bySpan, byBand});
    if (decimation < 1) return false;
    const int d = static_cast<int>(decimation);
    if ((kN - 1) * kStageB * d < kMinDataSec * sampleRateHz) return false;
    const int frames = d * (kOutputsA - 1) + 2 * kHalfPerD * d + 1;

    w.rateHz = sampleRateHz;
    w.centreHz = 0.5 * (loHz + hiHz);
    w.decimatedHz = sampleRateHz / (kStageB * d);
    w.firstSec = (skip + kHalfPerD * d + kHalfB * d) / sampleRateHz;
    w.loHz = loHz;
    w.hiHz = hiHz;
    for (int n = 0; n < frames; ++n) w.samples[n] = source.at(start + skip + n);
    w.decimate(d);
    return true;
}

bool ModePairFit::baseband(const SampleSource& source, double sampleRateHz, int start, int end,
                           double loHz, double hiHz, Baseband& out) {
    out = Baseband{};
    if (!prepare(source, sampleRateHz, start, end, loHz, hiHz)) return false;
    const Workspace& w = *m_Work;
    for (int n = 0; n < kN; ++n) out.data[n] = w.data[n];
    out.centreHz = w.centreHz;
    out.decimatedHz = w.decimatedHz;
    out.firstSec = w.firstSec;
    out.loHz = loHz;
    out.hiHz = hiHz;
    out.ok = true;
    return true;
}

const ModePair& ModePairFit::fit(const SampleSource& source, double sampleRateHz, int start,
                                 int end, double loHz, double hiHz) {
    m_Result = ModePair{};
    Workspace& w = *m_Work;
    if (!prepare(source, sampleRateHz, start, end, loHz, hiHz)) return m_Result;

    Workspace::Model model;
    if (!w.estimatePoles(model)) return m_Result;
    if (!w.refine(model)) return m_Result;
    double noise = w.noiseAmplitude(model);
    auto best = w.members(model, noise);

    // No member or a lone one may hide a pair the subspace did not separate, whose beating then
    // shows as error (and as noise, which may even sink the lone pole under the margin): the
    // strongest component in the band is split, and the split kept when it lowers the error by far
    // more than noise would and leaves a member.
    const int strongest = w.strongestInBand(model);
    if (best[1] < 0 && strongest >= 0 && model.count < kMaxK) {
        const double variance = model.cost / std::max(1, kN - 2 * model.count);
        Workspace::Model chosen = model;
        for (double split : kSplitTriesCents) {
            Workspace::Model trial = model;
            const Complex pole = model.pole[strongest];
            const double shift =
                kTwoPi * w.frequencyOf(pole) * (std::exp2(split / 2400.0) - 1.0) / w.decimatedHz;
            trial.pole[strongest] = pole - Complex(0.0, shift);
            trial.pole[trial.count] = pole + Complex(0.0, shift);
            trial.amplitude[trial.count] = 0.0;
            ++trial.count;
            if (!w.refine(trial, kTrialPasses)) continue;
            if (!(model.cost - trial.cost > kSplitGain * variance) || !(trial.cost < chosen.cost)) {
                continue;
            }
            if (w.members(trial, w.noiseAmplitude(trial))[0] < 0) continue;
            chosen = trial;
        }
        if (chosen.count != model.count && w.refine(chosen)) {
            model = chosen;
            noise = w.noiseAmplitude(model);
            best = w.members(model, noise);
        }
    }

    m_Result.noiseDb = toDb(noise);
    if (best[0] < 0) return m_Result;
    m_Result.lo = w.memberOf(model, best[0], noise);
    m_Result.count = 1;
    if (best[1] >= 0) {
        ModeMember other = w.memberOf(model, best[1], noise);
        if (std::fabs(centsBetween(m_Result.lo.frequencyHz, other.frequencyHz)) < kMinSplitCents) {
            m_Result.lo = joined(m_Result.lo, other);
        } else {
            if (other.frequencyHz < m_Result.lo.frequencyHz) std::swap(other, m_Result.lo);
            m_Result.hi = other;
            m_Result.count = 2;
            return m_Result;
        }
    }
    m_Result.hi = m_Result.lo;
    return m_Result;
}

}  // namespace tomaro
