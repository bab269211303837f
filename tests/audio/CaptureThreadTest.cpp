// The capture side and the user-interface side working at once, as with a real device. Run under
// ThreadSanitizer by ./test: any unsynchronised access to the strike buffer fails the run.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "audio/StrikeRecorder.h"

namespace tomaro {
namespace {

constexpr int kThreshold = 5000;
constexpr int kStrikeValue = 20000;
constexpr std::int64_t kStrikeSpacingFrames = 12 * kCaptureBufferFrames;
constexpr std::int16_t kFileMarker = -5;

// The capture stream: a slow ramp (frame mod 1000) below the threshold, with a strike frame
// every twelve buffers (not in the first ones, so that every lead-in is a whole ramp).
std::int16_t streamSample(std::int64_t frame) {
    if (frame > kStrikeSpacingFrames && frame % kStrikeSpacingFrames == 1234) return kStrikeValue;
    return static_cast<std::int16_t>(frame % 1000);
}

// A strike taken from the stream is the ramp, the strike frame at 5999, then the ramp again.
bool isWholeLiveStrike(const StrikeRecord& record) {
    if (record.buffer[5999] != kStrikeValue) return false;
    if (record.buffer[6000] != (record.buffer[5998] + 2) % 1000) return false;
    for (int i = 1; i < kStrikeLength; ++i) {
        if (i == 5999 || i == 6000) continue;
        if (record.buffer[i] != (record.buffer[i - 1] + 1) % 1000) return false;
    }
    return true;
}

bool isWholeFile(const StrikeRecord& record) {
    for (int i = kLeadInLength; i < kStrikeLength; ++i) {
        if (record.buffer[i] != kFileMarker) return false;
    }
    return true;
}

TEST(CaptureThread, StrikesRecordedOnTheCaptureThreadReachTheAnalysisWhole) {
    StrikeRecord record;
    StrikeRecorder recorder(record);
    recorder.setThreshold(kThreshold);
    recorder.deviceOpened();

    int liveStrikes = 0;
    int files = 0;
    int broken = 0;
    recorder.setAnalysisHook([&] {
        if (record.buffer[kLeadInLength] == kFileMarker) {
            ++files;
            if (!isWholeFile(record)) ++broken;
        } else {
            ++liveStrikes;
            if (!isWholeLiveStrike(record)) ++broken;
        }
    });

    std::atomic<bool> done{false};
    std::atomic<int> buffersDone{0};
    std::thread capture([&] {
        std::vector<std::int16_t> buffer(2 * kCaptureBufferFrames);
        std::int64_t frame = 0;
        for (int b = 0; b < 400; ++b) {
            for (int i = 0; i < kCaptureBufferFrames; ++i, ++frame) {
                buffer[2 * i] = streamSample(frame);
                buffer[2 * i + 1] = 0;
            }
            // Like a device, whose buffers come every 125 ms: the user-interface side has taken
            // the last strike or file before the next buffer arrives.
            while (record.counter.load() == kStrikeLength || record.analysisPending.load()) {
                std::this_thread::yield();
            }
            recorder.bufferDone(buffer.data(), kCaptureBufferFrames);
            buffersDone.store(b + 1);
        }
        done.store(true);
    });

    // The user-interface thread steps the machine and now and then loads a "file" into the same
    // buffer, which must never mix with a live strike.
    // A file about every 30 buffers, paced by the capture side so that live strikes get their
    // turn however the two threads are scheduled.
    int lastFileAt = 0;
    while (!done.load()) {
        recorder.paintStep();
        const int now = buffersDone.load();
        if (now - lastFileAt >= 30 && recorder.claimForFile()) {
            lastFileAt = now;
            record.buffer.fill(kFileMarker);
            recorder.strikeReplaced();
        }
        std::this_thread::yield();
    }
    capture.join();
    recorder.paintStep();

    EXPECT_GE(liveStrikes, 20);
    EXPECT_GE(files, 5);
    EXPECT_EQ(broken, 0);
    RecordProperty("liveStrikes", liveStrikes);
    RecordProperty("files", files);
}

TEST(CaptureThread, RequestsWhileTheTriggerIsBlockedAreNeverRefused) {
    StrikeRecord record;
    StrikeRecorder recorder(record);
    recorder.setThreshold(kThreshold);
    recorder.deviceOpened();
    ASSERT_TRUE(recorder.beginPlayback());  // the microphone hears the playback: loud all along

    std::atomic<bool> done{false};
    std::thread capture([&] {
        std::vector<std::int16_t> loud(2 * kCaptureBufferFrames, kStrikeValue);
        while (!done.load()) {
            recorder.bufferDone(loud.data(), kCaptureBufferFrames);
            std::this_thread::yield();
        }
    });
    int refused = 0;
    for (int i = 0; i < 20000; ++i) {
        if (!recorder.requestAnalysis()) ++refused;
        if (recorder.claimForFile()) {
            recorder.releaseClaim();
        } else {
            ++refused;
        }
        record.analysisPending.store(false);
    }
    done.store(true);
    capture.join();
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(record.counter.load(), -1);
}

}  // namespace
}  // namespace tomaro
