#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "analysis/Analyzer.h"

namespace tomaro {

struct SampleSource;

// How far one reading can be trusted.
enum class Verdict { Good, Doubtful, Rejected };

// Why a reading is not good, in the order they are listed. The codes are stable (command line).
enum class QualityReason : int {
    NoTone,       // no spectral peak clearly above the noise: silence or pure noise (rejects)
    Clipped,      // samples at full scale inside the analysed stretch (rejects)
    Rival,        // another peak of the search range nearly as strong as the main one
    Subharmonic,  // a strong peak near half the main frequency: the reading may be an overtone
    ShortDecay,   // the tone dies away too fast to be a drum's ringing tone
    Glide,        // the pitch moves too far between the two halves of the stretch
    LowSnr,       // the fitted tone explains too little of the stretch
    NoStrike,     // a file with no sample above the threshold (doubtful at worst)
};
inline constexpr int kQualityReasonCount = 8;

// "no_tone", "clipped", "rival", "subharmonic", "short_decay", "glide", "low_snr", "no_strike".
std::string_view reasonCode(QualityReason reason);
// "good", "doubtful", "rejected": the verdict as reports and the history store name it.
const char* verdictCode(Verdict verdict);

// Where each verdict begins. docs/strike-quality.md tells how these values were calibrated.
struct QualityThresholds {
    double toneProminenceDb = 18.0;      // main peak over the median power of its band, at least
    double rivalDb = -3.0;               // a rival this close to the main peak (or closer) doubts
    double rivalMinDistance = 0.03;      // a rival lies at least 3 % from the main frequency
    double subharmonicDb = -10.0;        // a peak near f/2 this close (or closer) doubts
    double subharmonicTolerance = 0.03;  // "near f/2": within +-3 %
    double shortDecaySec = 0.03;         // a time constant below this doubts
    double glideCents = 100.0;           // |glide| beyond this doubts
    double lowSnrDb = -10.0;             // fit SNR below this doubts
};

// The quality of the last analysis pass.
struct QualityReport {
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    Verdict verdict = Verdict::Good;
    unsigned reasons = 0;      // bit (1 << reason) for each QualityReason that applies
    int clippedInStretch = 0;  // samples at 32767 or -32768 inside the stretch
    int clippedBefore = 0;     // the same between the strike front and the stretch (the attack)
    double fitSnrDb = 0.0;     // 10 log10(model energy / residual energy), window-weighted
    double decaySec = std::numeric_limits<double>::infinity();  // fitted time constant, s
    double rivalHz = kNone;         // strongest other peak of the search range (NaN: none)
    double rivalDb = kNone;         // its power relative to the main peak, dB (<= 0 normally)
    double subharmonicHz = kNone;   // strongest peak near half the main frequency (NaN: none)
    double subharmonicDb = kNone;   // its power relative to the main peak, dB
    double glideCents = 0.0;        // second half of the stretch against the first, cents
    double levelDb = 0.0;           // peak of the strike (front to stretch end), dB below 32768
    double toneProminenceDb = 0.0;  // main peak over the median power of its band, dB

    bool has(QualityReason reason) const {
        return (reasons & (1u << static_cast<int>(reason))) != 0;
    }
    bool accepted() const { return verdict != Verdict::Rejected; }
};

// Judges the last pass of an Analyzer: clipping, how the fitted tone stands out of the spectrum
// and the residual, its decay, its rivals in the spectrum and its glide over the stretch.
//
// It reads the analyzer's spectrum, stretch samples, weights and fitted waveform (so it must run
// after the pass it judges, before the next one) and the source for the samples around the
// stretch. Its buffers are allocated by the constructor; evaluate() never touches the heap.
// User-interface thread only (the source must not be written meanwhile).
class StrikeQuality {
public:
    StrikeQuality();
    ~StrikeQuality();
    StrikeQuality(const StrikeQuality&) = delete;
    StrikeQuality& operator=(const StrikeQuality&) = delete;

    // `frontIndex` is the strike front in the source (the record's start index); `frontFound`
    // whether a sample above the threshold was found; `params` those of the judged pass.
    const QualityReport& evaluate(const Analyzer& analyzer, const SampleSource& source,
                                  int frontIndex, bool frontFound, const Analyzer::Params& params);

    const QualityReport& report() const { return m_Report; }
    void setThresholds(const QualityThresholds& thresholds) { m_Thresholds = thresholds; }
    const QualityThresholds& thresholds() const { return m_Thresholds; }

private:
    void measureSpectrum(const Analyzer& analyzer, const Analyzer::Params& params);
    void measureFit(const Analyzer& analyzer);
    void measureGlide(const Analyzer& analyzer, int windowKind);
    void measureSamples(const Analyzer& analyzer, const SampleSource& source, int frontIndex);
    void judge(bool frontFound);

    QualityThresholds m_Thresholds;
    QualityReport m_Report;
    std::unique_ptr<double[]> m_Scratch;      // powers for the noise median, kUsedBins
    std::unique_ptr<double[]> m_HalfWeights;  // weights of one half fit (see fitStride())
    std::unique_ptr<double[]> m_HalfSamples;  // the samples of one half fit
    int m_HalfWeightsKind = -1;
    int m_HalfWeightsLength = -1;
};

}  // namespace tomaro
