#include "analysis/HeadModeFit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <complex>

#include "base/Cents.h"

namespace tomaro {
namespace {

using Complex = std::complex<double>;

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kFullScale = 32768.0;
constexpr double kFloorDb = -200.0;

constexpr int kN = Baseband::kSamples;
constexpr int kL = 48;              // columns of each tap's Hankel matrix
constexpr int kRows = kN - kL + 1;  // its rows
constexpr int kK = HeadModeFit::kMaxPoles;
constexpr int kT = HeadModeFit::kMaxTaps;

constexpr int kMaxPasses = 40;
constexpr int kTrialPasses = 15;
constexpr int kMaxTries = 12;
constexpr double kTolerance = 1e-10;  // relative decrease of the error that ends the passes
// Initial splits tried for a lone member, cents: close pairs the subspace step merged.
constexpr std::array<double, 3> kSplitTriesCents{3.0, 8.0, 25.0};

double toDb(double amplitude) {
    if (!(amplitude > 0.0) || !std::isfinite(amplitude)) return kFloorDb;
    return std::max(kFloorDb, 20.0 * std::log10(amplitude / kFullScale));
}

}  // namespace

double HeadModes::splitCents() const {
    return count == 2 && lo.frequencyHz > 0.0 ? centsBetween(lo.frequencyHz, hi.frequencyHz) : 0.0;
}

double HeadModes::meanHz() const {
    if (count == 2) return std::sqrt(lo.frequencyHz * hi.frequencyHz);
    return count == 1 ? lo.frequencyHz : 0.0;
}

ModePair HeadModes::pairAt(int index) const {
    ModePair pair;
    if (index < 0 || index >= kMaxTaps || !taps[index].fitted || count == 0) return pair;
    const TapLevels& tap = taps[index];
    pair.count = count;
    pair.noiseDb = noiseDb;
    pair.lo = lo;
    pair.hi = hi;
    pair.lo.levelDb = toDb(tap.loAmplitude * std::exp(lo.decayPerSec * firstSec));
    pair.hi.levelDb = toDb(tap.hiAmplitude * std::exp(hi.decayPerSec * firstSec));
    pair.lo.snrDb = pair.lo.levelDb - noiseDb;
    pair.hi.snrDb = pair.hi.levelDb - noiseDb;
    if (count == 1) pair.hi = pair.lo;
    return pair;
}

struct HeadModeFit::Workspace {
    using Data = Eigen::Matrix<Complex, kN, 1>;
    using Gram = Eigen::Matrix<Complex, kL, kL>;
    using Shift = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, 0, kL - 1, kK>;
    using Square = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, 0, kK, kK>;
    using Basis = Eigen::Matrix<Complex, kN, Eigen::Dynamic, 0, kN, kK>;
    using Small = Eigen::Matrix<Complex, Eigen::Dynamic, 1, 0, kK, 1>;

    // Poles s_k (log of the pole per decimated sample) shared by the taps, and each tap's
    // amplitudes for them (the least-squares solve for those poles).
    struct Model {
        int count = 0;
        std::array<Complex, kK> pole{};
        std::array<std::array<Complex, kK>, kT> amplitude{};
        double cost = 0.0;  // the weighted squared error over every tap
    };

    // The taps fitted, their weights and where their results go.
    int taps = 0;
    std::array<const Baseband*, kT> data{};
    std::array<int, kT> index{};
    std::array<double, kT> weight{};
    double centreHz = 0.0, decimatedHz = 0.0, loHz = 0.0, hiHz = 0.0;

    Gram gram;
    Eigen::SelfAdjointEigenSolver<Gram> subspace;
    Shift upper, lower;
    Eigen::ColPivHouseholderQR<Shift> shiftQr;
    Square rotation;
    Eigen::ComplexEigenSolver<Square> poleSolver;
    Basis basis, derivative, projected;
    Eigen::ColPivHouseholderQR<Basis> basisQr;
    Square coefficients, normal, damped;
    Eigen::ColPivHouseholderQR<Square> normalQr;
    Small amplitudes, gradient, step;
    std::array<Data, kT> residual;

