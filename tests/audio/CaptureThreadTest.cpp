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
    std::thread capture([&] {
        std::vector<std::int16_t> buffer(2 * kCaptureBufferFrames);
        std::int64_t frame = 0;
        for (int b = 0; b < 400; ++b) {
            for (int i = 0; i < kCaptureBufferFrames; ++i, ++frame) {
                buffer[2 * i] = streamSample(frame);
                buffer[2 * i + 1] = 0;
            }
            recorder.bufferDone(buffer.data(), kCaptureBufferFrames);
            std::this_thread::yield();
        }
        done.store(true);
    });

    // The user-interface thread steps the machine and now and then loads a "file" into the same
    // buffer, which must never mix with a live strike.
    int steps = 0;
    while (!done.load()) {
        recorder.paintStep();
        if (++steps % 50 == 0 && recorder.claimForFile()) {
            record.buffer.fill(kFileMarker);
            recorder.strikeReplaced();
        }
        std::this_thread::yield();
    }
    capture.join();
    recorder.paintStep();

    EXPECT_GT(liveStrikes, 0);
    EXPECT_EQ(broken, 0);
    RecordProperty("liveStrikes", liveStrikes);
    RecordProperty("files", files);
}

}  // namespace
}  // namespace tomaro
