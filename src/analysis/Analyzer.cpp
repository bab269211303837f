#include "analysis/Analyzer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/AnalysisSettings.h"
#include "analysis/FixedText.h"
#include "analysis/LinearSolver.h"
#include "analysis/Stretch.h"
#include "analysis/Window.h"
#include "audio/StrikeRecord.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

constexpr double kPi = 3.141592653589793238462643383279502884;
constexpr int kHalf = Analyzer::kSpectrumSize / 2;  // 32768, the Nyquist bin
constexpr int kLastWalkBin = kHalf - 1;             // the picked-frequency walk stays below it
constexpr int kMaxComponents = AnalysisResult::kMaxComponents;
constexpr int kLinearStride = 2 * kMaxComponents;     // 16 x 16 normal equations
constexpr int kDecayStride = 3 * kMaxComponents + 1;  // 25 x 25 normal equations

// The fits draw e^(d j) cos(j m w) and e^(d j) sin(j m w) from a rotating phasor, multiplied by
// e^(d + i m w) each sample, instead of calling exp, cos and sin per sample. Every kAnchorEvery
// samples the phasor is set afresh from the library functions, so rounding cannot build up: the
// values stay within about 1e-13 of the direct ones, relative to the phasor's magnitude.
constexpr int kAnchorEvery = 256;

// Bin index of `frequencyHz`: trunc(f / fs * 65536), held to [0, 32768].
int binOf(double frequencyHz, double sampleRateHz) {
    const double bin = std::trunc(frequencyHz / sampleRateHz * Analyzer::kSpectrumSize);
    if (!(bin > 0.0)) return 0;
    return bin >= kHalf ? kHalf : static_cast<int>(bin);
}

std::int16_t saturatedSample(double value) {
    if (std::isnan(value)) return 0;
    const double whole = std::trunc(value);
    if (whole >= 32767.0) return 32767;
    if (whole <= -32768.0) return -32768;
    return static_cast<std::int16_t>(whole);
}

template <int M>
struct Rotors {
    double re[M];
    double im[M];
    double stepRe[M];
    double stepIm[M];

    Rotors(const FitModel& model, bool withDecay) {
        for (int n = 0; n < M; ++n) {
            const FitComponent& c = model.components[n];
            const double grow = withDecay ? std::exp(c.d) : 1.0;
            stepRe[n] = grow * std::cos(c.multiplier * model.omega);
            stepIm[n] = grow * std::sin(c.multiplier * model.omega);
        }
    }

    void anchor(const FitModel& model, bool withDecay, int j) {
        for (int n = 0; n < M; ++n) {
            const FitComponent& c = model.components[n];
            const double angle = c.multiplier * model.omega * j;
            const double grow = withDecay ? std::exp(c.d * j) : 1.0;
            re[n] = grow * std::cos(angle);
            im[n] = grow * std::sin(angle);
        }
    }

    void advance() {
        for (int n = 0; n < M; ++n) {
            const double r = re[n] * stepRe[n] - im[n] * stepIm[n];
            im[n] = re[n] * stepIm[n] + im[n] * stepRe[n];
            re[n] = r;
        }
    }
};

// Weighted normal equations of the linear fit (cos, sin per component), into a 16 x 16 matrix.
template <int M>
void accumulateLinear(const double* y, const double* w, int length, const FitModel& model,
                      double* a, double* r) {
    constexpr int P = 2 * M;
    double acc[P][P] = {};
    double rhs[P] = {};
    Rotors<M> rotors(model, false);
    for (int block = 0; block < length; block += kAnchorEvery) {
        const int blockEnd = std::min(length, block + kAnchorEvery);
        rotors.anchor(model, false, block);
        for (int j = block; j < blockEnd; ++j) {
            double phi[P];
            for (int n = 0; n < M; ++n) {
                phi[2 * n] = rotors.re[n];
                phi[2 * n + 1] = rotors.im[n];
            }
            for (int p = 0; p < P; ++p) {
                const double wp = w[j] * phi[p];
                rhs[p] += wp * y[j];
                for (int q = p; q < P; ++q) acc[p][q] += wp * phi[q];
            }
            rotors.advance();
        }
    }
    for (int p = 0; p < P; ++p) {
        r[p] = rhs[p];
        for (int q = 0; q < P; ++q) a[p * kLinearStride + q] = q >= p ? acc[p][q] : acc[q][p];
    }
}

