// tomaro-analyze --lugs on taps whose truth is known: an even head reads even, a known pair reads
// its split and axis, and every reading lies inside its band.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/WavBuilder.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kRateHz = 48000;

struct Tone {
    double hz;
    double amplitude;
    double tauSec;
};

// One second of decaying tones after 0.1 s of quiet, a stick's click and noise 60 dB down.
std::vector<std::int16_t> strikeOf(const std::vector<Tone>& tones, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, kTwoPi);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> phases;
    for (std::size_t i = 0; i < tones.size(); ++i) phases.push_back(phase(random));
    std::vector<std::int16_t> samples(kRateHz);
    for (int n = 0; n < kRateHz; ++n) {
        const double t = n / double(kRateHz) - 0.1;
        double value = 8.0 * noise(random);
        if (t >= 0.0) {
            for (std::size_t i = 0; i < tones.size(); ++i) {
                value += tones[i].amplitude * std::exp(-t / tones[i].tauSec) *
                         std::cos(kTwoPi * tones[i].hz * t + phases[i]);
            }
            if (t < 0.002) value += 5000.0 * std::exp(-t / 0.0004) * noise(random);
        }
        samples[n] = static_cast<std::int16_t>(std::clamp(std::round(value), -32768.0, 32767.0));
    }
    return samples;
}

struct ProgramResult {
    int exitCode = -1;
    std::vector<Json> rods;
    Json head;
    std::string err;
};

class LugProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tomaro-lugs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    std::string writeStrike(const std::string& name, const std::vector<Tone>& tones) {
        test::WavBuilder wav;
        wav.samples = strikeOf(tones, ++m_Seed);
        const fs::path path = m_Dir / name;
        test::writeFile(path.string(), wav.bytes());
        return path.string();
    }

    // The same tones at every rod.
    std::vector<std::string> evenTaps(int rods, const std::vector<Tone>& tones) {
        std::vector<std::string> files;
        for (int rod = 1; rod <= rods; ++rod) {
            files.push_back(writeStrike("rod" + std::to_string(rod) + ".wav", tones));
        }
        return files;
    }

    ProgramResult run(std::vector<std::string> arguments) {
        std::string command = "XDG_CONFIG_HOME='" + (m_Dir / "config").string() + "' '" +
                              TOMARO_ANALYZE_PROGRAM + "' --json --lang en";
        for (const std::string& argument : arguments) command += " '" + argument + "'";
        command += " >'" + (m_Dir / "out").string() + "' 2>'" + (m_Dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        ProgramResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream out(m_Dir / "out");
        for (std::string line; std::getline(out, line);) {
            const Json json = Json::parse(line);
            if (json.contains("lugs")) {
                result.head = json["lugs"];
            } else if (json.contains("lug")) {
                result.rods.push_back(json);
            }
        }
        std::ifstream err(m_Dir / "err");
        result.err.assign(std::istreambuf_iterator<char>(err), {});
        return result;
    }

    // Every reading lies inside the band the head reports.
    static void expectReadingsInBand(const ProgramResult& result) {
        ASSERT_TRUE(result.head.contains("band_hz"));
        const double lo = result.head["band_hz"][0].get<double>();
        const double hi = result.head["band_hz"][1].get<double>();
        for (const Json& rod : result.rods) {
            if (rod["lug_hz"].is_null()) continue;
            EXPECT_GE(rod["lug_hz"].get<double>(), lo) << rod.dump();
            EXPECT_LE(rod["lug_hz"].get<double>(), hi) << rod.dump();
        }
    }

    static void expectEven(const ProgramResult& result, double hz) {
        SCOPED_TRACE(result.head.dump());
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(result.head["even"].get<bool>());
        EXPECT_TRUE(result.head["split_cents"].is_null() ||
                    result.head["split_cents"].get<double>() < 4.0);
        for (const Json& adjust : result.head["adjust"]) EXPECT_EQ(adjust["action"], "ok");
        for (const Json& rod : result.rods) {
            ASSERT_FALSE(rod["lug_hz"].is_null()) << rod.dump();
            EXPECT_NEAR(rod["lug_hz"].get<double>(), hz, 0.01 * hz);
        }
        expectReadingsInBand(result);
    }

    // Taps of 8 rods on a head whose (1,1) pair is `splitCents` apart around 220 Hz, the upper
    // member ringing most on the axis at `axisDeg` (rod 1 at 0°).
    std::vector<std::string> pairTaps(double splitCents, double axisDeg, const std::string& tag) {
        const double lo = 220.0 * std::exp2(-splitCents / 2400.0);
        const double hi = 220.0 * std::exp2(splitCents / 2400.0);
        std::vector<std::string> files;
        for (int rod = 1; rod <= 8; ++rod) {
            const double theta = kTwoPi * ((rod - 1) / 8.0 - axisDeg / 360.0);
            const double c = std::cos(theta), s = std::sin(theta);
            files.push_back(writeStrike(tag + std::to_string(rod) + ".wav",
                                        {{hi, 8000.0 * std::max(c * c, 0.03), 0.45},
                                         {lo, 8000.0 * std::max(s * s, 0.03), 0.42}}));
        }
        return files;
    }

    fs::path m_Dir;
    unsigned m_Seed = 0;
};

