#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "TestSignals.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/Stretch.h"
#include "analysis/Window.h"
#include "audio/StrikeRecord.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

using testing::decayingTone;
using testing::kTwoPi;
using testing::sampled;
using testing::sourceOf;

constexpr double kRate = 48000.0;

double binHz(int bin, double rateHz = kRate) { return bin * rateHz / 65536; }

Analyzer::Params params(int windowKind, bool decay, int f0 = 30, int f1 = 500) {
    Analyzer::Params p;
    p.windowKind = windowKind;
    p.decay = decay;
    p.findF0Hz = f0;
    p.findF1Hz = f1;
    return p;
}

// 97.3 Hz lies between bins 132 (96.68 Hz) and 133 (97.41 Hz) at 48 kHz.
struct NoisyTom : ::testing::Test {
    static constexpr double kFrequencyHz = 97.3;
    static constexpr double kTauSec = 0.3;
    static constexpr double kAmplitude = 10000.0;
    // 40 dB below the tone's starting power (amplitude^2 / 2).
    static constexpr double kNoiseRms = kAmplitude / 1.4142135623730951 / 100.0;

    std::vector<std::int16_t> samples = sampled(
        48000, kRate,
        testing::withNoise(decayingTone(kFrequencyHz, kTauSec, kAmplitude), kNoiseRms, 2024));
    Analyzer analyzer;
    // 0.3 s starting 0.05 s after the strike.
    int start = 2400;
    int end = 2400 + 14400;
};

TEST_F(NoisyTom, DecayFitFindsAToneBetweenBinsWithinTwoThousandthsOfAHertz) {
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, start, end, params(1, true));
    EXPECT_EQ(result.peakBin, 133);
    EXPECT_NEAR(result.mainFrequencyHz, kFrequencyHz, 0.002);
    EXPECT_LT(std::fabs(result.mainFrequencyHz - kFrequencyHz),
              std::fabs(result.peakHz - kFrequencyHz));
    EXPECT_NEAR(result.decayPerSample(), -1.0 / (kTauSec * kRate), 0.02 / (kTauSec * kRate));
    EXPECT_GE(result.decayPasses, 2);
    EXPECT_EQ(result.frequencyText(), "97.30 Гц");
}

TEST_F(NoisyTom, WithoutDecayTheResultIsExactlyThePeakBinFrequency) {
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, start, end, params(1, false));
    EXPECT_EQ(result.peakBin, 133);
    EXPECT_EQ(result.mainFrequencyHz, 133 * kRate / 65536);
    EXPECT_EQ(result.decayPasses, 0);
    EXPECT_EQ(result.decayPerSample(), 0.0);
    EXPECT_EQ(result.frequencyText(), "97.41 Гц");
}

TEST_F(NoisyTom, EveryWindowKindFindsTheTone) {
    for (int kind : {0, 1, 2}) {
        const AnalysisResult& result =
            analyzer.analyze(sourceOf(samples), kRate, start, end, params(kind, true));
        EXPECT_NEAR(result.mainFrequencyHz, kFrequencyHz, 0.005) << "window " << kind;
    }
}

TEST_F(NoisyTom, FittedWaveformFollowsTheSignal) {
    analyzer.analyze(sourceOf(samples), kRate, start, end, params(1, true));
    auto fitted = analyzer.fittedWaveform();
    ASSERT_EQ(fitted.size(), 14400u);
    double residual = 0.0;
    for (int j = 0; j < 14400; ++j) {
        const double clean = decayingTone(kFrequencyHz, kTauSec, kAmplitude)((start + j) / kRate);
        residual = std::max(residual, std::fabs(fitted[j] - clean));
    }
    EXPECT_LT(residual, 60.0);
}

// The fits take their cosines, sines and exponentials from recurrences re-anchored every 256
// samples. Run the same Gauss-Newton fit here with a library call per sample: the results must
// agree to 1e-7 Hz and 1e-7 relative in amplitude and decay.
struct DirectFit {
    double omega, a, b, d;
};

