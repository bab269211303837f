#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "analysis/Fft.h"

namespace tomaro {

struct SampleSource;
struct StrikeRecord;
class Stretch;
class AnalysisSettings;

// One sinusoidal component of the fitted model: e^(d j) (a cos(j m w) + b sin(j m w)) for sample
// j of the stretch, w being the shared angular frequency.
struct FitComponent {
    double multiplier = 1.0;  // m, of the main frequency
    double a = 0.0;           // cosine amplitude, in 16-bit sample units (window-scaled fit)
    double b = 0.0;           // sine amplitude
    double d = 0.0;           // decay rate per sample (negative when the tone dies away)
};

inline constexpr int kMaxFitComponents = 8;

// The model fitted to the stretch: components sharing the angular frequency omega (radians per
// sample) through their multipliers.
struct FitModel {
    double omega = 0.0;
    int count = 1;  // components in use, 1..8
    std::array<FitComponent, kMaxFitComponents> components{};
};

// What one analysis pass found.
struct AnalysisResult {
    static constexpr int kMaxComponents = kMaxFitComponents;

    int stretchStart = 0;  // frames of the source that were analysed: [start, end)
    int stretchEnd = 0;
    double sampleRateHz = 0.0;
    int peakBin = 0;               // strongest bin of the search, 0..32768
    double peakHz = 0.0;           // peakBin * fs / 65536
    double omega = 0.0;            // fitted angular frequency, radians per sample
    double mainFrequencyHz = 0.0;  // the result; equals peakHz when no decay fit improved it
    double fitError = 0.0;  // weighted RMS residual of the chosen parameters (decay fit only)
    int decayPasses = 0;    // decay-fit passes evaluated (0 without decay accounting)
    int componentCount = 1;
    std::array<FitComponent, kMaxComponents> components{};
    std::array<char, 400> text{};  // "%0.2f Гц" of the main frequency, NUL-terminated

    double decayPerSample() const { return components[0].d; }
    std::string_view frequencyText() const { return text.data(); }
};

// One decaying sinusoid e^(d j) (a cos(j w) + b sin(j w)) fitted to a short piece of signal by the
// analysis's own method (see fitTone()).
struct ToneFit {
    double omega = 0.0;  // radians per sample
    double a = 0.0;
    double b = 0.0;
    double d = 0.0;               // decay rate per sample
    double residualEnergy = 0.0;  // sum of w_j e_j^2 of the parameters kept
    bool ok = false;              // the fit gave finite parameters
    double frequencyHz(double sampleRateHz) const;
};

// The analysis's fit on `length` samples y with weights w (both read only): the linear fit of a
// sinusoid at `omegaSeed`, then up to `maxPasses` Gauss-Newton steps of the decaying model. A step
// that does not lower the weighted error is halved (up to 4 times) before the fit stops; it also
// stops once the frequency step is below 1e-7 radians per sample. Each step costs one pass over
// the samples per try. Used for the short fits along the strike, which start further from their
// own frequency than the main fit; never allocates, any thread.
ToneFit fitTone(const double* y, const double* w, int length, double omegaSeed, int maxPasses);

// The short fits take every k-th sample of the signal, k = max(1, floor(fs / max(16000, 8 f))) for
// a tone near f Hz: the samples then still hold everything below 8 kHz (and below four times the
// tone), far above the tones of a drum, and the fits cost a k-th.
int fitStride(double sampleRateHz, double toneHz);

// The analysis of one strike: spectrum of the windowed stretch, strongest bin in the search range
// (or near a frequency picked on the spectrum plot), least-squares fit of a sinusoid at that
// frequency and, with decay accounting, up to 6 Gauss-Newton passes fitting a decaying sinusoid.
//
// Every buffer is allocated once by the constructor; analyze() never touches the heap. The
// spectrum (65536 bins, bins 0..32768 meaningful, bin k at k * fs / 65536 Hz; the windowed
// samples in 16-bit units, zero padded and scaled by 1/65536, so a cosine of amplitude A at bin k
// shows about A/2 * (sum of the weights) / 65536 there) and the fitted waveform (one 16-bit
// sample per sample of the stretch) stay valid until the next pass; the graph widgets read them
// on the same thread.
//
// User-interface thread only. The source is read only at frames [start, end) clipped to
// 0..frameCount-1, so the strike record must not be written during a pass (the capture is
// blocked while the analysis is pending).
class Analyzer {
public:
    static constexpr int kSpectrumSize = Fft::kMaxCount;     // 65536 bins
    static constexpr int kUsedBins = kSpectrumSize / 2 + 1;  // bins 0..32768
    static constexpr int kMaxSamples = 48000;                // longest stretch
    static constexpr int kMaxDecayPasses = 6;
    static constexpr double kMinSearchHz = 10.0;  // the search range is held to this
    static constexpr double kMaxSearchHz = 20000.0;

