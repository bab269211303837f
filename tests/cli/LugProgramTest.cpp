// tomaro-analyze --lugs on taps whose truth is known: an even head reads even, a known pair reads
// its split and axis, and every reading lies inside its band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "support/ProgramRunner.h"
#include "support/TempFolder.h"
#include "support/Tone.h"
#include "support/WavBuilder.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using test::Tone;

constexpr double kTwoPi = Tone::kTwoPi;
constexpr int kRateHz = 48000;

// One second of decaying tones after 0.1 s of quiet, a stick's click and noise 60 dB down.
test::WavBuilder strikeOf(std::vector<Tone> tones, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, kTwoPi);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (Tone& tone : tones) tone.phaseRad = phase(random);
    test::WavBuilder wav;
    wav.fill(kRateHz, [&](int n, int) {
        const double t = n / double(kRateHz) - 0.1;
        double value = 8.0 * noise(random);
        if (t >= 0.0) {
            for (const Tone& tone : tones) value += tone.at(t);
            if (t < 0.002) value += 5000.0 * std::exp(-t / 0.0004) * noise(random);
        }
        return value;
    });
    return wav;
}

struct ProgramResult {
    int exitCode = -1;
    std::vector<Json> rods;
    Json head;
    std::string err;
};

class LugProgram : public ::testing::Test {
protected:
    std::string writeStrike(const std::string& name, const std::vector<Tone>& tones) {
        return strikeOf(tones, ++m_Seed).writeTo(m_Folder.file(name));
    }

    // The same tones at every rod.
    std::vector<std::string> evenTaps(int rods, const std::vector<Tone>& tones) {
        std::vector<std::string> files;
        for (int rod = 1; rod <= rods; ++rod) {
            files.push_back(writeStrike("rod" + std::to_string(rod) + ".wav", tones));
        }
        return files;
    }

    ProgramResult run(const std::vector<std::string>& arguments) {
        std::vector<std::string> line = {"--json", "--lang", "en"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const test::ProgramRun run = m_Program.run(line);
        ProgramResult result;
        result.exitCode = run.exitCode;
        for (const Json& json : run.jsonLines()) {
            if (json.contains("lugs")) {
                result.head = json["lugs"];
            } else if (json.contains("lug")) {
                result.rods.push_back(json);
            }
        }
        result.err = run.err;
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

    test::TempFolder m_Folder{"lugs"};
    test::ProgramRunner m_Program = test::ProgramRunner(TOMARO_ANALYZE_PROGRAM, m_Folder.path())
                                        .set("XDG_CONFIG_HOME", m_Folder.file("config"));
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
    const std::string state = m_Folder.file("head.learn");
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
