#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "audio/StrikeRecord.h"
#include "settings/MemoryProfile.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "tuning/Tuner.h"

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
    const std::string path = test::runFolder().file("tomaro_tuner_tone.wav");
    test::writeFile(path, wav.bytes());
    return path;
}

// A file of `seconds` whose strike (a decaying 110 Hz tone) comes at `hitSec`, after a quiet hum
// at 216 Hz below the threshold: what a recording started early looks like.
std::string writeLateHit(const std::string& name, double seconds, double hitSec,
                         double amplitude = 12000) {
    test::WavBuilder wav;
    const int frames = static_cast<int>(seconds * 48000);
    for (int i = 0; i < frames; ++i) {
        const double t = i / 48000.0;
        double value = 800 * std::sin(2 * M_PI * 216.3 * t);
        if (t >= hitSec) {
            const double s = t - hitSec;
            value += amplitude * std::exp(-s / 0.3) * std::sin(2 * M_PI * 110.0 * s);
        }
        wav.samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    const std::string path = test::runFolder().file(name);
    test::writeFile(path, wav.bytes());
    return path;
}

std::string writeSilence() {
    test::WavBuilder wav;
    wav.samples.assign(30000, 0);
    const std::string path = test::runFolder().file("tomaro_tuner_silence.wav");
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
    const std::string path = test::runFolder().file("tomaro_tuner_long.wav");
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

TEST(Tuner, ALongFileIsMeasuredFromItsHitNotFromTheNoiseBefore) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const WavLoadResult load = tuner.loadFile(writeLateHit("tomaro_late_2s.wav", 2.0, 0.6));
    ASSERT_TRUE(load.ok && load.direct);
    // The hum stays below the threshold; the strike's sine rises above it within 30 samples.
    EXPECT_NEAR(load.frontFrame, 28800, 30);
    EXPECT_EQ(tuner.record().startIndex, load.frontFrame);
    EXPECT_EQ(tuner.stretch().start(), load.frontFrame + 2400);
    tuner.paintStep();
    EXPECT_NEAR(tuner.mainFrequencyHz(), 110.0, 0.5);
    EXPECT_EQ(tuner.quality().verdict, Verdict::Good);
    // The pitch track starts at the hit.
    ASSERT_FALSE(tuner.pitchTrack().points().empty());
    EXPECT_NEAR(tuner.pitchTrack().points()[0].frequencyHz, 110.0, 1.0);
}

TEST(Tuner, ACopiedFileIsMeasuredFromItsHitBehindTheLeadIn) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const WavLoadResult load = tuner.loadFile(writeLateHit("tomaro_late_08s.wav", 0.8, 0.3));
    ASSERT_TRUE(load.ok);
    ASSERT_FALSE(load.direct);
    EXPECT_EQ(tuner.record().startIndex, kLeadInLength + load.frontFrame);
    EXPECT_NEAR(load.frontFrame, 14400, 30);
    tuner.paintStep();
    EXPECT_NEAR(tuner.mainFrequencyHz(), 110.0, 0.5);
}

TEST(Tuner, FilesThatStartWithTheirHitKeepTheUsualFront) {
    MemoryProfile profile;
    Tuner tuner(profile);
    // The hit within the first 6000 frames (the live lead-in): nothing moves.
    ASSERT_TRUE(tuner.loadFile(writeLateHit("tomaro_early_copy.wav", 0.8, 0.1)).ok);
    EXPECT_EQ(tuner.record().startIndex, kLeadInLength);
    ASSERT_TRUE(tuner.loadFile(writeLateHit("tomaro_early_direct.wav", 2.0, 0.12)).ok);
    EXPECT_EQ(tuner.record().startIndex, 0);
    EXPECT_TRUE(tuner.record().frontFound);

    // Nothing above the threshold: the usual front, and the reading says so.
    ASSERT_TRUE(tuner.loadFile(writeLateHit("tomaro_quiet.wav", 2.0, 0.6, 2000)).ok);
    EXPECT_EQ(tuner.record().startIndex, 0);
    EXPECT_FALSE(tuner.record().frontFound);
    tuner.paintStep();
    EXPECT_TRUE(tuner.quality().has(QualityReason::NoStrike));
    EXPECT_NE(tuner.quality().verdict, Verdict::Rejected);
}

TEST(Tuner, RejectedStrikesNeverJoinTheSeriesAndTheLastGoodReadingStays) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const std::string tone = writeTone(110.0);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(tuner.loadFile(tone).ok);
        tuner.paintStep();
    }
    EXPECT_EQ(tuner.series().state().count, 2);
    ASSERT_TRUE(tuner.loadFile(writeSilence()).ok);
    tuner.paintStep();
    EXPECT_EQ(tuner.quality().verdict, Verdict::Rejected);
    EXPECT_TRUE(tuner.quality().has(QualityReason::NoTone));
    EXPECT_EQ(tuner.series().state().count, 2);
    EXPECT_NEAR(tuner.lastAcceptedHz(), 110.0, 0.1);
    // The read-out of the strike itself stays as it always was.
    EXPECT_EQ(tuner.record().lastFrequencyText, "29.30 Гц");
    EXPECT_TRUE(tuner.pitchTrack().points().empty());

    ASSERT_TRUE(tuner.loadFile(tone).ok);
    tuner.paintStep();
    EXPECT_EQ(tuner.series().state().count, 3);
    EXPECT_TRUE(tuner.series().state().stable);
}

TEST(Tuner, AnalysingTheSameStrikeAgainReplacesItsPlaceInTheSeries) {
    MemoryProfile profile;
    Tuner tuner(profile);
    ASSERT_TRUE(tuner.loadFile(writeTone(110.0)).ok);
    tuner.paintStep();
    tuner.stretch().spinDelay(1);
    tuner.requestAnalysis();
    tuner.paintStep();
    EXPECT_EQ(tuner.series().state().count, 1);

    // Cleared: the strike shown does not come back by a new pass; the next strike begins.
    tuner.clearSeries();
    tuner.requestAnalysis();
    tuner.paintStep();
    EXPECT_EQ(tuner.series().state().count, 0);
    ASSERT_TRUE(tuner.loadFile(writeTone(110.0)).ok);
    tuner.paintStep();
    EXPECT_EQ(tuner.series().state().count, 1);
    EXPECT_TRUE(tuner.series().state().startedNew);

    // Another kit: the series of the old one goes.
    tuner.reloadKit();
    EXPECT_EQ(tuner.series().state().count, 0);
}

}  // namespace
}  // namespace tomaro
