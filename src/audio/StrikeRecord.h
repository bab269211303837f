#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tomaro {

class MappedFile;

inline constexpr int kStrikeLength = 48000;  // samples of one recorded strike (1 s)
inline constexpr int kLeadInLength = 6000;   // samples before the trigger, the last one triggers
inline constexpr double kCaptureRateHz = 48000.0;

// A read-only view of signed 16-bit samples: either native samples, one per frame (the strike
// buffer or an imported sound held in memory), or a mapped WAV file (little-endian, first channel
// of each frame).
// Reading frame i is valid for 0 <= i < frameCount.
struct SampleSource {
    const std::int16_t* native = nullptr;      // strike buffer or held samples, or null
    const unsigned char* fileBytes = nullptr;  // first data byte of a mapped file, or null
    int frameStrideBytes = 2;                  // file frames: channel count * 2
    int frameCount = 0;

    std::int16_t at(int frame) const {
        if (native != nullptr) return native[frame];
        const unsigned char* p = fileBytes + static_cast<std::ptrdiff_t>(frame) * frameStrideBytes;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    }
};

// The strike front as the live trigger finds it: the first frame at or after `from` whose sample
// has an absolute value strictly above `threshold`; -1 when there is none. At most
// kFrontSearchSec seconds of frames at `sampleRateHz` are searched, so that a quiet recording of
// hours is not read whole (on the user-interface thread) for a front it does not have. Any thread.
inline constexpr double kFrontSearchSec = 600.0;
int findStrikeFront(const SampleSource& source, int threshold, int from = 0,
                    double sampleRateHz = 48000.0);

// The samples of one strike and the state shared between the capture thread and the
// user-interface thread.
//
// Thread rules: while recording (0 <= counter < 48000) only the capture thread writes `buffer`
// and `counter`; the user-interface thread reads `buffer` only when the counter is 48000 or when
// the trigger is blocked (analysis pending or playback running, see StrikeRecorder). The plain
// fields below the atomics belong to the user-interface thread.
struct StrikeRecord {
    StrikeRecord();
    ~StrikeRecord();
    StrikeRecord(const StrikeRecord&) = delete;
    StrikeRecord& operator=(const StrikeRecord&) = delete;

    // Live strike or copy-mode file: 6000 lead-in samples, then the strike. 48000 Hz for a live
    // strike, the file's rate for a file.
    std::array<std::int16_t, kStrikeLength> buffer{};

    // -1 waiting for a strike, 0..47999 recording, 48000 full.
    std::atomic<int> counter{-1};
    std::atomic<bool> analysisPending{false};

    int sampleCount = kStrikeLength;
    int startIndex = kLeadInLength;  // first sample after the lead-in (the strike front)
    // Whether a sample above the threshold was found: always for a live strike (it triggered);
    // for a file, whether its front search found one (see loadWavFile()).
    bool frontFound = true;
    double sampleRateHz = kCaptureRateHz;
    // The samples came from a file or an imported sound, not from a live strike.
    bool fromFile = false;

    // Direct mode: a long WAV file read in place. Null when the samples are in `buffer`.
    std::unique_ptr<MappedFile> directFile;
    // The mapping the samples are read from: directFile, or for a copy of the record (the one
    // the graphs draw) the original's, which outlives the copy's use.
    const MappedFile* directMapping = nullptr;
    const unsigned char* directData = nullptr;
    int directChannels = 0;

    // Direct mode from memory: a long imported sound, its first channel as 16-bit samples, read
    // from the start like a long WAV file. Empty when not in use.
    std::vector<std::int16_t> heldSamples;
    // The held samples read: heldSamples.data(), or for a copy of the record the original's.
    const std::int16_t* directSamples = nullptr;

    // The last measured main frequency as "%0.2f Гц", shown in the caption; empty before any.
    std::string lastFrequencyText;

    // The samples to analyse: the mapped file or the held samples in direct mode, else the buffer
    // (sampleCount frames).
    SampleSource source() const;

    // Whether the samples are read in place (a mapped file or held samples), not from the buffer
    // the capture thread records into.
    bool readsInPlace() const { return directData != nullptr || directSamples != nullptr; }

    // A file or sound just loaded, its samples from frame `dataStart` on: looks for the strike
    // front above `threshold` and, when it lies more than the 6000-frame lead-in into the data,
    // counts the analysed stretch from it. Sets frontFound; returns the front's frame in the
    // data, or -1 when no sample is above the threshold.
    int placeStrikeFront(int threshold, int dataStart);

    // Unmaps and closes a direct-mode file and frees held samples; the samples come from the
    // buffer again.
    void releaseDirectFile();
};

}  // namespace tomaro