TEST_F(LugProgram, IdenticalTapsReadEvenWhateverPlacesTheBand) {
    // The band from a centre strike at 196.7 Hz (1.525 x 196.7 = 300 Hz).
    const auto taps300 = evenTaps(4, {{300.0, 8000.0, 0.45}, {198.0, 3000.0, 0.2}});
    const std::string centre = writeStrike("centre.wav", {{196.7, 9000.0, 0.3}});
    std::vector<std::string> arguments{"--lugs", "4", "--centre", centre};
    arguments.insert(arguments.end(), taps300.begin(), taps300.end());
    expectEven(run(arguments), 300.0);

    // The band from the rods alone, with the head's 0.66x and 1.34x partners.
    const auto taps250 =
        evenTaps(6, {{250.0, 8000.0, 0.45}, {165.0, 4000.0, 0.2}, {335.0, 6000.0, 0.25}});
    arguments = {"--lugs", "6"};
    arguments.insert(arguments.end(), taps250.begin(), taps250.end());
    expectEven(run(arguments), 250.0);
}

TEST_F(LugProgram, ARodsFundamentalOrAnOctaveBelowIsNotTakenForTheOneOne) {
    // A weaker 0.66x (the fundamental the tap also rings) or 0.5x tone: the band stays on the
    // 200 Hz (1,1) family.
    for (double below : {132.0, 100.0}) {
        const auto taps = evenTaps(6, {{200.0, 7000.0, 0.45}, {below, 3500.0, 0.3}});
        std::vector<std::string> arguments{"--lugs", "6"};
        arguments.insert(arguments.end(), taps.begin(), taps.end());
        SCOPED_TRACE(below);
        expectEven(run(arguments), 200.0);
    }
}

TEST_F(LugProgram, AKnownPairReadsItsSplitAndAxis) {
    // Members 50 cents apart around 220 Hz on 8 rods: the upper one rings at rods 1 and 5 (the
    // tight axis at 0°), the lower at 3 and 7, both at the diagonals.
    const double lo = 220.0 * std::exp2(-25.0 / 1200.0);
    const double hi = 220.0 * std::exp2(25.0 / 1200.0);
    std::vector<std::string> arguments{"--lugs", "8", "--order", "clockwise"};
    for (int rod = 1; rod <= 8; ++rod) {
        const double theta = kTwoPi * (rod - 1) / 8.0;
        const double c = std::cos(theta), s = std::sin(theta);
        arguments.push_back(writeStrike("rod" + std::to_string(rod) + ".wav",
                                        {{hi, 8000.0 * std::max(c * c, 0.03), 0.45},
                                         {lo, 8000.0 * std::max(s * s, 0.03), 0.42}}));
    }
    const ProgramResult result = run(arguments);
    SCOPED_TRACE(result.head.dump());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    ASSERT_FALSE(result.head["split_cents"].is_null());
    EXPECT_NEAR(result.head["split_cents"].get<double>(), 50.0, 2.0);
    ASSERT_FALSE(result.head["axis_deg"].is_null());
    const double axis = result.head["axis_deg"].get<double>();
    EXPECT_LT(std::min(axis, 180.0 - axis), 10.0);
    EXPECT_FALSE(result.head["even"].get<bool>());
    // Rods 1 and 5 sharp (to be loosened), 3 and 7 flat.
    for (const Json& adjust : result.head["adjust"]) {
        const int lug = adjust["lug"].get<int>();
        if (lug == 1 || lug == 5) {
            EXPECT_EQ(adjust["action"], "loosen");
        } else if (lug == 3 || lug == 7) {
            EXPECT_EQ(adjust["action"], "tighten");
        }
    }
    expectReadingsInBand(result);
}