    Workspace()
        : subspace(kL),
          upper(kL - 1, kK),
          lower(kL - 1, kK),
          shiftQr(kL - 1, kK),
          rotation(kK, kK),
          poleSolver(kK),
          basis(kN, kK),
          derivative(kN, kK),
          projected(kN, kK),
          basisQr(kN, kK),
          coefficients(kK, kK),
          normal(kK, kK),
          damped(kK, kK),
          normalQr(kK, kK),
          amplitudes(kK),
          gradient(kK),
          step(kK) {}

    Eigen::Map<const Data> tapData(int t) const {
        return Eigen::Map<const Data>(data[t]->data.data());
    }

    // The amplitudes of every tap for the model's poles and the error they leave; the basis and
    // its decomposition stay for the Jacobian. False when the poles cannot be fitted.
    bool evaluate(Model& model) {
        const int k = model.count;
        model.cost = 0.0;
        basis.resize(kN, k);
        for (int j = 0; j < k; ++j) {
            if (!(std::real(model.pole[j]) * kN < 40.0)) return false;  // grows past e^40
            const Complex z = std::exp(model.pole[j]);
            Complex power = 1.0;
            for (int n = 0; n < kN; ++n) {
                basis(n, j) = power;
                power *= z;
            }
        }
        if (k > 0) {
            basisQr.compute(basis);
            if (basisQr.rank() < k) return false;
        }
        for (int t = 0; t < taps; ++t) {
            residual[t] = tapData(t);
            if (k > 0) {
                amplitudes.resize(k);
                amplitudes = basisQr.solve(residual[t]);
                if (!amplitudes.allFinite()) return false;
                residual[t].noalias() -= basis * amplitudes;
                for (int j = 0; j < k; ++j) model.amplitude[t][j] = amplitudes[j];
            }
            model.cost += weight[t] * residual[t].squaredNorm();
        }
        return std::isfinite(model.cost);
    }

    // Variable projection: Levenberg-Marquardt on the poles alone, the amplitudes solved for at
    // every step. False when the model cannot be fitted.
    bool refine(Model& model, int maxPasses) {
        if (!evaluate(model)) return false;
        const int k = model.count;
        if (k == 0) return true;
        double lambda = 1e-3;
        Model trial = model;
        for (int pass = 0; pass < maxPasses; ++pass) {
            // The derivative of each basis column by its pole, projected off the basis.
            derivative.resize(kN, k);
            for (int j = 0; j < k; ++j) {
                for (int n = 0; n < kN; ++n)
                    derivative(n, j) = static_cast<double>(n) * basis(n, j);
            }
            coefficients.resize(k, k);
            coefficients = basisQr.solve(derivative);
            projected.resize(kN, k);
            projected.noalias() = derivative - basis * coefficients;
            normal.resize(k, k);
            normal.noalias() = projected.adjoint() * projected;
            gradient.resize(k);
            gradient.setZero();
            for (int a = 0; a < k; ++a) {
                for (int b = 0; b < k; ++b) {
                    Complex sum = 0.0;
                    for (int t = 0; t < taps; ++t) {
                        sum += weight[t] * std::conj(model.amplitude[t][a]) * model.amplitude[t][b];
                    }
                    normal(a, b) *= sum;
                }
                for (int t = 0; t < taps; ++t) {
                    gradient[a] += weight[t] * std::conj(model.amplitude[t][a]) *
                                   projected.col(a).dot(residual[t]);
                }
            }
            bool accepted = false;
            double gain = 0.0;
            const Model before = model;
            for (int attempt = 0; attempt < kMaxTries && !accepted; ++attempt) {
                damped = normal;
                for (int j = 0; j < k; ++j) damped(j, j) += lambda * std::real(normal(j, j));
                normalQr.compute(damped);
                if (normalQr.rank() < k) {
                    lambda *= 10.0;
                    continue;
                }
                step.resize(k);
                step = normalQr.solve(gradient);
                if (!step.allFinite()) return false;
                trial.count = k;
                for (int j = 0; j < k; ++j) trial.pole[j] = before.pole[j] + step[j];
                if (evaluate(trial) && trial.cost < before.cost) {
                    gain = (before.cost - trial.cost) / std::max(before.cost, 1e-300);
                    model = trial;
                    lambda = std::max(lambda / 10.0, 1e-12);
                    accepted = true;
                } else {
                    lambda *= 10.0;
                }
            }
            if (!accepted) {
                // The last trial changed the basis: the model's own is needed again.
                model = before;
                return evaluate(model);
            }
            if (gain < kTolerance) break;
        }
        return std::isfinite(model.cost);
    }

