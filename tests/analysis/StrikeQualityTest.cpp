// Each reason of the quality comes from a synthetic strike built to cause it; a clean tom with a
// real tom's glide reads good.

#include <gtest/gtest.h>

#include <cmath>

#include "TestSignals.h"
#include "analysis/PitchTrack.h"
#include "analysis/StrikeQuality.h"

namespace tomaro {
namespace {

using testing::decayingTone;
using testing::kTwoPi;
using testing::withNoise;

constexpr double kRate = 48000.0;
// The default stretch: 0.05 s after the front, 0.4 s long.
constexpr int kStart = kLeadInLength + 2400;
constexpr int kEnd = kStart + 19200;

// A tone whose pitch falls exponentially from startHz towards endHz (time constant tauGlide),
// decaying with tau: a tom's glide after the hit.
std::function<double(double)> glidingTone(double startHz, double endHz, double glideTauSec,
                                          double tauSec, double amplitude) {
    return [=](double t) {
        // Phase is the integral of the instantaneous frequency.
        const double phase =
            endHz * t + (startHz - endHz) * glideTauSec * (1.0 - std::exp(-t / glideTauSec));
        return amplitude * std::exp(-t / tauSec) * std::cos(kTwoPi * phase);
    };
}

class Quality : public ::testing::Test {
protected:
    const QualityReport& judge(const std::function<double(double)>& strike,
                               Analyzer::Params params = {}, bool frontFound = true) {
        testing::fillStrike(m_Record, kRate, strike);
        m_Analyzer.analyze(m_Record.source(), kRate, kStart, kEnd, params);
        return m_Quality.evaluate(m_Analyzer, m_Record.source(), kLeadInLength, frontFound, params);
    }
    static bool only(const QualityReport& report, std::initializer_list<QualityReason> reasons) {
        unsigned bits = 0;
        for (QualityReason reason : reasons) bits |= 1u << static_cast<int>(reason);
        return report.reasons == bits;
    }

