#include "audio/StrikeRecorder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "settings/Language.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kCaptionPrefix = "Tomaro1.6";
constexpr std::int64_t kCaptureSampleRate = 48000;

}  // namespace

int clampThreshold(int threshold) { return std::clamp(threshold, 0, 32768); }

int readThreshold(const Profile& profile) {
    return clampThreshold(profile.readInt("CMainDlg", "m_Porog", kDefaultThreshold));
}

void writeThreshold(Profile& profile, int threshold) {
    profile.writeInt("CMainDlg", "m_Porog", clampThreshold(threshold));
}

StrikeRecorder::StrikeRecorder(StrikeRecord& record)
    : m_Record(record), m_Ring(new std::int16_t[2 * kCaptureRingFrames]()) {}

StrikeRecorder::~StrikeRecorder() = default;

void StrikeRecorder::setThreshold(int threshold) {
    m_Threshold.store(clampThreshold(threshold), std::memory_order_relaxed);
}

InputLevel StrikeRecorder::level() const {
    return {m_LeftPeak.load(std::memory_order_relaxed),
            m_RightPeak.load(std::memory_order_relaxed)};
}

void StrikeRecorder::deviceOpened() {
    std::fill_n(m_Ring.get(), 2 * kCaptureRingFrames, std::int16_t{0});
    m_RingWriteFrame = 0;
    m_BlockFrames = 0;
    m_IgnoreRestOfBlock = false;
    m_BlockLeftPeak = 0;
    m_BlockRightPeak = 0;
    m_LeftPeak.store(0, std::memory_order_relaxed);
    m_RightPeak.store(0, std::memory_order_relaxed);
    m_DeviceOpen = true;
}

void StrikeRecorder::deviceClosed() {
    m_DeviceOpen = false;
    // No buffer arrives any more, so a recording in progress is abandoned. A complete strike
    // (48000) is kept for the next paint step.
    int counter = m_Record.counter.load(std::memory_order_acquire);
    if (counter < kStrikeLength) {
        m_Record.counter.store(-1, std::memory_order_release);
        // A recording was cut short: its samples stand half over the previous strike's.
        if (counter != -1 && m_StrikeAbandonedHook) m_StrikeAbandonedHook();
        m_EarlyDone = false;
    }
    m_LeftPeak.store(0, std::memory_order_relaxed);
    m_RightPeak.store(0, std::memory_order_relaxed);
}

bool StrikeRecorder::triggerBlocked() const {
    return m_Record.analysisPending.load(std::memory_order_seq_cst) ||
           m_Playing.load(std::memory_order_seq_cst) ||
           m_HoldFrames.load(std::memory_order_relaxed) > 0;
}

// The capture thread announces a trigger by storing kClaiming before it looks at the blocks
// again; the user-interface thread sets a block before it looks at the counter. With
// sequentially consistent order at least one side sees the other, so they never both go ahead.
// While a block is plainly set the capture thread does not claim at all, so the user-interface
// thread rarely meets a claim, and then only for the few microseconds of the lead-in copy.
bool StrikeRecorder::tryStartStrike(int ringFrame) {
    if (triggerBlocked()) return false;
    m_Record.counter.store(kClaiming, std::memory_order_seq_cst);
    if (triggerBlocked()) {
        m_Record.counter.store(-1, std::memory_order_seq_cst);
        return false;
    }
    // Lead-in: the left samples of the 6000 frames ending with the triggering one.
    int first = ringFrame - (kLeadInLength - 1);
    if (first < 0) first += kCaptureRingFrames;
    for (int i = 0; i < kLeadInLength; ++i) {
        int frame = first + i;
        if (frame >= kCaptureRingFrames) frame -= kCaptureRingFrames;
        m_Record.buffer[i] = m_Ring[2 * frame];
    }
    m_Record.counter.store(kLeadInLength, std::memory_order_seq_cst);
    return true;
}

int StrikeRecorder::settledCounter() const {
    // A claim lasts as long as the lead-in copy; the bound only guards against a stalled
    // capture thread.
    int counter = m_Record.counter.load(std::memory_order_seq_cst);
    for (int spin = 0; counter == kClaiming && spin < 100000; ++spin) {
        std::this_thread::yield();
        counter = m_Record.counter.load(std::memory_order_seq_cst);
    }
    return counter;
}

