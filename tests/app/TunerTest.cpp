#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "app/Tuner.h"
#include "settings/MemoryProfile.h"
#include "support/WavBuilder.h"

namespace tomaro {
namespace {

// A decaying tone as a mono 48 kHz file of one second.
std::string writeTone(double frequencyHz) {
    test::WavBuilder wav;
    for (int i = 0; i < 42000; ++i) {
        const double t = i / 48000.0;
        wav.samples.push_back(static_cast<std::int16_t>(
            std::lround(12000 * std::exp(-t / 0.4) * std::sin(2 * M_PI * frequencyHz * t))));
    }
    const std::string path = ::testing::TempDir() + "tomaro_tuner_tone.wav";
    test::writeFile(path, wav.bytes());
    return path;
}

TEST(Tuner, FileGoesTheWholeRoadToCaptionAndReadout) {
    MemoryProfile profile;
    Tuner tuner(profile);
    EXPECT_FALSE(tuner.hasResult());
    ASSERT_TRUE(tuner.loadFile(writeTone(146.83)).ok);

    PaintStep step = tuner.paintStep();
    EXPECT_TRUE(step.analysed);
    EXPECT_EQ(step.caption, "Tomaro1.6 - идет обработка удара");
    ASSERT_TRUE(tuner.hasResult());
    EXPECT_NEAR(tuner.mainFrequencyHz(), 146.83, 0.05);
    EXPECT_EQ(tuner.record().lastFrequencyText, "146.83 Гц");
    EXPECT_EQ(tuner.paintStep().caption, "Tomaro1.6 146.83 Гц - НЕТ АУДИО");
    ASSERT_FALSE(tuner.readout().lines().empty());
    EXPECT_EQ(tuner.readout().lines().front().text.rfind("146.8 Гц", 0), 0u);
}

TEST(Tuner, StretchChangesAnalyseAgainOnlyOnceAStrikeExists) {
    MemoryProfile profile;
    Tuner tuner(profile);
    tuner.stretch().spinLength(1);
    tuner.requestAnalysis();
    EXPECT_FALSE(tuner.paintStep().analysed);

    ASSERT_TRUE(tuner.loadFile(writeTone(200.0)).ok);
    tuner.paintStep();
    tuner.stretch().spinDelay(2);
    tuner.requestAnalysis();
    EXPECT_TRUE(tuner.paintStep().analysed);
    EXPECT_NEAR(tuner.mainFrequencyHz(), 200.0, 0.1);
}

TEST(Tuner, RecordingCutShortByClosingTheDeviceKeepsThePreviousStrike) {
    MemoryProfile profile;
    Tuner tuner(profile);
    ASSERT_TRUE(tuner.loadFile(writeTone(146.83)).ok);
    tuner.paintStep();
    const double before = tuner.mainFrequencyHz();

    // A live strike starts over the file's samples, then the device goes away.
    tuner.recorder().deviceOpened();
    std::vector<std::int16_t> loud(2 * 20000, 25000);
    tuner.recorder().bufferDone(loud.data(), 20000);
    ASSERT_TRUE(tuner.recorder().recording());
    tuner.recorder().deviceClosed();

    tuner.requestAnalysis();
    EXPECT_TRUE(tuner.paintStep().analysed);
    EXPECT_DOUBLE_EQ(tuner.mainFrequencyHz(), before);
}

TEST(Tuner, TheDrawnCopyOfALongFileFollowsTheFileWhenItIsCutShort) {
    MemoryProfile profile;
    Tuner tuner(profile);
    test::WavBuilder wav;
    wav.samples.assign(60000, 100);
    const std::string path = ::testing::TempDir() + "tomaro_tuner_long.wav";
    test::writeFile(path, wav.bytes());
    ASSERT_TRUE(tuner.loadFile(path).ok);
    tuner.paintStep();
    ASSERT_EQ(tuner.shownStrike().source().frameCount, 60000);
    ASSERT_EQ(::truncate(path.c_str(), 44 + 2 * 500), 0);
    EXPECT_EQ(tuner.shownStrike().source().frameCount, 500);
    EXPECT_EQ(tuner.record().source().frameCount, 500);
}

TEST(Tuner, SettingsAreReadAtStartAndStoredOnChange) {
    MemoryProfile profile;
    profile.writeInt("CMainDlg", "m_Porog", 1234);
    profile.writeInt("CMainDlg", "m_GarmTransVar", 1);
    Tuner tuner(profile);
    EXPECT_EQ(tuner.recorder().threshold(), 1234);
    EXPECT_TRUE(tuner.overtoneTransfer());
    tuner.setThreshold(4000);
    tuner.setOvertoneTransfer(false);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 0), 4000);
    EXPECT_EQ(tuner.recorder().threshold(), 4000);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_GarmTransVar", -1), 0);
}

}  // namespace
}  // namespace tomaro
