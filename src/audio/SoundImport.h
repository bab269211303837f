#pragma once

#include <cstdint>
#include <vector>

#include "audio/WavFile.h"

namespace tomaro {

class StrikeRecorder;

// An imported sound is held whole in memory: at most ten minutes of it.
inline constexpr std::int64_t kImportMaxSeconds = 600;
inline constexpr std::int64_t importFrameLimit(std::int64_t rateHz) {
    return kImportMaxSeconds * rateHz;
}

// One decoded sample, full scale at +-1.0, as a 16-bit sample: value * 32768 rounded to the
// nearest whole number, halves away from zero. A value beyond -32768..32767 is held there and
// counted in `clipped`; NaN gives 0.
std::int16_t toSample16(double value, std::int64_t& clipped);

// The first channel of a decoded sound in 16 bits, filled block by block as it is decoded.
struct ImportedSound {
    std::int64_t sampleRateHz = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;  // one per frame
    std::int64_t clippedSamples = 0;

    // Appends the first channel of `frames` interleaved frames of `channels` samples each.
    void appendFirstChannel(const double* interleaved, std::int64_t frames);
};

// The refusals of the import besides those it shares with WAV files.
WavLoadResult soundTooLongRefusal();
WavLoadResult unreadableSoundRefusal(const char* reason);
WavLoadResult soundReadErrorRefusal(const char* reason);

// Loads a decoded sound into the recorder's strike record as a WAV file is loaded: up to 48000
// frames are copied after the 6000-sample lead-in of zeros (at most 42000 frames); a longer
// sound is kept and read from its start. Refuses a sample rate outside 3000..500000 Hz and a
// sound longer than ten minutes. Sets the analysis pending; on failure the previous strike is
// left untouched. User-interface thread only.
WavLoadResult loadImportedSound(ImportedSound&& sound, StrikeRecorder& recorder);

}  // namespace tomaro