DirectFit directFit(const std::vector<double>& y, const std::vector<double>& w, double omega,
                    bool decay) {
    const int length = static_cast<int>(y.size());
    double n[4][4] = {}, r[4] = {};
    for (int j = 0; j < length; ++j) {
        const double phi[2] = {std::cos(j * omega), std::sin(j * omega)};
        for (int p = 0; p < 2; ++p) {
            r[p] += w[j] * y[j] * phi[p];
            for (int q = 0; q < 2; ++q) n[p][q] += w[j] * phi[p] * phi[q];
        }
    }
    const double det = n[0][0] * n[1][1] - n[0][1] * n[1][0];
    DirectFit fit{omega, (r[0] * n[1][1] - r[1] * n[0][1]) / det,
                  (n[0][0] * r[1] - n[1][0] * r[0]) / det, 0.0};
    if (!decay) return fit;
    DirectFit best = fit;
    double bestError = 1e200;
    for (int pass = 0; pass < 6; ++pass) {
        double a[16] = {}, rhs[4] = {}, error = 0.0;
        for (int j = 0; j < length; ++j) {
            const double e = std::exp(fit.d * j), c = e * std::cos(j * fit.omega),
                         s = e * std::sin(j * fit.omega);
            const double model = fit.a * c + fit.b * s;
            const double g[4] = {(fit.b * c - fit.a * s) * j, c, s, j * model};
            const double residual = y[j] - model;
            error += w[j] * residual * residual;
            for (int p = 0; p < 4; ++p) {
                rhs[p] += w[j] * g[p] * residual;
                for (int q = 0; q < 4; ++q) a[p * 4 + q] += w[j] * g[p] * g[q];
            }
        }
        error = std::sqrt(error / length);
        if (!(error < bestError)) break;
        best = fit;
        bestError = error;
        double delta[4];
        // Plain elimination is enough for this well-posed test system.
        for (int i = 0; i < 4; ++i) {
            for (int k = i + 1; k < 4; ++k) {
                const double m = a[k * 4 + i] / a[i * 4 + i];
                for (int t = i; t < 4; ++t) a[k * 4 + t] -= m * a[i * 4 + t];
                rhs[k] -= m * rhs[i];
            }
        }
        for (int i = 3; i >= 0; --i) {
            double sum = rhs[i];
            for (int t = i + 1; t < 4; ++t) sum -= a[i * 4 + t] * delta[t];
            delta[i] = sum / a[i * 4 + i];
        }
        fit = {fit.omega + delta[0], fit.a + delta[1], fit.b + delta[2], fit.d + delta[3]};
    }
    return best;
}

TEST_F(NoisyTom, RecurrencesAgreeWithALibraryCallPerSample) {
    for (bool decay : {false, true}) {
        for (int kind : {0, 1}) {
            // The full 48000-sample stretch is where recurrences would drift most.
            const int length = 48000;
            const AnalysisResult& result =
                analyzer.analyze(sourceOf(samples), kRate, 0, length, params(kind, decay));
            std::vector<double> y(length), w(length);
            for (int j = 0; j < length; ++j) {
                y[j] = samples[j];
                w[j] = windowWeight(kind, j, length);
            }
            const DirectFit direct = directFit(y, w, result.peakBin * M_PI / 32768, decay);
            const FitComponent& fit = result.components[0];
            const double scale = std::hypot(direct.a, direct.b);
            EXPECT_NEAR(result.omega * kRate / kTwoPi, direct.omega * kRate / kTwoPi, 1e-7);
            EXPECT_NEAR(fit.a, direct.a, 1e-7 * scale);
            EXPECT_NEAR(fit.b, direct.b, 1e-7 * scale);
            EXPECT_NEAR(fit.d, direct.d, 1e-7 * std::fabs(direct.d));
        }
    }
}

// Two close tones beat, so the Gauss-Newton passes of the single decaying sinusoid wander. The
// first tone starts `glide` above its frequency and falls to it with a time constant of 0.1 s,
// as a drum's pitch drops after the strike.
std::vector<std::int16_t> beatingStrike(double f1Hz, double amplitude1, double tau1Sec,
                                        double phase1, double glide, double f2Hz, double amplitude2,
                                        double tau2Sec, double phase2) {
    return sampled(48000, kRate, [=](double t) {
        const double phase = kTwoPi * f1Hz * (t + glide * 0.1 * (1.0 - std::exp(-t / 0.1)));
        return amplitude1 * std::exp(-t / tau1Sec) * std::cos(phase + phase1) +
               amplitude2 * std::exp(-t / tau2Sec) * std::cos(kTwoPi * f2Hz * t + phase2);
    });
}

