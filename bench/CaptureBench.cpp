// The capture thread's work per 6000-frame buffer: copying into the ring, the levels, the trigger
// search while waiting, and the copy into the strike while recording. A buffer lasts 125 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/StrikeRecorder.h"

namespace {

std::vector<std::int16_t> quietBuffer() {
    std::vector<std::int16_t> frames(2 * tomaro::kCaptureBufferFrames);
    for (int i = 0; i < tomaro::kCaptureBufferFrames; ++i) {
        frames[2 * i] = static_cast<std::int16_t>(800 * std::sin(i * 0.05));
        frames[2 * i + 1] = static_cast<std::int16_t>(-frames[2 * i]);
    }
    return frames;
}

void BM_CaptureBufferWaiting(benchmark::State& state) {
    tomaro::StrikeRecord record;
    tomaro::StrikeRecorder recorder(record);
    recorder.deviceOpened();
    const std::vector<std::int16_t> frames = quietBuffer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(recorder.bufferDone(frames.data(), tomaro::kCaptureBufferFrames));
    }
}

void BM_CaptureBufferRecording(benchmark::State& state) {
    tomaro::StrikeRecord record;
    tomaro::StrikeRecorder recorder(record);
    recorder.deviceOpened();
    recorder.setThreshold(100);
    const std::vector<std::int16_t> frames = quietBuffer();
    for (auto _ : state) {
        state.PauseTiming();
        record.counter.store(-1);
        state.ResumeTiming();
        // Triggers on the first loud frame, takes the lead-in and records the rest.
        benchmark::DoNotOptimize(recorder.bufferDone(frames.data(), tomaro::kCaptureBufferFrames));
    }
}

BENCHMARK(BM_CaptureBufferWaiting)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaptureBufferRecording)->Unit(benchmark::kMicrosecond);

}  // namespace
