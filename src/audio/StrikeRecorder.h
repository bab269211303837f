#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/StrikeRecord.h"

namespace tomaro {

class Profile;

// Capture format: interleaved stereo frames (left, right), 16-bit, 48000 Hz, delivered in buffers
// of 6000 frames. The ring holds the last 16 buffers (2 s) for the lead-in.
inline constexpr int kCaptureBufferFrames = 6000;
// What the sound device is asked to deliver at a time: 1200 frames (25 ms). The recorder works on
// any buffer size; the level is still published per 6000 frames. A period of 6000 frames alone
// would hold the early read-out back by up to 125 ms.
inline constexpr int kCaptureDevicePeriodFrames = 1200;
inline constexpr int kCaptureRingBuffers = 16;
inline constexpr int kCaptureRingFrames = kCaptureBufferFrames * kCaptureRingBuffers;
inline constexpr int kOverloadPeak = 32300;  // left peaks from here on count as overload

// Threshold `m_Porog` in "CMainDlg": a strike starts at a left sample whose absolute value is
// strictly greater. Kept within 0..32768 (32768 never triggers).
inline constexpr int kDefaultThreshold = 3000;
int readThreshold(const Profile& profile);
void writeThreshold(Profile& profile, int threshold);
int clampThreshold(int threshold);

// Peak absolute values (0..32768) of the left and right channel in the last capture buffer.
struct InputLevel {
    int leftPeak = 0;
    int rightPeak = 0;
    bool overload() const { return leftPeak >= kOverloadPeak; }
};

// What one paint step decided: the window caption to show, and whether an analysis ran (the
// window then repaints, and the next step shows the new frequency in the caption).
struct PaintStep {
    std::string caption;
    bool analysed = false;
    // The analysis ran on a live strike still being recorded (its analysed stretch was complete):
    // the read-out is due now, the caption goes on with the recording.
    bool early = false;
};

// Detects and records strikes from the capture stream and advances the strike state machine.
//
// Threads: bufferDone() runs on the capture thread and never allocates, locks or blocks; every
// other member is for the user-interface thread. They share the record through atomics only:
// the counter and the trigger blocks (analysis pending, playback, file load) follow a
// store-then-check protocol on both sides, so the capture thread never starts writing the strike
// buffer while the user-interface thread reads or replaces it.
class StrikeRecorder {
public:
    explicit StrikeRecorder(StrikeRecord& record);
    ~StrikeRecorder();

    StrikeRecord& record() { return m_Record; }
    const StrikeRecord& record() const { return m_Record; }

    // Capture thread. `interleaved` holds `frameCount` frames (1..kCaptureRingFrames) of
    // `channels` samples: 2 (left, right), or 1 for a mono device, whose channel then stands for
    // both. Returns true when any sample was recorded into the strike buffer.
    bool bufferDone(const std::int16_t* interleaved, int frameCount, int channels = 2);

    // Capture thread, right after bufferDone(): whether that call published a new input level.
    bool levelPublished() const { return m_LevelPublished; }

    // The input level is the peak of each `frames` captured frames (a device buffer of the
    // capture format), published when they are complete, whatever the size of the buffers the
    // device delivers; 0 publishes the peak of each bufferDone() call. The frames of a block
    // after a strike's last sample start no strike, as with buffers of the block's size. Set
    // before the device starts delivering.
    void setLevelBlockFrames(int frames) {
        m_LevelBlockFrames.store(std::max(frames, 0), std::memory_order_relaxed);
    }

    // User-interface thread.
    void setThreshold(int threshold);
    int threshold() const { return m_Threshold.load(std::memory_order_relaxed); }
    InputLevel level() const;

    // The device was opened: the ring starts empty (zeros), waiting for a strike.
    void deviceOpened();
    // The device was closed and delivers no more buffers: any recording is abandoned.
    void deviceClosed();

    // Playback of the strike blocks the trigger. beginPlayback() fails while a strike is being
    // recorded (the buffer is not stable then). After the end the trigger stays blocked for
    // `holdFrames` more captured frames: the end of the playback is still on its way through the
    // output and the input, and must not be taken for a new strike.
    bool beginPlayback();
    void endPlayback(int holdFrames = kPlaybackHoldFrames);
    static constexpr int kPlaybackHoldFrames = 3 * kCaptureBufferFrames;
    bool playing() const { return m_Playing.load(std::memory_order_acquire); }