// One Gauss-Newton pass of the decaying model: returns the weighted RMS residual and fills the
// normal equations (unknowns: w, then a, b, d of each component) into a 25 x 25 matrix.
template <int M>
double accumulateDecay(const double* y, const double* w, int length, const FitModel& model,
                       double* a, double* r) {
    constexpr int P = 3 * M + 1;
    double acc[P][P] = {};
    double rhs[P] = {};
    double error = 0.0;
    double ca[M], cb[M], cm[M];
    for (int n = 0; n < M; ++n) {
        ca[n] = model.components[n].a;
        cb[n] = model.components[n].b;
        cm[n] = model.components[n].multiplier;
    }
    Rotors<M> rotors(model, true);
    for (int block = 0; block < length; block += kAnchorEvery) {
        const int blockEnd = std::min(length, block + kAnchorEvery);
        rotors.anchor(model, true, block);
        for (int j = block; j < blockEnd; ++j) {
            const double t = j;
            double g[P];
            double value = 0.0;
            double dOmega = 0.0;
            for (int n = 0; n < M; ++n) {
                const double c = rotors.re[n], s = rotors.im[n];
                const double part = ca[n] * c + cb[n] * s;
                value += part;
                dOmega += (cb[n] * c - ca[n] * s) * cm[n] * t;
                g[1 + 3 * n] = c;
                g[2 + 3 * n] = s;
                g[3 + 3 * n] = t * part;
            }
            g[0] = dOmega;
            const double e = y[j] - value;
            error += w[j] * e * e;
            for (int p = 0; p < P; ++p) {
                const double wg = w[j] * g[p];
                rhs[p] += wg * e;
                for (int q = p; q < P; ++q) acc[p][q] += wg * g[q];
            }
            rotors.advance();
        }
    }
    for (int p = 0; p < P; ++p) {
        r[p] = rhs[p];
        for (int q = 0; q < P; ++q) a[p * kDecayStride + q] = q >= p ? acc[p][q] : acc[q][p];
    }
    return std::sqrt(error / length);
}

template <int M>
void synthesize(int length, const FitModel& model, std::int16_t* out) {
    Rotors<M> rotors(model, true);
    for (int block = 0; block < length; block += kAnchorEvery) {
        const int blockEnd = std::min(length, block + kAnchorEvery);
        rotors.anchor(model, true, block);
        for (int j = block; j < blockEnd; ++j) {
            double value = 0.0;
            for (int n = 0; n < M; ++n) {
                value +=
                    model.components[n].a * rotors.re[n] + model.components[n].b * rotors.im[n];
            }
            out[j] = saturatedSample(value);
            rotors.advance();
        }
    }
}

// Calls f.template operator()<M>() with M = count as a compile-time constant (1..8).
template <typename F>
decltype(auto) withComponents(int count, F&& f) {
    switch (count) {
        case 2:
            return f.template operator()<2>();
        case 3:
            return f.template operator()<3>();
        case 4:
            return f.template operator()<4>();
        case 5:
            return f.template operator()<5>();
        case 6:
            return f.template operator()<6>();
        case 7:
            return f.template operator()<7>();
        case 8:
            return f.template operator()<8>();
        default:
            return f.template operator()<1>();
    }
}

}  // namespace

Analyzer::Analyzer()
    : m_Spectrum(new std::complex<double>[kSpectrumSize]),
      m_Fitted(new std::int16_t[kMaxSamples]),
      m_Samples(new double[kMaxSamples]),
      m_Weights(new double[kMaxSamples]) {
    std::fill_n(m_Spectrum.get(), kSpectrumSize, std::complex<double>());
    std::fill_n(m_Fitted.get(), kMaxSamples, std::int16_t{0});
}

Analyzer::~Analyzer() = default;

void Analyzer::setComponentCount(int count) {
    m_ComponentCount = std::clamp(count, 1, kMaxComponents);
}

Analyzer::Params Analyzer::paramsOf(const AnalysisSettings& settings) {
    Params params;
    params.windowKind = settings.windowKind();
    params.decay = settings.decayAccounting();
    params.findF0Hz = settings.findF0();
    params.findF1Hz = settings.findF1();
    return params;
}

const AnalysisResult& Analyzer::analyze(const StrikeRecord& record, const Stretch& stretch,
                                        const AnalysisSettings& settings) {
    return analyze(record.source(), record.sampleRateHz, stretch.start(), stretch.end(),
                   paramsOf(settings));
}