    // ESPRIT over the stacked taps. False on a failed decomposition; a model of no pole when
    // nothing stands above the noise.
    bool estimatePoles(Model& model) {
        model.count = 0;
        gram.setZero();
        for (int t = 0; t < taps; ++t) {
            const auto x = tapData(t);
            const double w = weight[t];
            // The first row directly, the rest by sliding one sample down the diagonal.
            for (int j = 0; j < kL; ++j) {
                Complex sum = 0.0;
                for (int p = 0; p < kRows; ++p) sum += std::conj(x[p]) * x[p + j];
                gram(0, j) += w * sum;
            }
        }
        for (int j = 1; j < kL; ++j) gram(j, 0) = std::conj(gram(0, j));
        for (int i = 0; i + 1 < kL; ++i) {
            for (int j = 0; j + 1 < kL; ++j) {
                Complex change = 0.0;
                for (int t = 0; t < taps; ++t) {
                    const auto x = tapData(t);
                    change += weight[t] *
                              (std::conj(x[kRows + i]) * x[kRows + j] - std::conj(x[i]) * x[j]);
                }
                gram(i + 1, j + 1) = gram(i, j) + change;
            }
        }
        subspace.compute(gram);
        if (subspace.info() != Eigen::Success) return false;
        const auto& values = subspace.eigenvalues();  // ascending
        // The noise: the median eigenvalue, but no less than what double precision leaves of the
        // strongest (a tap without noise would otherwise make rounding into poles).
        const double noise = std::max(values[kL / 2], 1e-12 * values[kL - 1]);
        const double factor = HeadModeFit::kOrderFactor * HeadModeFit::kOrderFactor;
        int order = 0;
        while (order < kK && values[kL - 1 - order] > factor * noise &&
               values[kL - 1 - order] > 0.0) {
            ++order;
        }
        if (order == 0) return true;
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
            // A pole growing by more than e over the data is no mode: the subspace's rounding
            // when the taps hold nothing else (and it would overflow the fit).
            if (std::log(std::abs(z)) * kN > 1.0) continue;
            model.pole[model.count++] = std::log(z);
        }
        return true;
    }

    double frequencyOf(Complex pole) const {
        return centreHz + std::imag(pole) * decimatedHz / kTwoPi;
    }
    double decayOf(Complex pole) const { return -std::real(pole) * decimatedHz; }

    // The noise variance per complex sample in the weighted scale.
    double variance(const Model& model) const {
        const int freedom = std::max(1, taps * (kN - model.count) - model.count);
        return model.cost / freedom;
    }

    // What one more pole must lower the error by to be worth its parameters (the pole and one
    // amplitude per tap): the minimum description length over 2 * taps * kN real samples.
    double price(const Model& model) const {
        return (taps + 1) * std::log(2.0 * taps * kN) * variance(model);
    }

    // Pole k as a ringing mode inside the band, off its edges.
    bool inBand(const Model& model, int k) const {
        const double frequency = frequencyOf(model.pole[k]);
        const double decay = decayOf(model.pole[k]);
        const double margin = HeadModeFit::kEdgeFraction * 0.5 * (hiHz - loHz);
        const double spanSec = (kN - 1) / decimatedHz;
        return std::isfinite(frequency) && std::isfinite(decay) && frequency >= loHz + margin &&
               frequency <= hiHz - margin && decay >= -1.0 / spanSec &&
               decay <= 1.0 / HeadModeFit::kMinDecaySec;
    }

    // The energy of pole k over tap t's data.
    double tapEnergy(const Model& model, int k, int t) const {
        const double r2 = std::norm(std::exp(model.pole[k]));
        const double sum =
            std::abs(r2 - 1.0) < 1e-12 ? double(kN) : (1.0 - std::pow(r2, kN)) / (1.0 - r2);
        return std::norm(model.amplitude[t][k]) * sum;
    }

    double energy(const Model& model, int k) const {
        double sum = 0.0;
        for (int t = 0; t < taps; ++t) sum += weight[t] * tapEnergy(model, k, t);
        return sum;
    }

    // The noise of tap t as the amplitude of a sinusoid of the same power in the band.
    double noiseAmplitude(const Model& model, int t) const {
        return 2.0 * std::sqrt(variance(model) / weight[t] * (hiHz - loHz) / decimatedHz);
    }

