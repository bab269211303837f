#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "settings/MemoryProfile.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "tuning/LugTuning.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

// The 12" tom's batter target: 1.5 x its note (116.54 Hz).
constexpr double kTargetHz = 1.5 * 116.54094037952248;

// A rod tap of 0.9 s at 48 kHz: one decaying mode at `hz`, peak `amplitude`, with white noise of
// `noiseRms` (a fixed seed, so every run reads the same).
std::string writeTap(const std::string& name, double hz, double amplitude = 9000.0,
                     double noiseRms = 0.0) {
    test::WavBuilder wav;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int i = 0; i < 42000; ++i) {
        const double t = i / 48000.0;
        const double value =
            amplitude * std::exp(-t / 0.4) * std::sin(2 * M_PI * hz * t) + noiseRms * noise(random);
        wav.samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    const std::string path = test::runFolder().file(name);
    test::writeFile(path, wav.bytes());
    return path;
}

// A Tuner in lug mode on the 12" tom's batter head: 6 rods tapped clockwise, its (1,1) band
// around the kit's target.
class LugTuningTest : public ::testing::Test {
protected:
    LugTuningTest() {
        m_Profile.writeInt("CDlgBaraSelect", "Bara_8", 1);
        m_Profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 1500);
        m_Tuner.reloadKit();
        m_Tuner.setTunedDrum(0);
        m_Tuner.setLugMode(true);
        m_Tuner.setLugOrder(LugOrder::Clockwise);
        m_Tuner.setLugCount(6);
    }

    LugTapVerdict tap(const std::string& path) {
        EXPECT_TRUE(m_Tuner.loadFile(path).ok);
        m_Tuner.paintStep();
        return m_Tuner.lugTuning().tapVerdict();
    }

    MemoryProfile m_Profile;
    Tuner m_Tuner{m_Profile};
};

TEST_F(LugTuningTest, AClearToneInTheRodsBandIsGoodForThatRod) {
    ASSERT_NEAR(m_Tuner.lugs().targetHz(), kTargetHz, 0.01);
    const LugTapVerdict verdict = tap(writeTap("tomaro_lugtuning_clear.wav", kTargetHz));
    EXPECT_TRUE(verdict.judged);
    EXPECT_EQ(verdict.verdict, Verdict::Good);
    EXPECT_EQ(verdict.rod, 1);
    EXPECT_EQ(verdict.reasons, 0u);
    EXPECT_TRUE(verdict.levelKnown);
    EXPECT_GT(verdict.snrDb, LugTapVerdict::kGoodSnrDb);
}

TEST_F(LugTuningTest, ATapStandingLowOverTheBandsNoiseIsDoubtful) {
    // Noise 2.5 times the tone's peak over the whole spectrum: in the narrow band the member
    // stands less than 20 dB over it, though the strike itself is accepted.
    const LugTapVerdict verdict =
        tap(writeTap("tomaro_lugtuning_weak.wav", kTargetHz, 1000.0, 2500.0));
    ASSERT_TRUE(m_Tuner.quality().accepted());
    EXPECT_TRUE(verdict.judged);
    EXPECT_EQ(verdict.verdict, Verdict::Doubtful);
    EXPECT_TRUE(verdict.has(LugTapVerdict::Reason::WeakInBand));
    EXPECT_LT(verdict.snrDb, LugTapVerdict::kGoodSnrDb);
}

TEST_F(LugTuningTest, ATapWithNoToneInTheBandIsRejectedWhateverTheStrikesOwnQuality) {
    const LugTapVerdict verdict = tap(writeTap("tomaro_lugtuning_high.wav", 240.0));
    ASSERT_TRUE(m_Tuner.quality().accepted());
    EXPECT_EQ(verdict.verdict, Verdict::Rejected);
    EXPECT_TRUE(verdict.has(LugTapVerdict::Reason::NoToneInBand));
    EXPECT_EQ(verdict.rod, 1);
    EXPECT_EQ(m_Tuner.lugs().measuredCount(), 0);
}

TEST_F(LugTuningTest, AStrikeThatWentToNoRodIsNotJudgedForOne) {
    tap(writeTap("tomaro_lugtuning_first.wav", kTargetHz));
    m_Tuner.lugTuning().setTapsEnabled(false);
    EXPECT_FALSE(tap(writeTap("tomaro_lugtuning_paused.wav", 240.0)).judged);
    m_Tuner.lugTuning().setTapsEnabled(true);
    m_Tuner.lugTuning().requestCentreStrike();
    EXPECT_FALSE(tap(writeTap("tomaro_lugtuning_centre.wav", kTargetHz / 1.5)).judged);
}

TEST_F(LugTuningTest, TheSeriesHoldsTheTapsOfOneRodOnly) {
    tap(writeTap("tomaro_lugtuning_rod1.wav", kTargetHz));
    EXPECT_EQ(m_Tuner.series().state().count, 1);
    // Rod 1 again: the series goes on.
    m_Tuner.selectLug(1);
    tap(writeTap("tomaro_lugtuning_rod1_again.wav", kTargetHz * 1.001));
    EXPECT_EQ(m_Tuner.series().state().count, 2);
    // Rod 2, 30 cents sharp: a series of its own, never "stable" across two rods.
    ASSERT_EQ(m_Tuner.lugs().selected(), 2);
    tap(writeTap("tomaro_lugtuning_rod2.wav", kTargetHz * std::exp2(30.0 / 1200)));
    EXPECT_EQ(m_Tuner.series().state().count, 1);
    EXPECT_NEAR(m_Tuner.series().state().medianHz, m_Tuner.lugs().readingHz(2), 0.5);
}

}  // namespace
}  // namespace tomaro
