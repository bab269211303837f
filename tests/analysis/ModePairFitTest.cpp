#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "TestSignals.h"
#include "analysis/ModePairFit.h"
#include "audio/StrikeRecord.h"

namespace tomaro {
namespace {

using testing::kTwoPi;

double cents(double a, double b) { return 1200.0 * std::log2(a / b); }

struct Partial {
    double frequencyHz;
    double amplitude;  // 16-bit units
    double tauSec;
};

// A tap: decaying partials, a stick click in the first 2 ms and white noise of `noiseRms`, all
// from fixed seeds.
std::vector<std::int16_t> tap(double rateHz, const std::vector<Partial>& partials, double noiseRms,
                              unsigned seed, bool click = true, double seconds = 1.0) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, kTwoPi);
    std::vector<double> phases;
    for (std::size_t i = 0; i < partials.size(); ++i) phases.push_back(phase(random));
    std::normal_distribution<double> noise(0.0, 1.0);
    const int count = static_cast<int>(seconds * rateHz);
    std::vector<std::int16_t> samples(count);
    for (int n = 0; n < count; ++n) {
        const double t = n / rateHz;
        double value = noiseRms * noise(random);
        for (std::size_t i = 0; i < partials.size(); ++i) {
            const Partial& p = partials[i];
            value += p.amplitude * std::exp(-t / p.tauSec) *
                     std::cos(kTwoPi * p.frequencyHz * t + phases[i]);
        }
        if (click && t < 0.002) value += 20000.0 * std::exp(-t / 0.0004) * noise(random);
        samples[n] = testing::toSample(value);
    }
    return samples;
}

// The neighbour modes around a pair at `f`: below and above the band, the lower one louder than
// the pair.
void addNeighbours(std::vector<Partial>& partials, double f, double amplitude) {
    partials.push_back({0.66 * f, 1.5 * amplitude, 0.3});
    partials.push_back({1.34 * f, 0.8 * amplitude, 0.25});
    partials.push_back({1.44 * f, 1.2 * amplitude, 0.2});
}

struct PairCase {
    double lowHz;
    double splitCents;
    double ratioDb;  // the weaker member's level against the stronger
    double snrDb;    // the stronger member's initial amplitude over the noise RMS
    double tauLo, tauHi;
    bool weakerHigh;  // which member is the weaker
};

std::vector<PairCase> pairCases() {
    std::vector<PairCase> cases;
    const double lows[] = {163.0, 237.0, 311.0, 389.0};
    const double splits[] = {10.0, 20.0, 50.0};
    int i = 0;
    for (double low : lows) {
        for (double split : splits) {
            // Every member at least 20 dB above the noise.
            for (double snr : {40.0, 25.0}) {
                const double ratios40[] = {0.0, -6.0, -12.0};
                const double ratios25[] = {0.0, -5.0};
                const double* ratios = snr > 30.0 ? ratios40 : ratios25;
                const int ratioCount = snr > 30.0 ? 3 : 2;
                for (int r = 0; r < ratioCount; ++r) {
                    const double tauLo = 0.2 + 0.1 * (i % 5);
                    const double tauHi = 0.6 - 0.1 * ((i + 2) % 5);
                    cases.push_back({low, split, ratios[r], snr, tauLo, tauHi, (i % 2) == 0});
                    ++i;
                }
            }
        }
    }
    return cases;
}

struct Worst {
    double member = 0.0, split = 0.0, level = 0.0, decay = 0.0;
};