TEST(DecayFit, StopsAtTheFirstPassThatIsNoBetterAndKeepsTheBestParameters) {
    // The third pass is worse than the second: the fit ends there with the second pass's
    // parameters. Keeping the third pass's instead gives 231.891 Hz; going on regardless of the
    // error for all six passes gives 231.949 Hz.
    const auto samples = beatingStrike(228.99, 9154, 0.480, 1.37, 0.143, 232.76, 5156, 0.288, 1.56);
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 2400, 2400 + 26876, params(1, true));
    EXPECT_EQ(result.decayPasses, 3);
    EXPECT_NEAR(result.mainFrequencyHz, 231.3857, 0.001);
}

TEST(DecayFit, RunsAtMostSixPassesAndKeepsTheLastOneEvaluated) {
    // Every pass improves: the sixth pass's parameters are the result, and the update after it
    // is never used (a seventh pass, or the unevaluated update, gives 192.509 Hz).
    const auto samples = beatingStrike(189.60, 9964, 0.404, 5.11, 0.006, 192.24, 9431, 0.491, 4.79);
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 2400, 2400 + 18705, params(1, true));
    EXPECT_EQ(result.decayPasses, 6);
    EXPECT_NEAR(result.mainFrequencyHz, 192.5653, 0.001);
}

TEST(Analyzer, EqualPowersGoToTheLowerBin) {
    // An impulse at the stretch start has the same power in every bin.
    std::vector<std::int16_t> samples(1000, 0);
    samples[0] = 1000;
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 0, 1000, params(0, false, 30, 500));
    EXPECT_EQ(analyzer.spectrum()[41], analyzer.spectrum()[600]);
    EXPECT_EQ(result.peakBin, 40);  // trunc(30 / 48000 * 65536)
}

TEST(Analyzer, PickedWalkGoesDownOnTiesAndOnlyStopsBelowThePickedPower) {
    // An impulse gives every bin exactly the same power: from the picked bin 1365 the walk must
    // take the lower side on the tie and keep going over equal bins all the way to bin 0.
    std::vector<std::int16_t> samples(1000, 0);
    samples[0] = 1000;
    Analyzer analyzer;
    analyzer.pickFrequency(1000.0);
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 0, 1000, params(0, false));
    ASSERT_EQ(analyzer.power(1364), analyzer.power(1366));
    EXPECT_EQ(result.peakBin, 0);
    EXPECT_EQ(result.mainFrequencyHz, 0.0);
}

TEST(Analyzer, SilentStretchGivesZeroAmplitudesAndStopsTheDecayFitAtOnce) {
    std::vector<std::int16_t> samples(48000, 0);
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 100, 20000, params(1, true));
    EXPECT_EQ(result.peakBin, 40);
    EXPECT_EQ(result.mainFrequencyHz, binHz(40));
    EXPECT_EQ(result.decayPasses, 1);
    EXPECT_EQ(result.components[0].a, 0.0);
    EXPECT_EQ(result.components[0].b, 0.0);
    EXPECT_EQ(result.components[0].d, 0.0);
    for (std::int16_t value : analyzer.fittedWaveform()) ASSERT_EQ(value, 0);
    EXPECT_EQ(result.frequencyText(), "29.30 Гц");
}

TEST(Analyzer, EmptyStretchLeavesAZeroSpectrum) {
    std::vector<std::int16_t> samples(100, 1234);
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 50, 50, params(1, true));
    for (const auto& bin : analyzer.spectrum()) ASSERT_EQ(bin, std::complex<double>());
    EXPECT_TRUE(analyzer.fittedWaveform().empty());
    EXPECT_EQ(result.peakBin, 40);
}

// A strong tone inside the search range and a weaker one far above it.
struct TwoTones : ::testing::Test {
    std::vector<std::int16_t> samples = sampled(48000, kRate, [](double t) {
        return 10000 * std::cos(kTwoPi * 100 * t) + 3000 * std::cos(kTwoPi * 1000 * t);
    });
    Analyzer analyzer;
    const AnalysisResult& run() {
        return analyzer.analyze(sourceOf(samples), kRate, 0, 19200, params(1, false));
    }
};

TEST_F(TwoTones, PickedFrequencyWalksUphillToAPeakOutsideTheRangeForOnePass) {
    analyzer.pickFrequency(1003.0);
    EXPECT_NEAR(run().mainFrequencyHz, 1000.0, 0.8);
    EXPECT_EQ(analyzer.pickedFrequency(), 0.0);
    EXPECT_NEAR(run().mainFrequencyHz, 100.0, 0.8);
}

