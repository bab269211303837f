#pragma once

// Runs the built tomaro-analyze on WAV files written here, with XDG_CONFIG_HOME pointing at a
// fresh folder so that the user's own settings are never read or written.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/ProgramRunner.h"
#include "support/TempFolder.h"
#include "support/Tone.h"
#include "support/WavBuilder.h"

namespace tomaro::test {

using Json = nlohmann::json;

inline constexpr double kTwoPi = Tone::kTwoPi;

// A canonical PCM WAV file: channel c of frame i is sample(i, c), held to 16 bits (an 8-bit
// header over 16-bit samples for `bits` 8: such a file is refused for its header).
inline std::string wavBytes(int rateHz, int channels, int bits, int frames,
                            const std::function<double(int, int)>& sample) {
    WavBuilder wav;
    wav.sampleRateHz = static_cast<std::uint32_t>(rateHz);
    wav.channels = static_cast<std::uint16_t>(channels);
    wav.bitsPerSample = static_cast<std::uint16_t>(bits);
    const std::vector<unsigned char> bytes = wav.fill(frames, sample).bytes();
    return std::string(bytes.begin(), bytes.end());
}

// A tom-like strike: 10000 * e^(-t / 0.3) * cos(2 pi f t) from the first frame on, loud junk on
// the other channels.
inline std::function<double(int, int)> strike(double frequencyHz, int rateHz) {
    const Tone tone{frequencyHz, 10000.0, 0.3};
    return [=](int i, int channel) {
        if (channel > 0) return (i * 7919 % 65536) - 32768.0;
        return tone.at(static_cast<double>(i) / rateHz);
    };
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AnalyzeProgram : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(configDir()); }

    std::filesystem::path configDir() const { return m_Dir / "config"; }
    std::filesystem::path settingsFile() const { return configDir() / "Harnwick" / "Tomaro.conf"; }

    std::string write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path path = m_Dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // The user's stored settings, as the settings store keeps them on Linux.
    void storeSettings(const std::string& iniLines) {
        std::filesystem::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile()) << "[Tomaro1_5_demo2]\n" << iniLines;
    }

    using Output = ProgramOutput;

    ProgramRun run(const std::vector<std::string>& arguments, Output output = Output::File,
                   const std::vector<std::string>& moreEnvironment = {}) {
        return m_Program.run(arguments, output, moreEnvironment);
    }

    TempFolder m_Folder{"cli"};
    const std::filesystem::path m_Dir = m_Folder.path();
    ProgramRunner m_Program =
        ProgramRunner(TOMARO_ANALYZE_PROGRAM, m_Dir).set("XDG_CONFIG_HOME", configDir().string());
};

}  // namespace tomaro::test