TEST_F(LugProgram, EqualMembersAtEveryRodShowNoAxisAndAskForAnotherTap) {
    std::vector<std::string> arguments{"--lugs", "6"};
    const double lo = 220.0 * std::exp2(-10.0 / 1200.0);
    const double hi = 220.0 * std::exp2(10.0 / 1200.0);
    const auto taps = evenTaps(6, {{lo, 6000.0, 0.45}, {hi, 6000.0, 0.45}});
    arguments.insert(arguments.end(), taps.begin(), taps.end());
    const ProgramResult result = run(arguments);
    SCOPED_TRACE(result.head.dump());
    ASSERT_FALSE(result.head["split_cents"].is_null());
    EXPECT_NEAR(result.head["split_cents"].get<double>(), 20.0, 2.0);
    EXPECT_TRUE(result.head["axis_deg"].is_null());
    EXPECT_TRUE(result.head["tap_again"].get<bool>());
    EXPECT_FALSE(result.head["even"].get<bool>());
}

TEST_F(LugProgram, ACentreStrikeOfAnotherDrumReadsNoRodAndExitsThree) {
    const auto taps = evenTaps(4, {{300.0, 8000.0, 0.45}});
    const std::string centre = writeStrike("centre.wav", {{45.0, 12000.0, 0.3}});
    std::vector<std::string> arguments{"--lugs", "4", "--centre", centre};
    arguments.insert(arguments.end(), taps.begin(), taps.end());
    const ProgramResult result = run(arguments);
    EXPECT_EQ(result.exitCode, 3);
    ASSERT_EQ(result.rods.size(), 4u);
    for (const Json& rod : result.rods) {
        EXPECT_TRUE(rod["lug_hz"].is_null());
        EXPECT_EQ(rod["not_read"], "no tone in the rod's band");
    }
    EXPECT_FALSE(result.head["band_confirmed"].get<bool>());
    EXPECT_NE(result.err.find("not confirmed by the rods"), std::string::npos) << result.err;
}

TEST_F(LugProgram, LearntResponseShrinksTheAdviceAfterAnOverTurnedPass) {
    const std::string state = (m_Dir / "head.learn").string();
    std::vector<std::string> arguments{"--lugs", "8", "--order", "clockwise", "--learn", state};
    auto first = arguments;
    for (const auto& file : pairTaps(50.0, 0.0, "a")) first.push_back(file);
    const ProgramResult before = run(first);
    EXPECT_EQ(before.exitCode, 0) << before.err;
    EXPECT_DOUBLE_EQ(before.head["advice_scale"].get<double>(), 1.0);
    ASSERT_TRUE(fs::exists(state));
    // The advice was followed 1.7 times over: the pattern flipped to 35 cents across the axis.
    auto second = arguments;
    for (const auto& file : pairTaps(35.0, 90.0, "b")) second.push_back(file);
    const ProgramResult after = run(second);
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_LT(after.head["advice_scale"].get<double>(), 0.85);
    EXPECT_FALSE(after.head["advice_reduced"].get<bool>());
    // A state that is not one is said, left as it is, and the pass is read all the same.
    std::ofstream(state) << "not a state\n";
    const ProgramResult damaged = run(second);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("not a head's learnt response"), std::string::npos);
    EXPECT_EQ(damaged.rods.size(), 8u);
    std::ifstream in(state);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "not a state");
}

}  // namespace
}  // namespace tomaro
