#include "analysis/StrikeQuality.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/Window.h"
#include "audio/StrikeRecord.h"
#include "base/Cents.h"
#include "base/Median.h"

namespace tomaro {
namespace {

constexpr int kHalf = Analyzer::kSpectrumSize / 2;  // the Nyquist bin
constexpr int kLastBin = kHalf - 1;                 // neighbours of bins up to here exist
constexpr int kGlidePasses = 6;
constexpr double kProminenceCapDb = 300.0;  // a peak over a band of exact zeros

double binOf(double frequencyHz, double sampleRateHz) {
    return frequencyHz / sampleRateHz * Analyzer::kSpectrumSize;
}

// A local maximum of the power spectrum: above its lower neighbour, not below its upper one.
bool isLocalPeak(const Analyzer& analyzer, int bin) {
    if (bin < 1 || bin > kLastBin) return false;
    const double p = analyzer.power(bin);
    return p > analyzer.power(bin - 1) && p >= analyzer.power(bin + 1);
}

double decibels(double ratio) { return 10.0 * std::log10(ratio); }

bool isFullScale(int value) { return value == 32767 || value == -32768; }

}  // namespace

const char* verdictCode(Verdict verdict) {
    switch (verdict) {
        case Verdict::Good:
            return "good";
        case Verdict::Doubtful:
            return "doubtful";
        case Verdict::Rejected:
            return "rejected";
    }
    return "";
}

std::string_view reasonCode(QualityReason reason) {
    switch (reason) {
        case QualityReason::NoTone:
            return "no_tone";
        case QualityReason::Clipped:
            return "clipped";
        case QualityReason::Rival:
            return "rival";
        case QualityReason::Subharmonic:
            return "subharmonic";
        case QualityReason::ShortDecay:
            return "short_decay";
        case QualityReason::Glide:
            return "glide";
        case QualityReason::LowSnr:
            return "low_snr";
        case QualityReason::NoStrike:
            return "no_strike";
    }
    return "";
}

StrikeQuality::StrikeQuality()
    : m_Scratch(new double[Analyzer::kUsedBins]),
      m_HalfWeights(new double[Analyzer::kMaxSamples / 2 + 1]),
      m_HalfSamples(new double[Analyzer::kMaxSamples / 2 + 1]) {}

StrikeQuality::~StrikeQuality() = default;

const QualityReport& StrikeQuality::evaluate(const Analyzer& analyzer, const SampleSource& source,
                                             int frontIndex, bool frontFound,
                                             const Analyzer::Params& params) {
    m_Report = QualityReport();
    measureSamples(analyzer, source, frontIndex);
    measureSpectrum(analyzer, params);
    measureFit(analyzer);
    measureGlide(analyzer, params.windowKind);
    judge(frontFound);
    return m_Report;
}

void StrikeQuality::measureSamples(const Analyzer& analyzer, const SampleSource& source,
                                   int frontIndex) {
    const AnalysisResult& result = analyzer.result();
    for (double y : analyzer.stretchSamples()) {
        if (isFullScale(static_cast<int>(y))) ++m_Report.clippedInStretch;
    }
    const int frames = std::max(source.frameCount, 0);
    const int start = std::clamp(result.stretchStart, 0, frames);
    const int front = std::clamp(frontIndex, 0, frames);
    int peak = 0;
    for (int frame = std::min(front, start); frame < start; ++frame) {
        const int value = source.at(frame);
        if (isFullScale(value)) ++m_Report.clippedBefore;
        peak = std::max(peak, std::abs(value));
    }
    for (double y : analyzer.stretchSamples()) peak = std::max(peak, std::abs(static_cast<int>(y)));
    // Silence reads as half a sample step, about -96 dB, rather than minus infinity.
    m_Report.levelDb = 20.0 * std::log10(peak > 0 ? peak / 32768.0 : 0.5 / 32768.0);
}

void StrikeQuality::measureSpectrum(const Analyzer& analyzer, const Analyzer::Params& params) {
    const AnalysisResult& result = analyzer.result();
    const double rate = result.sampleRateHz;
    if (!(std::isfinite(rate) && rate > 0.0) || result.stretchEnd <= result.stretchStart) {
        m_Report.toneProminenceDb = -kProminenceCapDb;
        return;
    }
    const int peak = result.peakBin;
    const double peakPower = analyzer.power(peak);
    const auto [lo, hi] = Analyzer::searchBins(params, rate);

    // The noise of the search range: the median power of its bins, the band widened to half an
    // octave on each side of the peak when the range is narrow or the peak was picked outside it.
    const int bandLo =
        std::clamp(std::min(lo, static_cast<int>(peak / std::numbers::sqrt2)), 1, kHalf);
    const int bandHi =
        std::clamp(std::max(hi, static_cast<int>(peak * std::numbers::sqrt2) + 1), bandLo, kHalf);
    const int count = bandHi - bandLo;
    if (peakPower > 0.0 && count > 0) {
        for (int k = 0; k < count; ++k) m_Scratch[k] = analyzer.power(bandLo + k);
        const double noise =
            median(std::span(m_Scratch.get(), static_cast<std::size_t>(count)), EvenMedian::Upper);
        m_Report.toneProminenceDb = noise > 0.0
                                        ? std::min(decibels(peakPower / noise), kProminenceCapDb)
                                        : kProminenceCapDb;
    } else {
        m_Report.toneProminenceDb = peakPower > 0.0 ? kProminenceCapDb : -kProminenceCapDb;
    }
    // A reading on the slope of something outside the range is no peak at all.
    if (!isLocalPeak(analyzer, peak)) m_Report.toneProminenceDb = -kProminenceCapDb;
    if (!(peakPower > 0.0)) return;

    const double mainHz = std::isfinite(result.mainFrequencyHz) && result.mainFrequencyHz > 0.0
                              ? result.mainFrequencyHz
                              : result.peakHz;
    double rivalPower = 0.0;
    int rival = -1;
    for (int k = std::max(lo, 1); k < std::min(hi, kLastBin + 1); ++k) {
        if (k == peak || !isLocalPeak(analyzer, k)) continue;
        const double hz = k * rate / Analyzer::kSpectrumSize;
        if (std::fabs(hz - mainHz) < m_Thresholds.rivalMinDistance * mainHz) continue;
        if (analyzer.power(k) > rivalPower) {
            rivalPower = analyzer.power(k);
            rival = k;
        }
    }
    if (rival >= 0) {
        m_Report.rivalHz = rival * rate / Analyzer::kSpectrumSize;
        m_Report.rivalDb = decibels(rivalPower / peakPower);
    }

    const double half = mainHz / 2.0;
    const int subLo = std::max(
        1,
        static_cast<int>(std::ceil(binOf(half * (1.0 - m_Thresholds.subharmonicTolerance), rate))));
    const int subHi = std::min(
        kLastBin, static_cast<int>(
                      std::floor(binOf(half * (1.0 + m_Thresholds.subharmonicTolerance), rate))));
    double subPower = 0.0;
    int sub = -1;
    for (int k = subLo; k <= subHi; ++k) {
        if (isLocalPeak(analyzer, k) && analyzer.power(k) > subPower) {
            subPower = analyzer.power(k);
            sub = k;
        }
    }
    if (sub >= 0) {
        m_Report.subharmonicHz = sub * rate / Analyzer::kSpectrumSize;
        m_Report.subharmonicDb = decibels(subPower / peakPower);
    }
}

void StrikeQuality::measureFit(const Analyzer& analyzer) {
    const auto samples = analyzer.stretchSamples();
    const auto weights = analyzer.stretchWeights();
    const auto fitted = analyzer.fittedWaveform();
    double model = 0.0;
    double residual = 0.0;
    for (std::size_t j = 0; j < fitted.size(); ++j) {
        const double f = fitted[j];
        const double e = samples[j] - f;
        model += weights[j] * f * f;
        residual += weights[j] * e * e;
    }
    // Energies are in squared sample units; the small floor keeps silence at 0 dB.
    constexpr double kFloor = 1e-9;
    m_Report.fitSnrDb = decibels((model + kFloor) / (residual + kFloor));

    const AnalysisResult& result = analyzer.result();
    const double d = result.decayPerSample();
    const double rate = result.sampleRateHz;
    if (d < 0.0 && std::isfinite(d) && rate > 0.0) m_Report.decaySec = -1.0 / (d * rate);
}

void StrikeQuality::measureGlide(const Analyzer& analyzer, int windowKind) {
    const AnalysisResult& result = analyzer.result();
    const auto samples = analyzer.stretchSamples();
    const int stride = fitStride(result.sampleRateHz, result.mainFrequencyHz);
    const int half = static_cast<int>(samples.size()) / 2;
    const int count = half / stride;  // samples of each half fit
    const double seed = result.omega * stride;
    if (count < 8 || !(std::isfinite(seed) && seed > 0.0)) return;
    const int kind = windowKind == 0 || windowKind == 2 ? windowKind : 1;
    if (kind != m_HalfWeightsKind || count != m_HalfWeightsLength) {
        for (int j = 0; j < count; ++j) m_HalfWeights[j] = windowWeight(kind, j, count);
        m_HalfWeightsKind = kind;
        m_HalfWeightsLength = count;
    }
    auto fitHalf = [&](int offset) {
        for (int j = 0; j < count; ++j) m_HalfSamples[j] = samples[offset + j * stride];
        return fitTone(m_HalfSamples.get(), m_HalfWeights.get(), count, seed, kGlidePasses);
    };
    const ToneFit first = fitHalf(0);
    const ToneFit second = fitHalf(half);
    // A half fit that ran off by more than a fifth is no measure of the glide.
    auto usable = [seed](const ToneFit& fit) {
        return fit.ok && fit.omega > seed / 1.5 && fit.omega < seed * 1.5;
    };
    if (usable(first) && usable(second)) {
        m_Report.glideCents = centsBetween(first.omega, second.omega);
    }
}

void StrikeQuality::judge(bool frontFound) {
    const QualityThresholds& t = m_Thresholds;
    QualityReport& r = m_Report;
    auto add = [&r](QualityReason reason) { r.reasons |= 1u << static_cast<int>(reason); };
    const bool noTone = !(r.toneProminenceDb >= t.toneProminenceDb);
    if (noTone) add(QualityReason::NoTone);
    if (r.clippedInStretch > 0) add(QualityReason::Clipped);
    // Without a tone, its rivals, decay, glide and fit say nothing more.
    if (!noTone) {
        if (r.rivalDb >= t.rivalDb) add(QualityReason::Rival);
        if (r.subharmonicDb >= t.subharmonicDb) add(QualityReason::Subharmonic);
        if (r.decaySec < t.shortDecaySec) add(QualityReason::ShortDecay);
        if (std::fabs(r.glideCents) > t.glideCents) add(QualityReason::Glide);
        if (r.fitSnrDb < t.lowSnrDb) add(QualityReason::LowSnr);
    }
    if (!frontFound) add(QualityReason::NoStrike);

    if (noTone || r.has(QualityReason::Clipped)) {
        r.verdict = Verdict::Rejected;
    } else if (r.reasons != 0) {
        r.verdict = Verdict::Doubtful;
    } else {
        r.verdict = Verdict::Good;
    }
}

}  // namespace tomaro