void checkPair(const PairCase& c, double rateHz, unsigned seed, Worst& worst) {
    const double highHz = c.lowHz * std::exp2(c.splitCents / 1200.0);
    const double strong = 8000.0;
    const double weak = strong * std::pow(10.0, c.ratioDb / 20.0);
    const double loAmp = c.weakerHigh ? strong : weak, hiAmp = c.weakerHigh ? weak : strong;
    std::vector<Partial> partials{{c.lowHz, loAmp, c.tauLo}, {highHz, hiAmp, c.tauHi}};
    addNeighbours(partials, c.lowHz, strong);
    const auto samples = tap(rateHz, partials, strong * std::pow(10.0, -c.snrDb / 20.0), seed);
    const double mean = std::sqrt(c.lowHz * highHz);

    ModePairFit fit;
    const ModePair& pair = fit.fit(testing::sourceOf(samples), rateHz, 0,
                                   static_cast<int>(samples.size()), 0.92 * mean, 1.08 * mean);
    SCOPED_TRACE(::testing::Message()
                 << c.lowHz << " Hz, " << c.splitCents << " cents, " << c.ratioDb << " dB, SNR "
                 << c.snrDb << " dB, tau " << c.tauLo << "/" << c.tauHi << " s at " << rateHz);
    ASSERT_EQ(pair.count, 2);
    const double errLo = cents(pair.lo.frequencyHz, c.lowHz);
    const double errHi = cents(pair.hi.frequencyHz, highHz);
    const double errSplit = pair.splitCents() - c.splitCents;
    EXPECT_NEAR(errLo, 0.0, 2.0);
    EXPECT_NEAR(errHi, 0.0, 2.0);
    EXPECT_NEAR(errSplit, 0.0, 2.0);
    // Levels and decays as a user comparing the two members would read them.
    const double levelLo = 20.0 * std::log10(loAmp / 32768.0);
    const double levelHi = 20.0 * std::log10(hiAmp / 32768.0);
    EXPECT_NEAR(pair.lo.levelDb, levelLo, 2.0);
    EXPECT_NEAR(pair.hi.levelDb, levelHi, 2.0);
    EXPECT_NEAR(pair.lo.decayPerSec * c.tauLo, 1.0, 0.2);
    EXPECT_NEAR(pair.hi.decayPerSec * c.tauHi, 1.0, 0.2);
    EXPECT_GT(pair.lo.snrDb, ModePairFit::kMinSnrDb);
    EXPECT_GT(pair.hi.snrDb, ModePairFit::kMinSnrDb);
    worst.member = std::max({worst.member, std::fabs(errLo), std::fabs(errHi)});
    worst.split = std::max(worst.split, std::fabs(errSplit));
    worst.level = std::max(
        {worst.level, std::fabs(pair.lo.levelDb - levelLo), std::fabs(pair.hi.levelDb - levelHi)});
    worst.decay = std::max({worst.decay, std::fabs(pair.lo.decayPerSec * c.tauLo - 1.0),
                            std::fabs(pair.hi.decayPerSec * c.tauHi - 1.0)});
}

TEST(ModePairFit, ResolvesSplitPairsAmongNeighboursAndClick) {
    Worst worst;
    unsigned seed = 100;
    for (const PairCase& c : pairCases()) checkPair(c, 48000.0, seed++, worst);
    std::printf("worst: member %.3f cents, split %.3f cents, level %.2f dB, decay %.1f %%\n",
                worst.member, worst.split, worst.level, 100.0 * worst.decay);
}

TEST(ModePairFit, ResolvesPairsAt44100) {
    Worst worst;
    checkPair({203.0, 10.0, -6.0, 40.0, 0.3, 0.5, true}, 44100.0, 7, worst);
    checkPair({331.0, 20.0, -5.0, 25.0, 0.5, 0.2, false}, 44100.0, 8, worst);
    std::printf("worst at 44100: member %.3f cents, split %.3f cents\n", worst.member, worst.split);
}

TEST(ModePairFit, LoneMemberIsOne) {
    double worst = 0.0;
    unsigned seed = 300;
    for (double f : {157.0, 251.0, 397.0}) {
        for (double otherDb : {-40.0, -200.0}) {
            for (double snr : {40.0, 25.0}) {
                const double strong = 8000.0;
                std::vector<Partial> partials{{f, strong, 0.4}};
                if (otherDb > -100.0) {
                    partials.push_back({f * std::exp2(20.0 / 1200.0),
                                        strong * std::pow(10.0, otherDb / 20.0), 0.3});
                }
                addNeighbours(partials, f, strong);
                const auto samples =
                    tap(48000.0, partials, strong * std::pow(10.0, -snr / 20.0), seed++);
                ModePairFit fit;
                const ModePair& pair =
                    fit.fit(testing::sourceOf(samples), 48000.0, 0,
                            static_cast<int>(samples.size()), 0.92 * f, 1.08 * f);
                SCOPED_TRACE(::testing::Message()
                             << f << " Hz, other " << otherDb << " dB, SNR " << snr);
                ASSERT_EQ(pair.count, 1);
                EXPECT_NEAR(cents(pair.lo.frequencyHz, f), 0.0, 1.0);
                EXPECT_EQ(pair.hi.frequencyHz, pair.lo.frequencyHz);
                EXPECT_NEAR(pair.meanHz(), f, f * 1e-3);
                EXPECT_EQ(pair.splitCents(), 0.0);
                worst = std::max(worst, std::fabs(cents(pair.lo.frequencyHz, f)));
            }
        }
    }
    std::printf("worst lone member: %.3f cents\n", worst);
}