TEST_F(TwoTones, PickedFrequencyWalksDownhillSideToo) {
    analyzer.pickFrequency(999.0);
    EXPECT_NEAR(run().mainFrequencyHz, 1000.0, 0.8);
}

TEST_F(TwoTones, PickingThePeakBinItselfKeepsIt) {
    // 100 Hz is bin 136.5: the peak bin 137 has a stronger left neighbour, so the walk from it
    // goes down to the left at once; the picked bin must still be in the searched range.
    const int peak = run().peakBin;
    ASSERT_EQ(peak, 137);
    ASSERT_GT(analyzer.power(peak - 1), analyzer.power(peak + 1));
    analyzer.pickFrequency(binHz(peak) + 1e-6);
    EXPECT_EQ(run().peakBin, peak);
}

TEST_F(TwoTones, PickedFrequencyAtTheEndsOfTheSpectrumStaysInside) {
    for (double picked : {1e-9, 23999.0, 24000.0, 1e12}) {
        analyzer.pickFrequency(picked);
        const AnalysisResult& result = run();
        EXPECT_GE(result.peakBin, 0) << picked;
        EXPECT_LE(result.peakBin, 32768) << picked;
    }
}

TEST(Analyzer, SearchBinsStayInsideTheSpectrumAtLowSampleRates) {
    // At 3000 Hz a 20000 Hz bound would be bin 436906: it must be held to 32768.
    const double rate = 3000.0;
    auto samples =
        sampled(48000, rate, [](double t) { return 8000 * std::cos(kTwoPi * 1400 * t); });
    Analyzer analyzer;
    for (auto [f0, f1] :
         {std::pair{10, 20000}, std::pair{INT_MIN, INT_MAX}, std::pair{1300, 20000}}) {
        const AnalysisResult& result =
            analyzer.analyze(sourceOf(samples), rate, 0, 4800, params(1, false, f0, f1));
        EXPECT_NEAR(result.mainFrequencyHz, 1400.0, rate / 65536) << f0 << " " << f1;
        EXPECT_LE(result.peakBin, 32768);
    }
}

TEST(Analyzer, ReversedStoredRangeFindsNothingButBinZero) {
    auto samples = sampled(48000, kRate, decayingTone(200, 0.3, 10000));
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 0, 19200, params(1, false, 500, 30));
    EXPECT_EQ(result.peakBin, 0);
    EXPECT_EQ(result.mainFrequencyHz, 0.0);
    // At omega 0 the sine column is all zero: the singular fit must give no amplitudes at all.
    EXPECT_EQ(result.components[0].a, 0.0);
    EXPECT_EQ(result.components[0].b, 0.0);
    for (std::int16_t value : analyzer.fittedWaveform()) ASSERT_EQ(value, 0);
}

TEST(Analyzer, EqualSearchBoundsSearchTheBinsAroundThem) {
    // 2000 Hz lies between bins 2730 and 2731 at 48 kHz; 440 Hz is far stronger elsewhere.
    auto samples = sampled(48000, kRate, [](double t) {
        return 9000 * std::cos(kTwoPi * 440 * t) + 2000 * std::cos(kTwoPi * 2000 * t);
    });
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 0, 19200, params(1, false, 2000, 2000));
    EXPECT_GE(result.peakBin, 2730);
    EXPECT_LE(result.peakBin, 2731);
    // Bounds apart by less than one bin at a high rate: 20 and 21 Hz are both bin 1 at 1 MHz.
    const AnalysisResult& narrow =
        analyzer.analyze(sourceOf(samples), 1e6, 0, 19200, params(1, false, 20, 21));
    EXPECT_GE(narrow.peakBin, 1);
    EXPECT_LE(narrow.peakBin, 2);
}

TEST(Analyzer, StretchIsClippedToTheSource) {
    std::vector<std::int16_t> samples = sampled(5000, kRate, decayingTone(200, 0.3, 10000));
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 4000, 90000, params(1, true));
    EXPECT_EQ(result.stretchStart, 4000);
    EXPECT_EQ(result.stretchEnd, 5000);
    const AnalysisResult& before =
        analyzer.analyze(sourceOf(samples), kRate, -500, 100, params(1, true));
    EXPECT_EQ(before.stretchStart, 0);
    EXPECT_EQ(before.stretchEnd, 100);
    const AnalysisResult& huge =
        analyzer.analyze(sourceOf(samples), kRate, -100000, 100000, params(1, true));
    EXPECT_EQ(huge.stretchEnd, 5000);
}