const AnalysisResult& Analyzer::analyze(const SampleSource& source, double sampleRateHz, int start,
                                        int end, const Params& params) {
    const int frames = std::max(source.frameCount, 0);
    start = std::clamp(start, 0, frames);
    end = std::clamp(end, start, frames);
    end = std::min(end, start + kMaxSamples);
    const int length = end - start;

    m_Result = AnalysisResult();
    m_Result.stretchStart = start;
    m_Result.stretchEnd = end;
    m_Result.sampleRateHz = sampleRateHz;
    m_Result.componentCount = m_ComponentCount;

    loadStretch(source, start, length, params.windowKind);
    buildSpectrum(length);
    const int peak = findPeak(sampleRateHz, params);
    m_PickedHz = 0.0;

    m_Result.peakBin = peak;
    m_Result.peakHz = peak * sampleRateHz / kSpectrumSize;
    const double peakOmega = peak * kPi / kHalf;

    FitModel model;
    model.omega = peakOmega;
    model.count = m_ComponentCount;
    for (int n = 0; n < kMaxComponents; ++n) model.components[n].multiplier = n + 1;
    fitLinear(length, model);
    m_Result.fitError = std::numeric_limits<double>::quiet_NaN();
    if (params.decay) fitDecay(length, model);
    writeFitted(length, model);

    m_Result.omega = model.omega;
    m_Result.components = model.components;
    // Without a better decay fit the result is the peak bin's frequency itself, not a value
    // that went through radians and back.
    m_Result.mainFrequencyHz =
        model.omega == peakOmega ? m_Result.peakHz : model.omega * sampleRateHz / (2.0 * kPi);

    writeFrequencyText();
    return m_Result;
}

void Analyzer::writeFrequencyText() {
    const char* hertz = pick(" Гц", " Hz");
    const std::size_t hertzLength = std::strlen(hertz);
    char* text = m_Result.text.data();
    const std::size_t room = m_Result.text.size() - hertzLength;
    const std::size_t used = formatFixed(m_Result.mainFrequencyHz, 2, text, room);
    std::memcpy(text + used, hertz, hertzLength + 1);
}

void Analyzer::loadStretch(const SampleSource& source, int start, int length, int windowKind) {
    for (int j = 0; j < length; ++j) m_Samples[j] = source.at(start + j);
    // Kinds other than 0 and 2 weigh as kind 1, so they share its weights.
    const int kind = windowKind == 0 || windowKind == 2 ? windowKind : 1;
    if (kind != m_WeightsKind || length != m_WeightsLength) {
        for (int j = 0; j < length; ++j) m_Weights[j] = windowWeight(kind, j, length);
        m_WeightsKind = kind;
        m_WeightsLength = length;
    }
}

void Analyzer::buildSpectrum(int length) {
    std::complex<double>* spectrum = m_Spectrum.get();
    for (int j = 0; j < length; ++j) spectrum[j] = {m_Weights[j] * m_Samples[j], 0.0};
    std::fill(spectrum + length, spectrum + kSpectrumSize, std::complex<double>());
    m_Fft.transform(spectrum, kSpectrumSize);
}

Analyzer::BinRange Analyzer::searchBins(const Params& params, double sampleRateHz) {
    if (!(std::isfinite(sampleRateHz) && sampleRateHz > 0.0)) return {};
    const double f0 = std::clamp<double>(params.findF0Hz, kMinSearchHz, kMaxSearchHz);
    const double f1 = std::clamp<double>(params.findF1Hz, kMinSearchHz, kMaxSearchHz);
    BinRange bins{binOf(f0, sampleRateHz), binOf(f1, sampleRateHz)};
    // Bounds within one bin (F0 = F1): the two bins around that frequency, not an empty search.
    if (bins.lo == bins.hi) bins.hi = std::min(bins.lo + 2, kHalf + 1);
    return bins;
}

int Analyzer::findPeak(double sampleRateHz, const Params& params) {
    if (!(std::isfinite(sampleRateHz) && sampleRateHz > 0.0)) return 0;
    auto [lo, hi] = searchBins(params, sampleRateHz);

    if (m_PickedHz > 0.0) {
        const int t = binOf(m_PickedHz, sampleRateHz);
        // Neighbours outside bins 0..32767 count as weaker than any bin.
        auto neighbour = [this](int bin) {
            return bin < 0 || bin > kLastWalkBin ? -1.0 : power(bin);
        };
        const int direction = neighbour(t + 1) > neighbour(t - 1) ? 1 : -1;
        const double floor = power(t);
        int stop = t;
        while (stop + direction >= 0 && stop + direction <= kLastWalkBin) {
            stop += direction;
            if (power(stop) < floor) break;
        }
        lo = std::min(t, stop);
        // The picked bin itself stays in the range even when the walk went down from it.
        hi = std::max(t + 1, stop);
    }

    int best = 0;
    if (lo < hi) {
        best = lo;
        double bestPower = power(lo);
        for (int k = lo + 1; k < hi; ++k) {
            const double p = power(k);
            if (p > bestPower) {
                bestPower = p;
                best = k;
            }
        }
    }
    return best;
}

