#include <gtest/gtest.h>

#include <vector>

#include "audio/StrikeRecorder.h"
#include "settings/MemoryProfile.h"
#include "support/InEnglish.h"

namespace tomaro {
namespace {

// Stereo frames whose left channel is given by `left(frameIndex)` and right channel is -1.
template <typename F>
std::vector<std::int16_t> frames(int count, F left) {
    std::vector<std::int16_t> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<std::int16_t>(left(i)));
        out.push_back(-1);
    }
    return out;
}

class StrikeRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Recorder.deviceOpened();
        m_Recorder.setAnalysisHook([this] {
            ++m_Analyses;
            m_Record.lastFrequencyText = "97.30 Гц";
        });
        m_Recorder.setStrikeReplacedHook([this] { ++m_Replacements; });
    }
    bool feed(const std::vector<std::int16_t>& interleaved) {
        return m_Recorder.bufferDone(interleaved.data(), static_cast<int>(interleaved.size() / 2));
    }
    void feedQuiet(int buffers) {
        for (int b = 0; b < buffers; ++b) feed(frames(kCaptureBufferFrames, [](int) { return 0; }));
    }

    StrikeRecord m_Record;
    StrikeRecorder m_Recorder{m_Record};
    int m_Analyses = 0;
    int m_Replacements = 0;
};

TEST_F(StrikeRecorderTest, SampleEqualToThresholdDoesNotTriggerGreaterDoes) {
    m_Recorder.setThreshold(3000);
    EXPECT_FALSE(feed(frames(10, [](int) { return 3000; })));
    EXPECT_FALSE(feed(frames(10, [](int) { return -3000; })));
    EXPECT_EQ(m_Record.counter.load(), -1);
    EXPECT_TRUE(feed(frames(1, [](int) { return -3001; })));
    EXPECT_EQ(m_Record.counter.load(), 6000);
    EXPECT_EQ(m_Record.buffer[5999], -3001);
}

TEST_F(StrikeRecorderTest, StrikeRightAfterOpeningTakesZerosFromTheRingEnd) {
    m_Recorder.setThreshold(100);
    // Ten quiet frames, then the trigger at frame 10.
    feed(frames(20, [](int i) { return i < 10 ? i + 1 : 500 + i; }));
    EXPECT_EQ(m_Record.buffer[0], 0);
    EXPECT_EQ(m_Record.buffer[5988], 0);
    EXPECT_EQ(m_Record.buffer[5989], 1);    // frame 0
    EXPECT_EQ(m_Record.buffer[5998], 10);   // frame 9
    EXPECT_EQ(m_Record.buffer[5999], 510);  // the triggering frame 10
    EXPECT_EQ(m_Record.buffer[6000], 511);  // the rest of the buffer is recorded at once
    EXPECT_EQ(m_Record.counter.load(), 6009);
}

TEST_F(StrikeRecorderTest, LeadInWrapsAroundTheRing) {
    m_Recorder.setThreshold(30000);
    // Fill the whole ring with a recognisable pattern: frame n holds n mod 20000.
    int n = 0;
    for (int b = 0; b < kCaptureRingBuffers; ++b) {
        feed(frames(kCaptureBufferFrames, [&](int) { return n++ % 20000; }));
    }
    // The next buffer lands at ring position 0; it triggers at its third frame.
    feed(frames(kCaptureBufferFrames, [](int i) { return i == 2 ? 31000 : 7; }));
    EXPECT_EQ(m_Record.buffer[5999], 31000);
    EXPECT_EQ(m_Record.buffer[5998], 7);
    EXPECT_EQ(m_Record.buffer[5997], 7);
    // Before those: the last frames of the ring, i.e. frames 95999, 95998, ... of the pattern.
    EXPECT_EQ(m_Record.buffer[5996], 95999 % 20000);
    EXPECT_EQ(m_Record.buffer[0], (95999 - 5996) % 20000);
}

TEST_F(StrikeRecorderTest, RecordsUpTo48000SamplesThenIgnoresTheRest) {
    m_Recorder.setThreshold(10);
    feed(
        frames(kCaptureBufferFrames, [](int i) { return i == kCaptureBufferFrames - 1 ? 99 : 0; }));
    ASSERT_EQ(m_Record.counter.load(), 6000);
    int value = 0;
    for (int b = 0; b < 7; ++b) {
        EXPECT_TRUE(feed(frames(kCaptureBufferFrames, [&](int) { return ++value % 1000; })));
    }
    EXPECT_EQ(m_Record.counter.load(), 48000);
    EXPECT_EQ(m_Record.buffer[6000], 1);
    EXPECT_EQ(m_Record.buffer[47999], 42000 % 1000);
    EXPECT_FALSE(feed(frames(kCaptureBufferFrames, [](int) { return 5000; })));
    EXPECT_EQ(m_Record.buffer[47999], 42000 % 1000);
}