    // In the band, kMinSnrDb over the noise in one tap at least, and worth its parameters.
    bool isMember(const Model& model, int k) const {
        if (!inBand(model, k) || !(energy(model, k) > price(model))) return false;
        const double margin = std::pow(10.0, HeadModeFit::kMinSnrDb / 20.0);
        for (int t = 0; t < taps; ++t) {
            if (2.0 * std::abs(model.amplitude[t][k]) > margin * noiseAmplitude(model, t)) {
                return true;
            }
        }
        return false;
    }

    // The two strongest members by energy over all taps; -1 where there is none.
    std::array<int, 2> members(const Model& model) const {
        std::array<int, 2> best{-1, -1};
        std::array<double, 2> energies{0.0, 0.0};
        for (int k = 0; k < model.count; ++k) {
            if (!isMember(model, k)) continue;
            const double e = energy(model, k);
            if (best[0] < 0 || e > energies[0]) {
                best[1] = best[0];
                energies[1] = energies[0];
                best[0] = k;
                energies[0] = e;
            } else if (best[1] < 0 || e > energies[1]) {
                best[1] = k;
                energies[1] = e;
            }
        }
        if (best[1] >= 0 &&
            energies[1] < energies[0] * std::pow(10.0, -HeadModeFit::kMaxRatioDb / 10.0)) {
            best[1] = -1;
        }
        return best;
    }

    // The model without pole `drop`, pole `keep` started where the two members' energy lies.
    Model merged(const Model& model, int keep, int drop) const {
        Model trial = model;
        const double a = energy(model, keep);
        const double b = energy(model, drop);
        trial.pole[keep] = (a * model.pole[keep] + b * model.pole[drop]) / (a + b);
        for (int j = drop; j + 1 < model.count; ++j) trial.pole[j] = model.pole[j + 1];
        --trial.count;
        return trial;
    }
};

HeadModeFit::HeadModeFit() : m_Work(std::make_unique<Workspace>()) {}

HeadModeFit::~HeadModeFit() = default;