    struct Params {
        int windowKind = 1;  // 0, 1, 2 as the combo box; others behave as 1
        bool decay = true;   // "Учёт затухания"
        // Search range; any values, clamped to [10, 20000] Hz here. Bounds in the same bin
        // search that bin and the next; F1 < F0 searches nothing (the settings never give that).
        int findF0Hz = 30;
        int findF1Hz = 500;
    };

    // The user's settings as the parameters of a pass.
    static Params paramsOf(const AnalysisSettings& settings);

    // The bins [lo, hi) the search range covers at `sampleRateHz`: F0 and F1 held to
    // [kMinSearchHz, kMaxSearchHz], bin k for trunc(f / fs * 65536) within 0..32768; bounds within
    // one bin search the two bins around it. Empty (lo >= hi) for a reversed range or a rate that
    // is not a positive number. The pass, the quality judgement and the graphs share it.
    struct BinRange {
        int lo = 0;
        int hi = 0;
    };
    static BinRange searchBins(const Params& params, double sampleRateHz);

    Analyzer();
    ~Analyzer();
    Analyzer(const Analyzer&) = delete;
    Analyzer& operator=(const Analyzer&) = delete;

    // The whole pass over frames [start, end) of `source` at `sampleRateHz`. The range is clipped
    // to the source and to 48000 samples. Consumes the picked frequency. Returns result().
    const AnalysisResult& analyze(const SampleSource& source, double sampleRateHz, int start,
                                  int end, const Params& params);
    // The same for the strike record, with the stretch and the user's settings. The caller copies
    // result().frequencyText() into the record's caption text and runs the read-out afterwards.
    const AnalysisResult& analyze(const StrikeRecord& record, const Stretch& stretch,
                                  const AnalysisSettings& settings);

    // A frequency the user picked on the spectrum plot (Hz, > 0), used by the next pass only:
    // the search then walks uphill from it, even outside the search range. 0 clears it.
    void pickFrequency(double frequencyHz) { m_PickedHz = frequencyHz; }
    double pickedFrequency() const { return m_PickedHz; }

    // The component table: multipliers 1, 2, ..., 8 of which the first `count` are fitted.
    // The program fits one component; more are for experiments. `count` is held to [1, 8].
    void setComponentCount(int count);
    int componentCount() const { return m_ComponentCount; }

    const AnalysisResult& result() const { return m_Result; }
    // Writes result().frequencyText() again in the current language ("%0.2f Гц" / "%0.2f Hz").
    void writeFrequencyText();
    std::span<const std::complex<double>> spectrum() const {
        return {m_Spectrum.get(), kSpectrumSize};
    }
    // Power re^2 + im^2 of bin k (0 <= k < 65536).
    double power(int bin) const { return std::norm(m_Spectrum[bin]); }
    // The fitted model of the last pass, one sample per sample of the stretch, saturated to
    // 16 bits; empty before the first pass.
    std::span<const std::int16_t> fittedWaveform() const {
        return {m_Fitted.get(), static_cast<std::size_t>(m_FittedLength)};
    }
    // The stretch of the last pass as the fits saw it: the raw 16-bit values as doubles, and the
    // window weight of each sample (same length as fittedWaveform()).
    std::span<const double> stretchSamples() const {
        return {m_Samples.get(), static_cast<std::size_t>(m_FittedLength)};
    }
    std::span<const double> stretchWeights() const {
        return {m_Weights.get(), static_cast<std::size_t>(m_FittedLength)};
    }

private:
    void loadStretch(const SampleSource& source, int start, int length, int windowKind);
    void buildSpectrum(int length);
    int findPeak(double sampleRateHz, const Params& params);
    void fitLinear(int length, FitModel& model) const;
    void fitDecay(int length, FitModel& model);
    void writeFitted(int length, const FitModel& model);

    Fft m_Fft;
    std::unique_ptr<std::complex<double>[]> m_Spectrum;
    std::unique_ptr<std::int16_t[]> m_Fitted;
    std::unique_ptr<double[]> m_Samples;  // the stretch as doubles
    std::unique_ptr<double[]> m_Weights;  // window weights of the stretch
    int m_WeightsKind = -1;               // kind and length the weights were made for
    int m_WeightsLength = -1;
    int m_FittedLength = 0;
    int m_ComponentCount = 1;
    double m_PickedHz = 0.0;
    AnalysisResult m_Result;
};

}  // namespace tomaro
