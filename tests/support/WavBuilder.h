#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tomaro::test {

// Writes `bytes` to a new file at `path` (nothing when it cannot be made).
inline void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Builds WAV file bytes for tests: a RIFF/WAVE header with a 16-byte PCM format block (or a
// larger one), optional extra chunks before the data, and the samples as given.
struct WavBuilder {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t sampleRateHz = 48000;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t formatChunkSize = 16;
    std::vector<std::pair<std::string, std::vector<unsigned char>>> chunksBeforeData;
    std::vector<std::int16_t> samples;   // interleaved frames
    std::int64_t declaredDataSize = -1;  // -1: the real size

    // `frames` frames of `channels` channels: channel c of frame i is sample(i, c), rounded to
    // the nearest (halves away from zero) and held to 16 bits. Returns the builder.
    WavBuilder& fill(int frames, const std::function<double(int frame, int channel)>& sample) {
        samples.clear();
        samples.reserve(static_cast<std::size_t>(frames) * channels);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double value = std::clamp(std::round(sample(i, c)), -32768.0, 32767.0);
                samples.push_back(static_cast<std::int16_t>(value));
            }
        }
        return *this;
    }

    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> out;
        auto put32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
        };
        auto put16 = [&](std::uint16_t v) {
            out.push_back(static_cast<unsigned char>(v));
            out.push_back(static_cast<unsigned char>(v >> 8));
        };
        auto putTag = [&](const char* tag) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
        };
        putTag("RIFF");
        put32(0);  // patched below
        putTag("WAVE");
        putTag("fmt ");
        put32(formatChunkSize);
        put16(formatTag);
        put16(channels);
        put32(sampleRateHz);
        const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
        put32(sampleRateHz * blockAlign);
        put16(blockAlign);
        put16(bitsPerSample);
        for (std::uint32_t i = 16; i < formatChunkSize; ++i) out.push_back(0);
        for (const auto& [tag, body] : chunksBeforeData) {
            putTag(tag.c_str());
            put32(static_cast<std::uint32_t>(body.size()));
            for (unsigned char b : body) out.push_back(b);
        }
        putTag("data");
        const std::uint32_t realSize = static_cast<std::uint32_t>(samples.size() * 2);
        put32(declaredDataSize >= 0 ? static_cast<std::uint32_t>(declaredDataSize) : realSize);
        for (std::int16_t s : samples) put16(static_cast<std::uint16_t>(s));
        const std::uint32_t riffSize = static_cast<std::uint32_t>(out.size() - 8);
        for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<unsigned char>(riffSize >> (8 * i));
        return out;
    }

    // Writes bytes() to `path`; returns the path.
    std::string writeTo(const std::string& path) const {
        writeFile(path, bytes());
        return path;
    }
};

}  // namespace tomaro::test