TEST_F(StrikeRecorderTest, CaptionsFollowTheStrikeFromWaitingToAnalysis) {
    StrikeRecorder closed{m_Record};
    EXPECT_EQ(closed.paintStep().caption, "Tomaro1.6  - НЕТ АУДИО");
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6  - жду удара нового");

    m_Recorder.setThreshold(10);
    feed(
        frames(kCaptureBufferFrames, [](int i) { return i == kCaptureBufferFrames - 1 ? 99 : 0; }));
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6 - запись удара 0.125 сек");
    feed(frames(1234, [](int) { return 0; }));
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6 - запись удара 0.151 сек");
    EXPECT_EQ(m_Analyses, 0);

    feedQuiet(7);
    m_Record.sampleRateHz = 8000.0;  // as after a file
    std::string shownDuringAnalysis;
    m_Recorder.setCaptionHook([&](const std::string& caption) {
        if (m_Analyses == 0) shownDuringAnalysis = caption;
    });
    PaintStep step = m_Recorder.paintStep();
    EXPECT_EQ(shownDuringAnalysis, "Tomaro1.6 - идет обработка удара");
    EXPECT_EQ(step.caption, "Tomaro1.6 - идет обработка удара");
    EXPECT_TRUE(step.analysed);
    EXPECT_EQ(m_Analyses, 1);
    EXPECT_EQ(m_Replacements, 1);
    EXPECT_EQ(m_Record.counter.load(), -1);
    EXPECT_FALSE(m_Record.analysisPending.load());
    EXPECT_DOUBLE_EQ(m_Record.sampleRateHz, 48000.0);
    EXPECT_EQ(m_Record.startIndex, 6000);

    step = m_Recorder.paintStep();
    EXPECT_FALSE(step.analysed);
    EXPECT_EQ(step.caption, "Tomaro1.6 97.30 Гц - жду удара нового");
}

TEST_F(StrikeRecorderTest, CaptionsInEnglish) {
    test::InEnglish english;
    StrikeRecorder closed{m_Record};
    EXPECT_EQ(closed.paintStep().caption, "Tomaro1.6  - NO AUDIO");
    m_Recorder.setThreshold(10);
    feed(
        frames(kCaptureBufferFrames, [](int i) { return i == kCaptureBufferFrames - 1 ? 99 : 0; }));
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6 - recording 0.125 s");
    feedQuiet(8);
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6 - analysing the strike");
    m_Record.lastFrequencyText = "97.30 Hz";
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6 97.30 Hz - waiting for a strike");
}

TEST_F(StrikeRecorderTest, StrikesAreIgnoredWhileAnalysisIsPendingOrPlaybackRuns) {
    m_Recorder.setThreshold(10);
    m_Recorder.strikeReplaced();  // a file was loaded, not yet analysed
    EXPECT_FALSE(feed(frames(100, [](int) { return 20000; })));
    EXPECT_EQ(m_Record.counter.load(), -1);
    m_Recorder.paintStep();

    ASSERT_TRUE(m_Recorder.beginPlayback());
    EXPECT_FALSE(feed(frames(100, [](int) { return 20000; })));
    EXPECT_EQ(m_Record.counter.load(), -1);
    m_Recorder.endPlayback(150);
    // The tail of the playback still arrives: 150 frames pass before a strike counts.
    EXPECT_FALSE(feed(frames(100, [](int) { return 20000; })));
    EXPECT_FALSE(feed(frames(50, [](int) { return 20000; })));
    EXPECT_TRUE(feed(frames(100, [](int) { return 20000; })));
    // Playback cannot start over a strike being recorded.
    EXPECT_FALSE(m_Recorder.beginPlayback());
}

TEST_F(StrikeRecorderTest, AnalysisRequestedWhileRecordingWaitsForTheStrike) {
    m_Recorder.setThreshold(10);
    feed(frames(10, [](int) { return 500; }));
    EXPECT_FALSE(m_Recorder.requestAnalysis());
    EXPECT_FALSE(m_Recorder.paintStep().analysed);  // the buffer is still being written
    feedQuiet(7);
    m_Recorder.paintStep();
    EXPECT_EQ(m_Analyses, 1);
    EXPECT_TRUE(m_Recorder.requestAnalysis());
    EXPECT_TRUE(m_Recorder.paintStep().analysed);
    EXPECT_EQ(m_Analyses, 2);
}