    // Takes the strike buffer for a file load: blocks the trigger and fails while a live strike
    // is being recorded. After a successful claim the caller replaces the samples and calls
    // strikeReplaced(); after a failed load it calls releaseClaim().
    bool claimForFile();
    void releaseClaim();
    // New samples stand in the record: the analysis is due and the stretch is brought up to date.
    void strikeReplaced();

    bool recording() const;

    // When the last strike's 48000th sample was recorded, in std::chrono::steady_clock
    // nanoseconds since its epoch (0 before any): for measuring the way to the read-out.
    std::int64_t completionTimeNs() const { return m_CompletionNs.load(std::memory_order_relaxed); }

    // The stretch or a setting of the analysis changed: the next paint step analyses the strike
    // again. While a strike is being recorded nothing is requested (its completion brings an
    // analysis anyway); returns whether the analysis is now due.
    bool requestAnalysis();

    // Runs one step of the state machine: the caption, the completion of a live strike, and the
    // analysis when it is due.
    PaintStep paintStep();

    // Called when new samples replaced the strike (the analysed stretch must follow them).
    void setStrikeReplacedHook(std::function<void()> hook) {
        m_StrikeReplacedHook = std::move(hook);
    }
    // Called when closing the device cut a recording short: the strike buffer then holds part of
    // the new strike over the previous one, and the owner puts the previous one back.
    void setStrikeAbandonedHook(std::function<void()> hook) {
        m_StrikeAbandonedHook = std::move(hook);
    }
    // Shows a caption at once: the "processing" caption is shown before the analysis runs.
    void setCaptionHook(std::function<void(const std::string&)> hook) {
        m_CaptionHook = std::move(hook);
    }
    // Runs the analysis of the record; it sets record().lastFrequencyText.
    void setAnalysisHook(std::function<void()> hook) { m_AnalysisHook = std::move(hook); }
    // Offered the live strike at every paint step while it is being recorded, with the number of
    // samples the capture thread has finished writing (6000..47999; the samples below it are
    // stable, those from it on are still being written). The hook analyses what it can and
    // returns true when it did; it is not offered the same strike again. The full strike is
    // analysed at completion all the same.
    void setEarlyAnalysisHook(std::function<bool(int recordedFrames)> hook) {
        m_EarlyAnalysisHook = std::move(hook);
    }

    // When the current or last strike's triggering sample was captured, in steady_clock
    // nanoseconds since its epoch (0 before any): the time the buffer arrived less the frames
    // that followed the trigger in it.
    std::int64_t triggerTimeNs() const { return m_TriggerNs.load(std::memory_order_relaxed); }

private:
    static constexpr int kClaiming = -2;  // the capture thread is checking the trigger blocks

    bool tryStartStrike(int ringFrame);
    bool triggerBlocked() const;
    // The counter once a claim of the capture thread has settled (user-interface thread).
    int settledCounter() const;

    StrikeRecord& m_Record;
    std::unique_ptr<std::int16_t[]> m_Ring;  // kCaptureRingFrames stereo frames, capture thread
    int m_RingWriteFrame = 0;                // capture thread

    std::atomic<int> m_Threshold{kDefaultThreshold};
    std::atomic<bool> m_Playing{false};
    std::atomic<int> m_HoldFrames{0};  // frames still to capture before the trigger is free
    std::atomic<std::int64_t> m_CompletionNs{0};
    std::atomic<std::int64_t> m_TriggerNs{0};
    std::atomic<int> m_LeftPeak{0};
    std::atomic<int> m_RightPeak{0};
    std::atomic<int> m_LevelBlockFrames{0};
    int m_BlockFrames = 0;  // capture thread: frames of the level block so far, and its peaks
    int m_BlockLeftPeak = 0;
    int m_BlockRightPeak = 0;
    bool m_LevelPublished = false;
    bool m_IgnoreRestOfBlock = false;  // capture thread: a strike ended inside the current block
    bool m_DeviceOpen = false;
    bool m_PendingBeforeClaim = false;
    bool m_EarlyDone = false;  // the strike being recorded was analysed early

    std::function<void()> m_StrikeReplacedHook;
    std::function<void()> m_StrikeAbandonedHook;
    std::function<void()> m_AnalysisHook;
    std::function<bool(int)> m_EarlyAnalysisHook;
    std::function<void(const std::string&)> m_CaptionHook;
};

}  // namespace tomaro
