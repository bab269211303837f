// Arbitrary bytes as a WAV file: the header parse over the bytes in memory, then the whole load
// through a real file, and a read of every sample the strike record then offers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tomaro::WavHeader header;
    tomaro::parseWavHeader(data, size, header);

    static const std::string path = "/tmp/tomaro_fuzz_wav_" + std::to_string(::getpid()) + ".wav";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    static tomaro::StrikeRecord record;
    static tomaro::StrikeRecorder recorder(record);
    tomaro::WavLoadResult result = tomaro::loadWavFile(path, recorder);
    if (result.ok) {
        const tomaro::SampleSource source = record.source();
        int sum = 0;
        for (int i = 0; i < source.frameCount; ++i) sum += source.at(i);
        if (sum == 0x7fffffff) std::puts("");  // keeps the reads from being optimised away
        recorder.paintStep();
    }
    ::unlink(path.c_str());
    return 0;
}