    StrikeRecord m_Record;
    Analyzer m_Analyzer;
    StrikeQuality m_Quality;
};

TEST_F(Quality, CleanTomWithARealTomsGlideReadsGood) {
    // 90 cents down over the stretch (0.05..0.45 s), settling later, with room noise.
    const double endHz = 110.0;
    const double startHz = endHz * std::pow(2.0, 90.0 / 1200.0) * 1.02;
    const QualityReport& r = judge(withNoise(glidingTone(startHz, endHz, 0.2, 0.35, 12000), 40, 3));
    EXPECT_EQ(r.verdict, Verdict::Good) << r.reasons;
    EXPECT_LT(r.glideCents, -20.0);
    EXPECT_GT(r.glideCents, -100.0);
    EXPECT_NEAR(r.decaySec, 0.35, 0.05);
    EXPECT_GT(r.fitSnrDb, 5.0);
    EXPECT_NEAR(r.levelDb, 20 * std::log10(12000 / 32768.0), 0.2);
    EXPECT_EQ(r.clippedInStretch + r.clippedBefore, 0);
}

TEST_F(Quality, SilenceAndPureNoiseHaveNoTone) {
    const QualityReport& silent = judge([](double) { return 0.0; });
    EXPECT_EQ(silent.verdict, Verdict::Rejected);
    EXPECT_TRUE(only(silent, {QualityReason::NoTone}));
    EXPECT_NEAR(silent.levelDb, -96.3, 0.1);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const QualityReport& noise = judge(withNoise([](double) { return 0.0; }, 3000, seed));
        EXPECT_EQ(noise.verdict, Verdict::Rejected);
        EXPECT_TRUE(only(noise, {QualityReason::NoTone})) << noise.reasons;
    }
}

TEST_F(Quality, APickedFrequencyInAnEmptyPartOfTheSpectrumHasNoTone) {
    m_Analyzer.pickFrequency(1000.0);
    const QualityReport& r = judge(withNoise(decayingTone(110.0, 0.3, 10000), 30, 4));
    EXPECT_GT(m_Analyzer.result().mainFrequencyHz, 900.0);
    EXPECT_TRUE(r.has(QualityReason::NoTone));
    EXPECT_EQ(r.verdict, Verdict::Rejected);
}

TEST_F(Quality, ClippingInsideTheStretchRejectsInTheAttackOnlyCounts) {
    const QualityReport& loud = judge(decayingTone(110.0, 0.5, 60000));
    EXPECT_GT(loud.clippedInStretch, 100);
    EXPECT_EQ(loud.verdict, Verdict::Rejected);
    EXPECT_TRUE(only(loud, {QualityReason::Clipped}));

    // Full scale only in the first 20 ms: the attack, before the stretch.
    const QualityReport& attack = judge([](double t) {
        return (t < 0.02 ? 90000.0 : 10000.0) * std::exp(-t / 0.3) * std::cos(kTwoPi * 110 * t);
    });
    EXPECT_EQ(attack.clippedInStretch, 0);
    EXPECT_GT(attack.clippedBefore, 10);
    EXPECT_EQ(attack.verdict, Verdict::Good);
    EXPECT_NEAR(attack.levelDb, 0.0, 0.01);
}

TEST_F(Quality, TwoNearlyEqualPartialsNameTheRival) {
    const QualityReport& r = judge([](double t) {
        return std::exp(-t / 0.3) *
               (8000 * std::cos(kTwoPi * 100 * t) + 7500 * std::cos(kTwoPi * 150 * t + 1));
    });
    EXPECT_EQ(r.verdict, Verdict::Doubtful);
    EXPECT_TRUE(r.has(QualityReason::Rival));
    EXPECT_NEAR(r.rivalHz, 150.0, 1.0);
    EXPECT_LT(r.rivalDb, 0.0);
    EXPECT_GT(r.rivalDb, -3.0);

    // The same overtone 10 dB down is reported but does not doubt the reading.
    const QualityReport& weak = judge([](double t) {
        return std::exp(-t / 0.3) *
               (8000 * std::cos(kTwoPi * 100 * t) + 2530 * std::cos(kTwoPi * 150 * t + 1));
    });
    EXPECT_NEAR(weak.rivalDb, -10.0, 0.5);
    EXPECT_EQ(weak.verdict, Verdict::Good);
}

TEST_F(Quality, AStrongPeakAtHalfTheFrequencyWarnsOfAnOvertone) {
    // The search range starts above the fundamental, so the reading is its octave.
    Analyzer::Params params;
    params.findF0Hz = 150;
    const QualityReport& r = judge(
        [](double t) {
            return std::exp(-t / 0.3) *
                   (6000 * std::cos(kTwoPi * 100 * t) + 8000 * std::cos(kTwoPi * 200 * t));
        },
        params);
    EXPECT_NEAR(m_Analyzer.result().mainFrequencyHz, 200.0, 0.5);
    EXPECT_TRUE(r.has(QualityReason::Subharmonic));
    EXPECT_NEAR(r.subharmonicHz, 100.0, 1.0);
    EXPECT_EQ(r.verdict, Verdict::Doubtful);
}

TEST_F(Quality, AToneDyingWithinMillisecondsHasAShortDecay) {
    const QualityReport& r = judge(withNoise(decayingTone(180.0, 0.015, 30000), 2, 5));
    EXPECT_TRUE(r.has(QualityReason::ShortDecay)) << r.decaySec;
    EXPECT_LT(r.decaySec, 0.03);
    EXPECT_EQ(r.verdict, Verdict::Doubtful);

    // Without decay accounting there is no decay to judge.
    Analyzer::Params noDecay;
    noDecay.decay = false;
    EXPECT_TRUE(std::isinf(judge(decayingTone(180.0, 0.015, 30000), noDecay).decaySec));
}

TEST_F(Quality, APitchThatKeepsFallingIsAGlide) {
    // 4 semitones down between the halves: a drum whose pitch never settles.
    const QualityReport& r = judge(glidingTone(160.0, 100.0, 0.4, 0.4, 12000));
    EXPECT_TRUE(r.has(QualityReason::Glide));
    EXPECT_LT(r.glideCents, -100.0);
    EXPECT_EQ(r.verdict, Verdict::Doubtful);
}

TEST_F(Quality, GlideIsMeasuredBetweenTheHalvesOfTheStretch) {
    // A linear sweep 100 -> 106 Hz over the stretch: the halves' centres are 0.2 s apart, 3 Hz.
    const double t0 = (kStart - kLeadInLength) / kRate;
    const QualityReport& r = judge([t0](double t) {
        const double rate = 6.0 / 0.4;  // Hz per second
        return 10000 * std::cos(kTwoPi * (100 * (t - t0) + rate * (t - t0) * (t - t0) / 2));
    });
    const double expected = 1200 * std::log2(104.5 / 101.5);
    EXPECT_NEAR(r.glideCents, expected, 8.0);
}

TEST_F(Quality, ToneBuriedInBroadbandNoiseHasALowSnr) {
    // The tone stands out of the spectrum, but the fit explains little of the stretch.
    const QualityReport& r = judge(withNoise(decayingTone(110.0, 1.0, 1500), 6000, 6));
    EXPECT_FALSE(r.has(QualityReason::NoTone)) << r.toneProminenceDb;
    EXPECT_EQ(r.clippedInStretch, 0);
    EXPECT_TRUE(r.has(QualityReason::LowSnr)) << r.fitSnrDb;
    EXPECT_EQ(r.verdict, Verdict::Doubtful);
}

TEST_F(Quality, NoSampleAboveTheThresholdIsDoubtfulAtWorst) {
    const auto quiet = withNoise(decayingTone(110.0, 0.3, 2000), 5, 7);
    const QualityReport& r = judge(quiet, {}, false);
    EXPECT_TRUE(only(r, {QualityReason::NoStrike}));
    EXPECT_EQ(r.verdict, Verdict::Doubtful);
    EXPECT_EQ(judge([](double) { return 0.0; }, {}, false).verdict, Verdict::Rejected);
}

TEST_F(Quality, ReasonCodesAreStable) {
    const char* codes[] = {"no_tone",     "clipped", "rival",   "subharmonic",
                           "short_decay", "glide",   "low_snr", "no_strike"};
    for (int i = 0; i < kQualityReasonCount; ++i) {
        EXPECT_EQ(reasonCode(static_cast<QualityReason>(i)), codes[i]);
    }
}

TEST(PitchTrack, FollowsAGlideFromTheFrontAndSettles) {
    StrikeRecord record;
    testing::fillStrike(record, kRate, glidingTone(120.0, 100.0, 0.1, 0.4, 12000));
    PitchTrack track;
    track.compute(record.source(), kRate, kLeadInLength, 104.0, 1);
    const auto points = track.points();
    ASSERT_GE(points.size(), 80u);
    EXPECT_NEAR(points[0].timeSec, 0.02, 1e-9);
    EXPECT_NEAR(points[1].timeSec - points[0].timeSec, 0.01, 1e-9);
    int checked = 0;
    for (const PitchPoint& point : points) {
        if (point.timeSec > 0.8) break;
        ASSERT_TRUE(point.valid) << point.timeSec;
        // Instantaneous frequency at the window's centre; the window averages a little.
        const double expected = 100.0 + 20.0 * std::exp(-point.timeSec / 0.1);
        EXPECT_NEAR(point.frequencyHz, expected, 0.8) << point.timeSec;
        ++checked;
    }
    EXPECT_GE(checked, 70);
}

TEST(PitchTrack, HighTonesAndOtherRatesAreFollowedToo) {
    // A tone far above a drum's (the fits then take every sample) and a 44.1 kHz file.
    for (const auto& [rate, hz] : {std::pair{48000.0, 3000.0}, std::pair{44100.0, 97.0}}) {
        StrikeRecord record;
        testing::fillStrike(record, rate, decayingTone(hz, 0.5, 10000));
        PitchTrack track;
        track.compute(record.source(), rate, kLeadInLength, hz * 1.01, 1);
        ASSERT_GE(track.points().size(), 50u);
        for (const PitchPoint& point : track.points()) {
            EXPECT_TRUE(point.valid);
            EXPECT_NEAR(point.frequencyHz, hz, hz * 1e-4) << rate << " " << point.timeSec;
        }
    }
}

TEST(PitchTrack, NothingWithoutAUsableSeedAndSilenceIsNotValid) {
    StrikeRecord record;
    testing::fillStrike(record, kRate, [](double) { return 0.0; });
    PitchTrack track;
    track.compute(record.source(), kRate, kLeadInLength, 0.0, 1);
    EXPECT_TRUE(track.points().empty());
    track.compute(record.source(), kRate, kLeadInLength, 100.0, 1);
    ASSERT_FALSE(track.points().empty());
    for (const PitchPoint& point : track.points()) EXPECT_FALSE(point.valid);
}

}  // namespace
}  // namespace tomaro
