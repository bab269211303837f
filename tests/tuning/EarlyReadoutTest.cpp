// The read-out of a live strike as soon as its analysed stretch is recorded: the same numbers as
// the analysis of the complete second, with the capture thread still writing behind it.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "settings/MemoryProfile.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

// 0.2 s of quiet, then a struck 131 Hz tone with a weaker, slightly inharmonic overtone, as
// interleaved stereo capture frames (the right channel is the left halved).
std::vector<std::int16_t> liveStream(int frames) {
    std::vector<std::int16_t> stereo(2 * static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        double value = 20.0 * std::sin(i * 0.37);
        if (i >= 9600) {
            const double t = (i - 9600) / 48000.0;
            value += std::exp(-t / 0.35) * (14000 * std::sin(2 * M_PI * 131.0 * t) +
                                            2500 * std::sin(2 * M_PI * 211.7 * t));
        }
        const auto sample = static_cast<std::int16_t>(std::lround(value));
        stereo[2 * i] = sample;
        stereo[2 * i + 1] = static_cast<std::int16_t>(sample / 2);
    }
    return stereo;
}

// Everything a pass produced that the read-out depends on, compared bit for bit.
void expectSameResult(const AnalysisResult& early, const AnalysisResult& full) {
    EXPECT_EQ(early.stretchStart, full.stretchStart);
    EXPECT_EQ(early.stretchEnd, full.stretchEnd);
    EXPECT_EQ(early.peakBin, full.peakBin);
    EXPECT_EQ(std::memcmp(&early.omega, &full.omega, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&early.mainFrequencyHz, &full.mainFrequencyHz, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&early.fitError, &full.fitError, sizeof(double)), 0);
    EXPECT_EQ(early.decayPasses, full.decayPasses);
    EXPECT_EQ(std::memcmp(early.components.data(), full.components.data(),
                          sizeof(FitComponent) * early.components.size()),
              0);
    EXPECT_EQ(early.frequencyText(), full.frequencyText());
}

struct LiveRun {
    std::vector<PaintStep> steps;
    int earlyStep = -1;      // index in steps of the early analysis, -1 for none
    int earlyCounter = 0;    // record counter when it ran
    AnalysisResult early;    // its result
    std::string earlyLines;  // its read-out, first line
    AnalysisResult full;     // the result at completion
};

// Feeds the stream buffer by buffer (`bufferFrames` each) on this thread, with a paint step after
// every buffer as the window does on each capture notice.
LiveRun feed(Tuner& tuner, int bufferFrames) {
    const std::vector<std::int16_t> stream = liveStream(96000);
    LiveRun run;
    tuner.recorder().deviceOpened();
    for (int frame = 0; frame + bufferFrames <= 96000; frame += bufferFrames) {
        tuner.recorder().bufferDone(&stream[2 * static_cast<std::size_t>(frame)], bufferFrames);
        run.steps.push_back(tuner.paintStep());
        if (run.steps.back().early) {
            run.earlyStep = static_cast<int>(run.steps.size()) - 1;
            run.earlyCounter = tuner.record().counter.load();
            run.early = tuner.analyzer().result();
            run.earlyLines = tuner.readout().lines().front().text;
        }
        if (run.steps.back().analysed && !run.steps.back().early) {
            run.full = tuner.analyzer().result();
            break;
        }
    }
    return run;
}

TEST(EarlyReadout, LiveStrikeIsReadWhenItsStretchIsRecordedWithTheFullSecondsResult) {
    for (const int bufferFrames : {6000, 1000, 257}) {
        SCOPED_TRACE(bufferFrames);
        MemoryProfile profile;
        Tuner tuner(profile);
        const LiveRun run = feed(tuner, bufferFrames);
        ASSERT_GE(run.earlyStep, 0);
        // Default stretch: 0.05 s after the front, 0.4 s long, so it ends at sample 27600.
        EXPECT_GE(run.earlyCounter, 27600);
        EXPECT_LT(run.earlyCounter, 27600 + bufferFrames);
        EXPECT_EQ(run.early.stretchEnd, 27600);
        EXPECT_NEAR(run.early.mainFrequencyHz, 131.0, 0.2);
        // The caption keeps showing the recording until the second is complete.
        EXPECT_EQ(run.steps[run.earlyStep].caption.rfind("Tomaro1.6 - запись удара 0.", 0), 0u);
        for (std::size_t i = run.earlyStep + 1; i + 1 < run.steps.size(); ++i) {
            EXPECT_FALSE(run.steps[i].analysed);
            EXPECT_EQ(run.steps[i].caption.rfind("Tomaro1.6 - запись удара", 0), 0u);
        }
        EXPECT_EQ(run.steps.back().caption, "Tomaro1.6 - идет обработка удара");
        expectSameResult(run.early, run.full);
        EXPECT_EQ(tuner.readout().lines().front().text, run.earlyLines);
        EXPECT_EQ(tuner.record().sampleCount, kStrikeLength);
        // Read twice, counted once.
        EXPECT_EQ(tuner.series().count(), 1);
        EXPECT_TRUE(tuner.quality().accepted());
    }
}

