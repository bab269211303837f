#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/UserMessage.h"

namespace tomaro {

class StrikeRecorder;

// The 16-byte PCM format block of a WAV file (all fields little-endian in the file).
struct WavFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRateHz = 0;
    std::uint32_t averageBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

struct WavHeader {
    WavFormat format;
    std::uint64_t dataOffset = 0;  // byte offset of the data chunk's first byte in the file
    std::uint64_t dataSize = 0;    // the data chunk's declared size in bytes (may exceed the file)
};

// Checks the RIFF/WAVE header of a whole file held in memory (`size` bytes at `bytes`) and finds
// its data chunk. Returns nothing when the header is usable, else the refusal for the user
// (caption "Tomaro", an error). Never reads outside the given bytes.
std::optional<UserMessage> parseWavHeader(const unsigned char* bytes, std::size_t size,
                                          WavHeader& header);

// What loading a sound file into the strike record gave: the file's shape when it is loaded, the
// refusal when it is not (caption "Tomaro", an error). Not loaded without a message: the user
// cancelled the import.
struct WavLoadResult {
    bool ok = false;
    std::optional<UserMessage> message;  // for the message box when !ok
    bool direct = false;                 // the file is read in place (more than 48000 frames)
    int channels = 0;
    int sampleRateHz = 0;
    std::int64_t frames = 0;  // frames of the file itself
    int frontFrame = -1;      // strike front in the file's frames (-1: none, or not searched)
    // Imported sounds only: samples that did not fit in 16 bits and were held to full scale.
    std::int64_t clippedSamples = 0;
};

// A sound file refused with `text` (UTF-8, in the current language): caption "Tomaro", an error.
WavLoadResult soundFileRefusal(std::string text);

// The sample rates a sound file may have, in Hz (inclusive), and the refusal of any other.
inline constexpr std::int64_t kMinimumFileRateHz = 3000;
inline constexpr std::int64_t kMaximumFileRateHz = 500000;
bool fileRateAccepted(std::int64_t rateHz);
WavLoadResult sampleRateRefusal(std::int64_t rateHz);

// The refusal when a live strike is being recorded and the strike buffer cannot be taken.
WavLoadResult strikeBusyRefusal();

// The refusal of a file that cannot be opened ("не могу открыть файл !!! "), for WAV files and
// the import alike.
WavLoadResult fileOpenRefusal();

// Shortest path the open command acts on: anything shorter ends the command silently.
inline constexpr std::size_t kMinimumPathLength = 3;

// Loads a WAV file into the recorder's strike record: up to 48000 frames are copied after a
// 6000-sample lead-in of zeros (at most 42000 frames); longer files stay mapped and are read in
// place. Sets the analysis pending. On failure the previous strike is left untouched.
//
// With `frontThreshold` (the threshold `m_Porog`) the strike front is searched in the file as the
// live trigger finds it: the first sample of the first channel whose absolute value is above the
// threshold. When it lies more than 6000 frames (the live lead-in) into the data, the record's
// start index becomes that frame, so the analysed stretch counts from the hit; a file that starts
// with its hit keeps the usual start index (6000 copied, 0 in place). The record's frontFound
// tells whether any sample was above the threshold. The samples and the modes are the same either
// way. User-interface thread only.
WavLoadResult loadWavFile(const std::string& path, StrikeRecorder& recorder,
                          std::optional<int> frontThreshold = std::nullopt);

}  // namespace tomaro