void Analyzer::fitLinear(int length, FitModel& model) const {
    double a[kLinearStride * kLinearStride];
    double r[kLinearStride];
    double x[kLinearStride];
    const int unknowns = 2 * model.count;
    withComponents(model.count, [&]<int M>() {
        accumulateLinear<M>(m_Samples.get(), m_Weights.get(), length, model, a, r);
    });
    solveLinear(a, unknowns, kLinearStride, r, x);
    const bool finite = allFinite(x, unknowns);
    for (int n = 0; n < model.count; ++n) {
        model.components[n].a = finite ? x[2 * n] : 0.0;
        model.components[n].b = finite ? x[2 * n + 1] : 0.0;
        model.components[n].d = 0.0;
    }
}

void Analyzer::fitDecay(int length, FitModel& model) {
    double a[kDecayStride * kDecayStride];
    double r[kDecayStride];
    double delta[kDecayStride];
    const int unknowns = 3 * model.count + 1;
    FitModel best = model;
    double bestError = 1e200;
    for (int pass = 0; pass < kMaxDecayPasses; ++pass) {
        const double error = withComponents(model.count, [&]<int M>() {
            return accumulateDecay<M>(m_Samples.get(), m_Weights.get(), length, model, a, r);
        });
        ++m_Result.decayPasses;
        if (!std::isfinite(error) || !(error < bestError)) break;
        best = model;
        bestError = error;
        solveLinear(a, unknowns, kDecayStride, r, delta);
        if (!allFinite(delta, unknowns)) break;
        model.omega += delta[0];
        for (int n = 0; n < model.count; ++n) {
            model.components[n].a += delta[1 + 3 * n];
            model.components[n].b += delta[2 + 3 * n];
            model.components[n].d += delta[3 + 3 * n];
        }
    }
    model = best;
    if (bestError < 1e200) m_Result.fitError = bestError;
}

double ToneFit::frequencyHz(double sampleRateHz) const {
    return omega * sampleRateHz / (2.0 * kPi);
}

int fitStride(double sampleRateHz, double toneHz) {
    const double fitRateHz = std::max(16000.0, std::isfinite(toneHz) ? 8.0 * toneHz : 0.0);
    if (!(sampleRateHz >= 2.0 * fitRateHz)) return 1;
    return static_cast<int>(std::min(sampleRateHz / fitRateHz, 1000.0));
}

ToneFit fitTone(const double* y, const double* w, int length, double omegaSeed, int maxPasses) {
    // The short fits start further from their own frequency than the main fit does (the pitch
    // glides), where a full Gauss-Newton step can overshoot: a step that does not lower the error
    // is halved, up to kMaxHalvings times, before the fit gives up.
    constexpr int kMaxHalvings = 4;
    ToneFit fit;
    if (length < 3) return fit;
    FitModel best;
    best.omega = omegaSeed;
    best.count = 1;
    double a[kDecayStride * kDecayStride];
    double r[kDecayStride];
    double delta[kDecayStride];
    accumulateLinear<1>(y, w, length, best, a, r);
    solveLinear(a, 2, kLinearStride, r, delta);
    if (!allFinite(delta, 2)) return fit;
    best.components[0].a = delta[0];
    best.components[0].b = delta[1];
    double bestError = accumulateDecay<1>(y, w, length, best, a, r);
    if (!std::isfinite(bestError)) return fit;
    for (int pass = 0; pass < maxPasses; ++pass) {
        solveLinear(a, 4, kDecayStride, r, delta);
        if (!allFinite(delta, 4)) break;
        bool improved = false;
        double step = 0.0;  // the frequency step taken
        double scale = 1.0;
        for (int halving = 0; halving <= kMaxHalvings && !improved; ++halving, scale *= 0.5) {
            FitModel trial = best;
            trial.omega += scale * delta[0];
            trial.components[0].a += scale * delta[1];
            trial.components[0].b += scale * delta[2];
            trial.components[0].d += scale * delta[3];
            const double error = accumulateDecay<1>(y, w, length, trial, a, r);
            if (std::isfinite(error) && error < bestError) {
                best = trial;
                bestError = error;
                improved = true;
                step = scale * delta[0];
            }
        }
        // Without an improvement the normal equations belong to a rejected trial: stop.
        if (!improved || std::fabs(step) < 1e-7) break;
    }
    fit.omega = best.omega;
    fit.a = best.components[0].a;
    fit.b = best.components[0].b;
    fit.d = best.components[0].d;
    fit.residualEnergy = bestError * bestError * length;
    fit.ok = std::isfinite(fit.omega);
    return fit;
}

void Analyzer::writeFitted(int length, const FitModel& model) {
    withComponents(model.count, [&]<int M>() { synthesize<M>(length, model, m_Fitted.get()); });
    m_FittedLength = length;
}

}  // namespace tomaro