bool StrikeRecorder::bufferDone(const std::int16_t* interleaved, int frameCount, int channels) {
    frameCount = std::clamp(frameCount, 0, kCaptureRingFrames);
    // A mono device's one channel stands for both.
    const int rightOffset = channels == 1 ? 0 : 1;
    const int stride = channels == 1 ? 1 : 2;
    const int threshold = m_Threshold.load(std::memory_order_relaxed);
    int counter = m_Record.counter.load(std::memory_order_acquire);
    const int counterAtStart = counter;
    const int levelBlock = m_LevelBlockFrames.load(std::memory_order_relaxed);
    int leftPeak = 0;
    int rightPeak = 0;
    int triggerFrame = -1;
    m_LevelPublished = false;

    for (int i = 0; i < frameCount; ++i) {
        const int ringFrame = m_RingWriteFrame;
        const int left = interleaved[stride * i];
        const int right = interleaved[stride * i + rightOffset];
        m_Ring[2 * ringFrame] = static_cast<std::int16_t>(left);
        m_Ring[2 * ringFrame + 1] = static_cast<std::int16_t>(right);
        m_RingWriteFrame = ringFrame + 1 == kCaptureRingFrames ? 0 : ringFrame + 1;

        leftPeak = std::max(leftPeak, std::abs(left));
        rightPeak = std::max(rightPeak, std::abs(right));
        const bool blockEnds = levelBlock > 0 && ++m_BlockFrames == levelBlock;
        if (blockEnds) {
            m_LeftPeak.store(std::max(m_BlockLeftPeak, leftPeak), std::memory_order_relaxed);
            m_RightPeak.store(std::max(m_BlockRightPeak, rightPeak), std::memory_order_relaxed);
            m_LevelPublished = true;
            m_BlockFrames = 0;
            m_BlockLeftPeak = m_BlockRightPeak = leftPeak = rightPeak = 0;
        }

        if (counter >= 0) {
            if (counter < kStrikeLength) {
                m_Record.buffer[counter++] = static_cast<std::int16_t>(left);
                // As with capture buffers of a whole block, the frames after a strike's last
                // sample up to the end of the block do not start a new strike.
                if (counter == kStrikeLength && levelBlock > 0 && !blockEnds)
                    m_IgnoreRestOfBlock = true;
            }
        } else if (!m_IgnoreRestOfBlock && std::abs(left) > threshold &&
                   tryStartStrike(ringFrame)) {
            counter = kLeadInLength;
            triggerFrame = i;
        }
        if (blockEnds) m_IgnoreRestOfBlock = false;
    }

    if (m_HoldFrames.load(std::memory_order_relaxed) > 0) {
        m_HoldFrames.fetch_sub(frameCount, std::memory_order_relaxed);
    }
    if (levelBlock > 0) {
        m_BlockLeftPeak = std::max(m_BlockLeftPeak, leftPeak);
        m_BlockRightPeak = std::max(m_BlockRightPeak, rightPeak);
    } else {
        m_LeftPeak.store(leftPeak, std::memory_order_relaxed);
        m_RightPeak.store(rightPeak, std::memory_order_relaxed);
        m_LevelPublished = true;
    }
    const bool recorded = counter >= 0 && counter != counterAtStart;
    if (triggerFrame >= 0 || (recorded && counter == kStrikeLength)) {
        // steady_clock reads the monotonic clock without a system call or a lock.
        const std::int64_t nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count();
        if (triggerFrame >= 0) {
            const std::int64_t laterFrames = frameCount - 1 - triggerFrame;
            m_TriggerNs.store(nowNs - laterFrames * 1'000'000'000 / kCaptureSampleRate,
                              std::memory_order_relaxed);
        }
        if (recorded && counter == kStrikeLength)
            m_CompletionNs.store(nowNs, std::memory_order_relaxed);
    }
    // Publishes the samples written above: the user-interface thread reads the buffer only up to
    // the counter it has seen with acquire order.
    if (recorded) m_Record.counter.store(counter, std::memory_order_release);
    return recorded;
}