TEST(Analyzer, ReadsTheFirstChannelOfAFileInPlace) {
    // Stereo little-endian frames: the tone on the left, full-scale noise on the right. The
    // bytes end exactly at the last frame so that a read past it is caught by the sanitizer.
    const int frames = 60000;
    auto left = sampled(frames, kRate, decayingTone(150, 0.3, 10000));
    std::vector<unsigned char> bytes(frames * 4);
    std::mt19937 random(1);
    for (int i = 0; i < frames; ++i) {
        const auto l = static_cast<std::uint16_t>(left[i]);
        const auto r = static_cast<std::uint16_t>(random());
        bytes[4 * i] = l & 0xff;
        bytes[4 * i + 1] = l >> 8;
        bytes[4 * i + 2] = r & 0xff;
        bytes[4 * i + 3] = r >> 8;
    }
    SampleSource source;
    source.fileBytes = bytes.data();
    source.frameStrideBytes = 4;
    source.frameCount = frames;
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(source, kRate, frames - 14400, frames + 100, params(1, true));
    EXPECT_EQ(result.stretchEnd, frames);
    EXPECT_NEAR(result.mainFrequencyHz, 150.0, 0.01);
}

TEST(Analyzer, FittedWaveformSaturatesInsteadOfWrapping) {
    // A full-scale square wave: its fitted fundamental has amplitude 4/pi * 32767, above 16 bits.
    auto samples = sampled(48000, kRate, [](double t) {
        return std::cos(kTwoPi * 100 * t) >= 0 ? 32767.0 : -32768.0;
    });
    Analyzer analyzer;
    const AnalysisResult& result =
        analyzer.analyze(sourceOf(samples), kRate, 0, 19200, params(0, false));
    const FitComponent& fit = result.components[0];
    ASSERT_GT(std::hypot(fit.a, fit.b), 40000.0);
    auto fitted = analyzer.fittedWaveform();
    int clipped = 0;
    for (int j = 0; j < 19200; ++j) {
        const double model =
            fit.a * std::cos(j * result.omega) + fit.b * std::sin(j * result.omega);
        const double expected = std::clamp(std::trunc(model), -32768.0, 32767.0);
        ASSERT_NEAR(fitted[j], expected, 1.0) << j;
        if (std::fabs(model) > 32768.0) ++clipped;
    }
    EXPECT_GT(clipped, 1000);
}

TEST(Analyzer, WindowKindChangesTheWeightsOfTheNextPass) {
    // An impulse in the middle of the stretch shows the window's middle weight in bin 0.
    std::vector<std::int16_t> samples(1000, 0);
    samples[500] = 1000;
    Analyzer analyzer;
    const double expected[3] = {1.0, 1.0 - std::exp(-1.0), 1.0 - std::exp(-3.0)};
    for (int kind : {0, 2, 1, 0, 7}) {
        analyzer.analyze(sourceOf(samples), kRate, 0, 1000, params(kind, false));
        const double weight = kind == 7 ? expected[1] : expected[kind];
        EXPECT_DOUBLE_EQ(analyzer.spectrum()[0].real(), 1000 * weight / 65536) << kind;
    }
}

TEST(Analyzer, AnalysesTheStrikeRecordOverTheUsersStretch) {
    StrikeRecord record;
    testing::fillStrike(record, kRate, decayingTone(180.0, 0.3, 12000));
    MemoryProfile profile;
    Stretch stretch(profile);
    stretch.setStrike(record);
    AnalysisSettings settings(profile);
    Analyzer analyzer;
    const AnalysisResult& result = analyzer.analyze(record, stretch, settings);
    EXPECT_EQ(result.stretchStart, 6000 + 2400);
    EXPECT_EQ(result.stretchEnd, 6000 + 21600);
    EXPECT_NEAR(result.mainFrequencyHz, 180.0, 0.001);
    EXPECT_EQ(result.frequencyText(), "180.00 Гц");
}

}  // namespace
}  // namespace tomaro