TEST(ModePairFit, PairThreeCentsApartIsOne) {
    unsigned seed = 400;
    for (double f : {181.0, 293.0}) {
        const double strong = 8000.0;
        std::vector<Partial> partials{{f, strong, 0.4},
                                      {f * std::exp2(3.0 / 1200.0), 0.7 * strong, 0.3}};
        addNeighbours(partials, f, strong);
        const auto samples = tap(48000.0, partials, strong * 0.01, seed++);
        ModePairFit fit;
        const ModePair& pair = fit.fit(testing::sourceOf(samples), 48000.0, 0,
                                       static_cast<int>(samples.size()), 0.92 * f, 1.08 * f);
        SCOPED_TRACE(f);
        ASSERT_EQ(pair.count, 1);
        // One pole for two that beat slower than the data lasts lands near them, not between.
        EXPECT_NEAR(cents(pair.lo.frequencyHz, f), 1.5, 5.0);
    }
}

TEST(ModePairFit, SilenceOrNoiseOrNothingUsableGivesNoMember) {
    ModePairFit fit;
    const std::vector<std::int16_t> silence(48000, 0);
    const SampleSource quiet = testing::sourceOf(silence);
    EXPECT_EQ(fit.fit(quiet, 48000.0, 0, 48000, 280.0, 320.0).count, 0);
    EXPECT_EQ(fit.result().noiseDb, -200.0);

    unsigned seed = 500;
    for (double rms : {3.0, 300.0}) {
        for (double f : {150.0, 300.0, 1200.0}) {
            // Noise alone, then noise with neighbours outside the band only.
            for (bool neighbours : {false, true}) {
                std::vector<Partial> partials;
                if (neighbours) addNeighbours(partials, f, 3000.0);
                const auto samples = tap(48000.0, partials, rms, seed++, neighbours);
                const ModePair& pair =
                    fit.fit(testing::sourceOf(samples), 48000.0, 0, 48000, 0.9 * f, 1.1 * f);
                SCOPED_TRACE(::testing::Message()
                             << rms << " RMS at " << f << " Hz, neighbours " << neighbours);
                EXPECT_EQ(pair.count, 0);
                EXPECT_TRUE(std::isfinite(pair.noiseDb));
                EXPECT_GT(pair.noiseDb, -200.0);
            }
        }
    }

    // A tone, but nothing usable asked of it (no rate, no band, a band up to the top, 0.1 s of the
    // tap or none): no reading and nothing that is not a number.
    const auto tone = tap(48000.0, {{300.0, 8000.0, 0.4}}, 10.0, 9);
    const SampleSource source = testing::sourceOf(tone);
    const double nan = std::nan("");
    for (const ModePair& pair : {fit.fit(source, 0.0, 0, 48000, 280.0, 320.0),
                                 fit.fit(source, nan, 0, 48000, 280.0, 320.0),
                                 fit.fit(source, 48000.0, 0, 48000, 320.0, 280.0),
                                 fit.fit(source, 48000.0, 0, 48000, nan, 320.0),
                                 fit.fit(source, 48000.0, 0, 48000, 280.0, 30000.0),
                                 fit.fit(source, 48000.0, 0, 600, 280.0, 320.0),
                                 fit.fit(source, 48000.0, 0, 4800, 280.0, 320.0),
                                 fit.fit(source, 48000.0, 47000, 96000, 280.0, 320.0),
                                 fit.fit(source, 48000.0, -100, -5, 280.0, 320.0)}) {
        EXPECT_EQ(pair.count, 0);
        EXPECT_EQ(pair.meanHz(), 0.0);
        EXPECT_FALSE(std::isnan(pair.noiseDb));
    }
    // The same tone read properly is one member.
    EXPECT_EQ(fit.fit(source, 48000.0, 0, 48000, 280.0, 320.0).count, 1);
}

}  // namespace
}  // namespace tomaro
