#include "audio/SoundImport.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "audio/StrikeRecorder.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

constexpr int kCopiedFramesMax = kStrikeLength - kLeadInLength;  // 42000

}  // namespace

std::int16_t toSample16(double value, std::int64_t& clipped) {
    if (std::isnan(value)) return 0;
    const double scaled = std::round(value * 32768.0);
    if (scaled > 32767.0) {
        ++clipped;
        return 32767;
    }
    if (scaled < -32768.0) {
        ++clipped;
        return -32768;
    }
    return static_cast<std::int16_t>(scaled);
}

void ImportedSound::appendFirstChannel(const double* interleaved, std::int64_t frames) {
    const std::size_t stride = static_cast<std::size_t>(std::max(channels, 1));
    for (std::int64_t i = 0; i < frames; ++i) {
        samples.push_back(
            toSample16(interleaved[static_cast<std::size_t>(i) * stride], clippedSamples));
    }
}

WavLoadResult soundTooLongRefusal() {
    return soundFileRefusal(
        pick("Звук в этом файле длиннее 10 минут: импортирую только звуки до 10 минут !",
             "The sound in this file is longer than 10 minutes: only sounds of up to 10 "
             "minutes are imported!"));
}

WavLoadResult unreadableSoundRefusal(const char* reason) {
    return soundFileRefusal(std::string(pick("Не могу прочитать звук из этого файла !\n",
                                             "Cannot read the sound of this file!\n")) +
                            reason);
}

WavLoadResult soundReadErrorRefusal(const char* reason) {
    return soundFileRefusal(std::string(pick("Ошибка при чтении звука из файла !\n",
                                             "Error while reading the sound of the file!\n")) +
                            reason);
}

WavLoadResult loadImportedSound(ImportedSound&& sound, StrikeRecorder& recorder) {
    if (!fileRateAccepted(sound.sampleRateHz)) return sampleRateRefusal(sound.sampleRateHz);
    const std::int64_t frames = static_cast<std::int64_t>(sound.samples.size());
    if (frames > importFrameLimit(sound.sampleRateHz)) return soundTooLongRefusal();
    if (!recorder.claimForFile()) return strikeBusyRefusal();

    StrikeRecord& record = recorder.record();
    record.releaseDirectFile();
    record.buffer.fill(0);

    WavLoadResult result;
    result.ok = true;
    result.channels = sound.channels;
    result.sampleRateHz = static_cast<int>(sound.sampleRateHz);
    result.frames = frames;
    result.clippedSamples = sound.clippedSamples;
    if (frames > kStrikeLength) {
        result.direct = true;
        record.heldSamples = std::move(sound.samples);
        record.directSamples = record.heldSamples.data();
        // Ten minutes at 500000 Hz are 300 million frames: they fit the record's int.
        record.sampleCount =
            static_cast<int>(std::min<std::int64_t>(frames, std::numeric_limits<int>::max()));
        record.startIndex = 0;
    } else {
        const int copied = static_cast<int>(std::min<std::int64_t>(frames, kCopiedFramesMax));
        std::copy_n(sound.samples.begin(), copied, record.buffer.begin() + kLeadInLength);
        record.sampleCount = kStrikeLength;
        record.startIndex = kLeadInLength;
    }
    record.sampleRateHz = static_cast<double>(sound.sampleRateHz);
    record.fromFile = true;
    // A sound need not start at its hit either: its front is looked for as a WAV file's is.
    result.frontFrame =
        record.placeStrikeFront(recorder.threshold(), result.direct ? 0 : kLeadInLength);
    recorder.strikeReplaced();
    return result;
}

}  // namespace tomaro