const HeadModes& HeadModeFit::fit(std::span<const Baseband* const> taps, double loHz, double hiHz) {
    m_Result = HeadModes{};
    Workspace& w = *m_Work;
    w.taps = 0;
    if (!(std::isfinite(loHz) && std::isfinite(hiHz) && loHz > 0.0 && hiHz > loHz)) {
        return m_Result;
    }
    const int offered = std::min<int>(static_cast<int>(taps.size()), kMaxTaps);
    for (int i = 0; i < offered; ++i) {
        const Baseband* tap = taps[i];
        if (tap == nullptr || !tap->ok) continue;
        if (w.taps == 0) {
            w.centreHz = tap->centreHz;
            w.decimatedHz = tap->decimatedHz;
            m_Result.firstSec = tap->firstSec;
        } else if (tap->decimatedHz != w.decimatedHz || tap->centreHz != w.centreHz) {
            continue;
        }
        double power = 0.0;
        for (const auto& value : tap->data) power += std::norm(value);
        power /= kN;
        if (!(power > 0.0) || !std::isfinite(power)) continue;
        w.data[w.taps] = tap;
        w.index[w.taps] = i;
        w.weight[w.taps] = 1.0 / power;
        ++w.taps;
    }
    if (w.taps == 0 || !(w.decimatedHz > 0.0)) return m_Result;
    w.loHz = loHz;
    w.hiHz = hiHz;

    Workspace::Model model;
    if (!w.estimatePoles(model) || !w.refine(model, kMaxPasses)) return m_Result;
    auto best = w.members(model);

    if (best[0] >= 0 && best[1] >= 0) {
        // A pair is kept only when one member in its place leaves more error than its price.
        Workspace::Model single = w.merged(model, best[0], best[1]);
        if (w.refine(single, kMaxPasses) && single.cost - model.cost < w.price(model)) {
            const auto singleBest = w.members(single);
            if (singleBest[0] >= 0) {
                model = single;
                best = singleBest;
            }
        }
    } else if (best[0] >= 0 && model.count < kMaxPoles) {
        // A lone member may be a close pair the subspace step merged: split, kept when it pays.
        Workspace::Model chosen = model;
        for (double split : kSplitTriesCents) {
            Workspace::Model trial = model;
            const Complex pole = model.pole[best[0]];
            const double shift =
                kTwoPi * w.frequencyOf(pole) * (std::exp2(split / 2400.0) - 1.0) / w.decimatedHz;
            trial.pole[best[0]] = pole - Complex(0.0, shift);
            trial.pole[trial.count] = pole + Complex(0.0, shift);
            ++trial.count;
            if (!w.refine(trial, kTrialPasses)) continue;
            if (!(model.cost - trial.cost > w.price(model)) || !(trial.cost < chosen.cost)) {
                continue;
            }
            const auto trialBest = w.members(trial);
            if (trialBest[0] < 0 || trialBest[1] < 0) continue;
            chosen = trial;
        }
        if (chosen.count != model.count && w.refine(chosen, kMaxPasses)) {
            const auto chosenBest = w.members(chosen);
            if (chosenBest[0] >= 0 && chosenBest[1] >= 0) {
                model = chosen;
                best = chosenBest;
            }
        }
    }
    if (best[0] < 0 || !w.evaluate(model)) return m_Result;
    // A third member near the other two in energy: the taps do not ring one pair of one head
    // (each rod its own tone, or another mode in the band), and no pair is made of them.
    if (best[1] >= 0) {
        const double weakest = std::min(w.energy(model, best[0]), w.energy(model, best[1]));
        for (int k = 0; k < model.count; ++k) {
            if (k == best[0] || k == best[1] || !w.isMember(model, k)) continue;
            if (w.energy(model, k) > kThirdMemberShare * weakest) {
                m_Result.inconsistent = true;
                return m_Result;
            }
        }
    }

    // The loudest tap gives the members' levels.
    int loudest = 0;
    for (int t = 1; t < w.taps; ++t) {
        if (w.weight[t] < w.weight[loudest]) loudest = t;
    }
    const double noise = w.noiseAmplitude(model, loudest);
    m_Result.noiseDb = toDb(noise);
    auto memberOf = [&](int k) {
        ModeMember member;
        member.frequencyHz = w.frequencyOf(model.pole[k]);
        member.decayPerSec = w.decayOf(model.pole[k]);
        const double start = 2.0 * std::abs(model.amplitude[loudest][k]);
        member.levelDb = toDb(start * std::exp(member.decayPerSec * m_Result.firstSec));
        member.snrDb = member.levelDb - toDb(noise);
        return member;
    };
    int lo = best[0];
    int hi = best[1];
    if (hi >= 0 && w.frequencyOf(model.pole[hi]) < w.frequencyOf(model.pole[lo])) {
        std::swap(lo, hi);
    }
    m_Result.lo = memberOf(lo);
    m_Result.hi = hi >= 0 ? memberOf(hi) : m_Result.lo;
    m_Result.count = hi >= 0 ? 2 : 1;
    if (m_Result.count == 2 && m_Result.splitCents() < kResolutionCents) {
        // Closer than the data resolve: one member where the two members' energy lies.
        const double a = w.energy(model, lo);
        const double b = w.energy(model, hi);
        const double share = a / (a + b);
        ModeMember one = m_Result.lo;
        one.frequencyHz = std::exp(share * std::log(m_Result.lo.frequencyHz) +
                                   (1.0 - share) * std::log(m_Result.hi.frequencyHz));
        one.decayPerSec = share * m_Result.lo.decayPerSec + (1.0 - share) * m_Result.hi.decayPerSec;
        m_Result.lo = one;
        m_Result.hi = one;
        m_Result.count = 1;
        m_Result.belowResolution = true;
    }
    for (int t = 0; t < w.taps; ++t) {
        HeadModes::TapLevels& levels = m_Result.taps[w.index[t]];
        levels.fitted = true;
        const double a = 2.0 * std::abs(model.amplitude[t][lo]);
        const double b = hi >= 0 ? 2.0 * std::abs(model.amplitude[t][hi]) : 0.0;
        if (m_Result.count == 2) {
            levels.loAmplitude = a;
            levels.hiAmplitude = b;
        } else {
            levels.loAmplitude = std::hypot(a, b);
            levels.hiAmplitude = levels.loAmplitude;
        }
        const double power = 1.0 / w.weight[t];
        levels.levelDb = toDb(std::sqrt(2.0 * power));
        levels.explained = std::clamp(1.0 - w.residual[t].squaredNorm() / (power * kN), 0.0, 1.0);
    }
    m_Result.tapsFitted = w.taps;
    return m_Result;
}

}  // namespace tomaro
