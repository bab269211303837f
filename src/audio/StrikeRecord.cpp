#include "audio/StrikeRecord.h"

#include "audio/MappedFile.h"

namespace tomaro {

StrikeRecord::StrikeRecord() = default;
StrikeRecord::~StrikeRecord() = default;

SampleSource StrikeRecord::source() const {
    SampleSource source;
    if (directData != nullptr) {
        source.fileBytes = directData;
        source.frameStrideBytes = directChannels * 2;
    } else {
        source.native = buffer.data();
        source.frameStrideBytes = 2;
    }
    source.frameCount = sampleCount;
    return source;
}

void StrikeRecord::releaseDirectFile() {
    directFile.reset();
    directData = nullptr;
    directChannels = 0;
}

}  // namespace tomaro
