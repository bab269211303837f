#include "audio/StrikeRecord.h"

#include <algorithm>

#include "audio/MappedFile.h"

namespace tomaro {

StrikeRecord::StrikeRecord() = default;
StrikeRecord::~StrikeRecord() = default;

SampleSource StrikeRecord::source() const {
    SampleSource source;
    source.frameCount = sampleCount;
    if (directData != nullptr) {
        source.fileBytes = directData;
        source.frameStrideBytes = directChannels * 2;
        if (directMapping != nullptr) {
            // Only the frames the file still holds: it may have been cut short meanwhile.
            const std::size_t offset = static_cast<std::size_t>(directData - directMapping->data());
            const std::size_t present = directMapping->bytesStillInFile();
            const std::size_t frames =
                present > offset ? (present - offset) / source.frameStrideBytes : 0;
            if (frames < static_cast<std::size_t>(source.frameCount)) {
                source.frameCount = static_cast<int>(frames);
            }
        }
    } else if (directSamples != nullptr) {
        source.native = directSamples;
    } else {
        source.native = buffer.data();
        source.frameStrideBytes = 2;
    }
    return source;
}

int findStrikeFront(const SampleSource& source, int threshold, int from, double sampleRateHz) {
    const double limit = std::max(from, 0) + kFrontSearchSec * std::max(sampleRateHz, 0.0);
    const int end = limit < source.frameCount ? static_cast<int>(limit) : source.frameCount;
    for (int frame = std::max(from, 0); frame < end; ++frame) {
        const int value = source.at(frame);
        if (value > threshold || -value > threshold) return frame;
    }
    return -1;
}

int StrikeRecord::placeStrikeFront(int threshold, int dataStart) {
    const int front = findStrikeFront(source(), threshold, dataStart, sampleRateHz);
    frontFound = front >= 0;
    if (front - dataStart > kLeadInLength) startIndex = front;
    return front >= 0 ? front - dataStart : -1;
}

void StrikeRecord::releaseDirectFile() {
    directFile.reset();
    directMapping = nullptr;
    directData = nullptr;
    directChannels = 0;
    directSamples = nullptr;
    std::vector<std::int16_t>().swap(heldSamples);  // up to ten minutes of sound: give it back
}

}  // namespace tomaro