TEST_F(StrikeRecorderTest, LevelIsThePeakOfTheLastBufferPerChannel) {
    std::vector<std::int16_t> buffer = {100, -200, -32768, 5, 300, 0};
    m_Recorder.setThreshold(32768);
    feed(buffer);
    InputLevel level = m_Recorder.level();
    EXPECT_EQ(level.leftPeak, 32768);
    EXPECT_EQ(level.rightPeak, 200);
    EXPECT_TRUE(level.overload());
    feed(frames(10, [](int) { return 32299; }));
    EXPECT_FALSE(m_Recorder.level().overload());
    feed(frames(10, [](int) { return 32300; }));
    EXPECT_TRUE(m_Recorder.level().overload());
}

// A device delivering 1200-frame periods still shows the peak of each 6000 frames (125 ms), and
// wakes the window for the level once per 6000 frames.
TEST_F(StrikeRecorderTest, LevelOfShortPeriodsIsThePeakOfEach125Milliseconds) {
    m_Recorder.setThreshold(32768);
    m_Recorder.setLevelBlockFrames(kCaptureBufferFrames);
    m_Recorder.deviceOpened();
    const int peaks[] = {700, 20000, 300, 900, 450, 10, 20, 30, 40, 50};
    for (int period = 0; period < 10; ++period) {
        feed(frames(1200, [&](int i) { return i == 600 ? peaks[period] : 1; }));
        EXPECT_EQ(m_Recorder.levelPublished(), period % 5 == 4) << period;
        const int shown = period < 4 ? 0 : period < 9 ? 20000 : 50;
        EXPECT_EQ(m_Recorder.level().leftPeak, shown) << period;
    }
    // A period across the block's end counts its frames up to the end in the old block.
    feed(frames(1000, [](int) { return 5; }));
    feed(frames(5500, [](int i) { return i < 5000 ? 6 : 8000; }));
    EXPECT_TRUE(m_Recorder.levelPublished());
    EXPECT_EQ(m_Recorder.level().leftPeak, 6);
}

// A strike's ringing tail in the rest of the block it ended in starts no strike, as when the
// device delivered whole 6000-frame buffers; the next block is listened to again.
TEST_F(StrikeRecorderTest, ShortPeriodsStartNoStrikeInTheRestOfTheBlockAStrikeEndedIn) {
    m_Recorder.setThreshold(1000);
    m_Recorder.setLevelBlockFrames(kCaptureBufferFrames);
    m_Recorder.deviceOpened();
    auto loud = frames(1200, [](int) { return 5000; });
    auto quiet = frames(1200, [](int) { return 0; });
    EXPECT_TRUE(feed(frames(1200, [](int i) { return i == 0 ? 5000 : 0; })));
    for (int period = 0; period < 34; ++period) feed(quiet);
    EXPECT_EQ(m_Record.counter.load(), kStrikeLength - 1);
    feed(quiet);  // the strike's last sample is the block's second frame
    EXPECT_EQ(m_Record.counter.load(), kStrikeLength);
    EXPECT_TRUE(m_Recorder.paintStep().analysed);
    for (int period = 1; period < 5; ++period) {
        EXPECT_FALSE(feed(loud)) << period;
        EXPECT_EQ(m_Record.counter.load(), -1);
    }
    EXPECT_TRUE(feed(loud));
    EXPECT_EQ(m_Record.counter.load(), kLeadInLength + 1199);
}

TEST_F(StrikeRecorderTest, MonoDeviceChannelStandsForBoth) {
    m_Recorder.setThreshold(1000);
    std::vector<std::int16_t> mono(100, 5);
    mono[60] = -1500;
    EXPECT_TRUE(m_Recorder.bufferDone(mono.data(), 100, 1));
    EXPECT_EQ(m_Recorder.level().leftPeak, 1500);
    EXPECT_EQ(m_Recorder.level().rightPeak, 1500);
    EXPECT_EQ(m_Record.buffer[5999], -1500);
    EXPECT_EQ(m_Record.buffer[5998], 5);
    EXPECT_EQ(m_Record.buffer[6000], 5);
    EXPECT_EQ(m_Record.counter.load(), 6039);
}

TEST_F(StrikeRecorderTest, ClosingTheDeviceAbandonsARecording) {
    m_Recorder.setThreshold(10);
    feed(frames(10, [](int) { return 500; }));
    ASSERT_TRUE(m_Recorder.recording());
    m_Recorder.deviceClosed();
    EXPECT_FALSE(m_Recorder.recording());
    EXPECT_EQ(m_Recorder.paintStep().caption, "Tomaro1.6  - НЕТ АУДИО");
}

TEST(StrikeThreshold, IsStoredUnderItsKeyAndClamped) {
    MemoryProfile profile;
    EXPECT_EQ(readThreshold(profile), 3000);
    writeThreshold(profile, 70000);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 0), 32768);
    profile.writeInt("CMainDlg", "m_Porog", -5);
    EXPECT_EQ(readThreshold(profile), 0);
}

}  // namespace
}  // namespace tomaro