TEST(EarlyReadout, LiveTapReadEarlyAndAtCompletionGoesToOneRod) {
    MemoryProfile profile;
    Tuner tuner(profile);
    tuner.setLugMode(true);
    tuner.setLugCount(8);
    const LiveRun run = feed(tuner, 1000);
    ASSERT_GE(run.earlyStep, 0);
    EXPECT_EQ(tuner.lugs().measuredCount(), 1);
    EXPECT_GT(tuner.lugs().readingHz(1), 0.0);
    EXPECT_EQ(tuner.lugs().selected(), 5);
}

TEST(EarlyReadout, GraphsOfTheEarlyReadingHoldOnlyRecordedSamples) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const std::vector<std::int16_t> stream = liveStream(96000);
    tuner.recorder().deviceOpened();
    int frame = 0;
    for (; frame < 96000; frame += 6000) {
        tuner.recorder().bufferDone(&stream[2 * static_cast<std::size_t>(frame)], 6000);
        if (tuner.paintStep().early) break;
    }
    const int recorded = tuner.record().counter.load();
    const StrikeRecord& shown = tuner.shownStrike();
    EXPECT_EQ(shown.sampleCount, recorded);
    EXPECT_EQ(shown.buffer[recorded - 1], tuner.record().buffer[recorded - 1]);
    EXPECT_EQ(shown.buffer[recorded], 0);
    EXPECT_TRUE(tuner.hasResult());
}

TEST(EarlyReadout, StretchEndingAtTheEndOfTheSecondIsReadAtCompletion) {
    MemoryProfile profile;
    Tuner tuner(profile);
    tuner.stretch().setTimes(0.5, 0.6);  // past the recorded second: shifted to end at 48000
    const LiveRun run = feed(tuner, 6000);
    EXPECT_EQ(run.earlyStep, -1);
    EXPECT_EQ(run.full.stretchEnd, kStrikeLength);
    EXPECT_NEAR(run.full.mainFrequencyHz, 131.0, 0.5);
}

TEST(EarlyReadout, DeviceClosedAfterTheEarlyReadingKeepsWhatWasRead) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const std::vector<std::int16_t> stream = liveStream(96000);
    tuner.recorder().deviceOpened();
    for (int frame = 0; frame < 96000; frame += 6000) {
        tuner.recorder().bufferDone(&stream[2 * static_cast<std::size_t>(frame)], 6000);
        if (tuner.paintStep().early) break;
    }
    const double read = tuner.mainFrequencyHz();
    tuner.recorder().deviceClosed();
    EXPECT_EQ(tuner.record().counter.load(), -1);
    // Analysing again (a changed setting) reads only the samples that were recorded.
    tuner.requestAnalysis();
    EXPECT_TRUE(tuner.paintStep().analysed);
    EXPECT_EQ(tuner.mainFrequencyHz(), read);
}

// The capture thread records strikes while the user-interface thread keeps stepping and reads
// each one early: every early result equals its strike's complete result. Run under
// ThreadSanitizer, this also proves the early analysis reads only samples already written.
TEST(EarlyReadout, EarlyAnalysisRunsWhileTheCaptureThreadWrites) {
    MemoryProfile profile;
    Tuner tuner(profile);
    const std::vector<std::int16_t> stream = liveStream(96000);
    const std::vector<std::int16_t> quiet(2 * 1000, 0);
    constexpr int kStrikes = 3;
    tuner.recorder().deviceOpened();
    std::atomic<int> analysedStrikes{0};
    std::atomic<int> seenCounter{-1};  // the record counter before the last paint step
    std::atomic<bool> done{false};
    std::thread capture([&] {
        for (int strike = 0; strike < kStrikes; ++strike) {
            for (int frame = 0; frame + 1000 <= 96000; frame += 1000) {
                tuner.recorder().bufferDone(&stream[2 * static_cast<std::size_t>(frame)], 1000);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                // The stretch is recorded: go on writing only once the user-interface thread is
                // about to read it, so that its early analysis overlaps this thread's writes
                // however the two threads are scheduled.
                for (int wait = 0; frame == 31000 && seenCounter.load() < 27600 && wait < 600000;
                     ++wait) {
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                }
            }
            // Quiet until the strike was analysed (a strike during the analysis is not taken);
            // the bound only ends a run whose other thread has stalled.
            for (int i = 0; i < 300000 && analysedStrikes.load() <= strike; ++i) {
                tuner.recorder().bufferDone(quiet.data(), 1000);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        done = true;
    });
    int earlyCount = 0;
    AnalysisResult early;
    while (!done) {
        seenCounter = tuner.record().counter.load();
        const PaintStep step = tuner.paintStep();
        if (step.early) {
            ++earlyCount;
            early = tuner.analyzer().result();
        } else if (step.analysed) {
            expectSameResult(early, tuner.analyzer().result());
            ++analysedStrikes;
        }
    }
    capture.join();
    EXPECT_EQ(earlyCount, kStrikes);
    EXPECT_EQ(analysedStrikes.load(), kStrikes);
    EXPECT_EQ(tuner.series().count(), kStrikes);
}

}  // namespace
}  // namespace tomaro