bool StrikeRecorder::beginPlayback() {
    m_Playing.store(true, std::memory_order_seq_cst);
    const int counter = settledCounter();
    if (counter != -1 && counter != kStrikeLength) {
        m_Playing.store(false, std::memory_order_seq_cst);
        return false;
    }
    return true;
}

void StrikeRecorder::endPlayback(int holdFrames) {
    m_HoldFrames.store(holdFrames, std::memory_order_relaxed);
    m_Playing.store(false, std::memory_order_seq_cst);
}

bool StrikeRecorder::claimForFile() {
    m_PendingBeforeClaim = m_Record.analysisPending.exchange(true, std::memory_order_seq_cst);
    int counter = settledCounter();
    if (counter == kStrikeLength) {
        // A complete live strike that no paint step has taken yet: the file replaces it.
        m_Record.counter.store(-1, std::memory_order_seq_cst);
        counter = -1;
    }
    if (counter != -1) {
        m_Record.analysisPending.store(m_PendingBeforeClaim, std::memory_order_seq_cst);
        return false;
    }
    return true;
}

void StrikeRecorder::releaseClaim() {
    m_Record.analysisPending.store(m_PendingBeforeClaim, std::memory_order_seq_cst);
}

void StrikeRecorder::strikeReplaced() {
    m_Record.analysisPending.store(true, std::memory_order_seq_cst);
    if (m_StrikeReplacedHook) m_StrikeReplacedHook();
}

bool StrikeRecorder::requestAnalysis() {
    const bool before = m_Record.analysisPending.exchange(true, std::memory_order_seq_cst);
    const int counter = settledCounter();
    if (counter == -1 || counter == kStrikeLength) return true;
    m_Record.analysisPending.store(before, std::memory_order_seq_cst);
    return before;
}

bool StrikeRecorder::recording() const {
    const int counter = m_Record.counter.load(std::memory_order_acquire);
    return counter >= 0 && counter < kStrikeLength;
}

PaintStep StrikeRecorder::paintStep() {
    PaintStep step;
    char text[128];
    const int counter = m_Record.counter.load(std::memory_order_acquire);
    if (counter < 0) {
        m_EarlyDone = false;
        step.caption = std::string(kCaptionPrefix) + " " + m_Record.lastFrequencyText +
                       (m_DeviceOpen ? pick(" - жду удара нового", " - waiting for a strike")
                                     : pick(" - НЕТ АУДИО", " - NO AUDIO"));
    } else if (counter < kStrikeLength) {
        std::snprintf(text, sizeof text,
                      pick("%s - запись удара %0.3f сек", "%s - recording %0.3f s"), kCaptionPrefix,
                      counter / kCaptureRateHz);
        step.caption = text;
        if (!m_EarlyDone && m_EarlyAnalysisHook && m_EarlyAnalysisHook(counter)) {
            m_EarlyDone = true;
            step.analysed = true;
            step.early = true;
        }
    } else {
        // The analysis is marked due before the counter returns to waiting, so that the capture
        // thread cannot start a new strike over these samples in between.
        m_Record.analysisPending.store(true, std::memory_order_seq_cst);
        m_Record.counter.store(-1, std::memory_order_seq_cst);
        m_Record.releaseDirectFile();
        m_Record.sampleCount = kStrikeLength;
        m_Record.startIndex = kLeadInLength;
        m_Record.frontFound = true;
        m_Record.fromFile = false;
        m_Record.sampleRateHz = kCaptureRateHz;
        m_EarlyDone = false;
        strikeReplaced();
    }

    if (m_Record.analysisPending.load(std::memory_order_acquire)) {
        step.caption = std::string(kCaptionPrefix) +
                       pick(" - идет обработка удара", " - analysing the strike");
        if (m_CaptionHook) m_CaptionHook(step.caption);
        if (m_AnalysisHook) m_AnalysisHook();
        m_Record.analysisPending.store(false, std::memory_order_seq_cst);
        step.analysed = true;
    }
    return step;
}

}  // namespace tomaro
