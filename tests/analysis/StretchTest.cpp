#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

// A live strike: front at 6000 of 48000 samples at 48 kHz.
struct LiveStretch : ::testing::Test {
    MemoryProfile profile;
    Stretch stretch{profile};
    LiveStretch() { stretch.setStrike(6000, 48000, 48000.0); }
};

TEST_F(LiveStretch, DefaultsStartFiftyMillisecondsAfterTheFrontForFourTenths) {
    EXPECT_EQ(stretch.start(), 6000 + 2400);
    EXPECT_EQ(stretch.end(), 6000 + 21600);
    EXPECT_EQ(stretch.delayText(), "0.0500");
    EXPECT_EQ(stretch.lengthText(), "0.4000");
    EXPECT_EQ(profile.writeCount(), 0);
}

TEST_F(LiveStretch, ChangesAreStoredAsWholeMicroseconds) {
    stretch.setTimes(0.1234567, 0.2);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectPos", 0), 123456);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectDelta", 0), 200000);

    MemoryProfile stored;
    stored.writeInt("CMainDlg", "m_SelectPos", -20000);
    stored.writeInt("CMainDlg", "m_SelectDelta", 100000);
    Stretch reread(stored);
    EXPECT_DOUBLE_EQ(reread.delaySec(), -0.02);
    EXPECT_DOUBLE_EQ(reread.lengthSec(), 0.1);
}

TEST_F(LiveStretch, DefaultsComeBackAndAreStored) {
    stretch.setTimes(0.3, 0.1);
    stretch.restoreDefaults();
    EXPECT_EQ(stretch.start(), 6000 + 2400);
    EXPECT_EQ(stretch.end(), 6000 + 21600);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectPos", 0), 50000);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectDelta", 0), 400000);
}

TEST_F(LiveStretch, TimesAreClampedBeforeStoring) {
    stretch.setTimes(5000.0, 7.0);
    EXPECT_EQ(stretch.delaySec(), 2000.0);
    EXPECT_EQ(stretch.lengthSec(), 1.0);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectPos", 0), 2000000000);
    stretch.setTimes(-5000.0, 0.0);
    EXPECT_EQ(stretch.delaySec(), -2000.0);
    EXPECT_EQ(stretch.lengthSec(), 0.001);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectDelta", 0), 1000);
}

TEST_F(LiveStretch, OutOfRangeStoredValuesAreClampedOnReading) {
    MemoryProfile stored;
    stored.writeInt("CMainDlg", "m_SelectDelta", 0);
    stored.writeInt("CMainDlg", "m_SelectPos", -2147483647 - 1);
    Stretch reread(stored);
    EXPECT_EQ(reread.lengthSec(), 0.001);
    EXPECT_EQ(reread.delaySec(), -2000.0);
}

TEST_F(LiveStretch, RunningPastTheEndShiftsLeftKeepingTheLength) {
    stretch.setTimes(0.9, 0.4);
    EXPECT_EQ(stretch.end(), 48000);
    EXPECT_EQ(stretch.length(), 19200);
    EXPECT_EQ(stretch.start(), 28800);
    EXPECT_EQ(stretch.delayText(), "0.4750");
}

TEST_F(LiveStretch, StartingBeforeTheBufferShiftsRightKeepingTheLength) {
    stretch.setTimes(-1.0, 0.1);
    EXPECT_EQ(stretch.start(), 0);
    EXPECT_EQ(stretch.length(), 4800);
    EXPECT_EQ(stretch.delayText(), "-0.1250");
}

TEST_F(LiveStretch, LengthIsLimitedTo48000Samples) {
    stretch.setStrike(0, 1000000, 500000.0);
    stretch.setTimes(0.0, 1.0);
    EXPECT_EQ(stretch.start(), 0);
    EXPECT_EQ(stretch.end(), 48000);
    EXPECT_EQ(stretch.lengthText(), "0.0960");
}

TEST_F(LiveStretch, LongStretchIsCutTo48000BeforeTheStrikeLengthIsConsidered) {
    // 96000 samples asked of a 50000-sample strike: cut to 48000 first, then shifted left to end
    // at the strike's end, rather than the whole strike being taken and then cut.
    stretch.setStrike(0, 50000, 96000.0);
    stretch.setTimes(0.1, 1.0);
    EXPECT_EQ(stretch.start(), 2000);
    EXPECT_EQ(stretch.end(), 50000);
}

TEST_F(LiveStretch, NeverShorterThanThreeSamples) {
    stretch.setStrike(0, 100000, 1000.0);
    stretch.setTimes(0.01, 0.001);
    EXPECT_EQ(stretch.start(), 10);
    EXPECT_EQ(stretch.end(), 13);
}

TEST_F(LiveStretch, AShortStrikeIsTakenWhole) {
    stretch.setStrike(0, 1000, 48000.0);
    EXPECT_EQ(stretch.start(), 0);
    EXPECT_EQ(stretch.end(), 1000);
}

TEST_F(LiveStretch, NeverReachesPastAStrikeShorterThanThreeSamples) {
    for (int total : {0, 1, 2}) {
        stretch.setStrike(0, total, 48000.0);
        EXPECT_EQ(stretch.start(), 0) << total;
        EXPECT_EQ(stretch.end(), total) << total;
    }
}

TEST_F(LiveStretch, DelaySpinMovesByAFifthOfTheLengthPerStep) {
    stretch.spinDelay(2);
    EXPECT_DOUBLE_EQ(stretch.delaySec(), 0.05 + 2 * 0.4 * 0.2);
    stretch.spinDelay(-1);
    EXPECT_DOUBLE_EQ(stretch.delaySec(), 0.05 + 0.08);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_SelectPos", 0), 130000);
}

TEST_F(LiveStretch, LengthSpinGrowsByFivePercentPerStep) {
    stretch.spinLength(2);
    EXPECT_DOUBLE_EQ(stretch.lengthSec(), 0.4 * 1.05 * 1.05);
    stretch.spinLength(-200);
    EXPECT_EQ(stretch.lengthSec(), 0.001);
}

TEST_F(LiveStretch, ClickOnTheOverviewCentresTheStretch) {
    stretch.centreOn(30000);
    EXPECT_DOUBLE_EQ(stretch.delaySec(), 24000.0 / 48000 - 0.2);
    EXPECT_EQ((stretch.start() + stretch.end()) / 2, 30000);
}

TEST_F(LiveStretch, DragMovesByTheDraggedShareOfTheShownStretch) {
    stretch.drag(100.0, 1000.0);
    EXPECT_DOUBLE_EQ(stretch.delaySec(), 0.05 - 0.1 * 19200 / 48000.0);
    const double before = stretch.delaySec();
    stretch.drag(100.0, 0.0);
    EXPECT_EQ(stretch.delaySec(), before);
}

TEST_F(LiveStretch, ValuesThatAreNotNumbersAreIgnored) {
    stretch.setTimes(NAN, NAN);
    EXPECT_EQ(stretch.delaySec(), 0.05);
    EXPECT_EQ(stretch.lengthSec(), 0.4);
}

TEST(Stretch, FollowsTheStrikeRecord) {
    MemoryProfile profile;
    Stretch stretch(profile);
    StrikeRecord record;
    record.startIndex = 6000;
    record.sampleCount = 48000;
    record.sampleRateHz = 8000.0;
    stretch.setStrike(record);
    EXPECT_EQ(stretch.start(), 6000 + 400);
    EXPECT_EQ(stretch.end(), 6000 + 3600);
}

}  // namespace
}  // namespace tomaro
