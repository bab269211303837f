// Runs the built tomaro-analyze on WAV files written here, with XDG_CONFIG_HOME pointing at a
// fresh folder so that the user's own settings are never read or written.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "kit/Kit.h"
#include "kit/KitFile.h"
#include "support/DrumHeadModel.h"
#include "support/InEnglish.h"

extern char** environ;

namespace tomaro {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr double kTwoPi = 6.283185307179586476925286766559;

void put16(std::string& bytes, unsigned value) {
    bytes += static_cast<char>(value & 0xff);
    bytes += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string& bytes, std::uint32_t value) {
    put16(bytes, value & 0xffff);
    put16(bytes, value >> 16);
}

// A canonical PCM WAV file: channel c of frame i is sample(i, c) (16-bit) or 128 (8-bit).
std::string wavBytes(int rateHz, int channels, int bits, int frames,
                     const std::function<double(int, int)>& sample) {
    std::string data;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data += static_cast<char>(128);
            } else {
                const double value = std::clamp(std::round(sample(i, c)), -32768.0, 32767.0);
                put16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
            }
        }
    }
    std::string bytes = "RIFF";
    put32(bytes, static_cast<std::uint32_t>(36 + data.size()));
    bytes += "WAVEfmt ";
    put32(bytes, 16);
    put16(bytes, 1);
    put16(bytes, channels);
    put32(bytes, rateHz);
    put32(bytes, rateHz * channels * bits / 8);
    put16(bytes, channels * bits / 8);
    put16(bytes, bits);
    bytes += "data";
    put32(bytes, static_cast<std::uint32_t>(data.size()));
    return bytes + data;
}

// A tom-like strike: 10000 * e^(-t / 0.3) * cos(2 pi f t) from the first frame on.
std::function<double(int, int)> strike(double frequencyHz, int rateHz) {
    return [=](int i, int channel) {
        if (channel > 0) return (i * 7919 % 65536) - 32768.0;  // loud junk on other channels
        const double t = static_cast<double>(i) / rateHz;
        return 10000 * std::exp(-t / 0.3) * std::cos(kTwoPi * frequencyHz * t);
    };
}

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<Json> jsonLines() const {
        std::vector<Json> lines;
        std::istringstream stream(out);
        for (std::string line; std::getline(stream, line);) lines.push_back(Json::parse(line));
        return lines;
    }
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AnalyzeProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tomaro-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
        fs::create_directories(configDir());
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    fs::path configDir() const { return m_Dir / "config"; }
    fs::path settingsFile() const { return configDir() / "Harnwick" / "Tomaro.conf"; }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_Dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // The user's stored settings, as the settings store keeps them on Linux.
    void storeSettings(const std::string& iniLines) {
        fs::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile()) << "[Tomaro1_5_demo2]\n" << iniLines;
    }

    // Where the program's standard output goes.
    // Pipe: a pipe whose reading end is already closed, as after `| head -1`.
    enum class Output { File, Full, Closed, Pipe };

    ProgramRun run(const std::vector<std::string>& arguments, Output output = Output::File,
                   const std::vector<std::string>& moreEnvironment = {}) {
        std::vector<std::string> environment;
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::string(*e).rfind("XDG_CONFIG_HOME=", 0) != 0) environment.push_back(*e);
        }
        environment.push_back("XDG_CONFIG_HOME=" + configDir().string());
        environment.insert(environment.end(), moreEnvironment.begin(), moreEnvironment.end());
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);

        std::vector<std::string> args = {TOMARO_ANALYZE_PROGRAM};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);

        const std::string outPath = (m_Dir / "stdout").string();
        const std::string errPath = (m_Dir / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeEnd = -1;
        if (output == Output::File) {
            posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        } else if (output == Output::Full) {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
        } else if (output == Output::Pipe) {
            int ends[2] = {-1, -1};
            if (::pipe(ends) != 0) ADD_FAILURE() << "no pipe";
            ::close(ends[0]);
            posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
            posix_spawn_file_actions_addclose(&actions, ends[1]);
            pipeEnd = ends[1];
        } else {
            posix_spawn_file_actions_addclose(&actions, 1);
        }
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        // The program starts with the default action of SIGPIPE whatever this test inherited.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t pid = 0;
        ProgramRun result;
        const int spawned =
            posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (pipeEnd >= 0) ::close(pipeEnd);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
            return result;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (output == Output::File) result.out = readFile(outPath);
        result.err = readFile(errPath);
        return result;
    }

    fs::path m_Dir;
};

TEST_F(AnalyzeProgram, ReportsAShortFileCopiedBehindTheLeadIn) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const ProgramRun result = run({"--json", tom});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 1u);
    const Json& r = lines[0];
    EXPECT_EQ(r["file"], tom);
    EXPECT_EQ(r["sample_rate"], 48000);
    EXPECT_EQ(r["channels"], 1);
    EXPECT_EQ(r["frames"], 38400);
    EXPECT_EQ(r["mode"], "copy");
    // Defaults: 0.05 s after the front at 6000, for 0.4 s.
    EXPECT_EQ(r["stretch_start"], 6000 + 2400);
    EXPECT_EQ(r["stretch_end"], 6000 + 21600);
    EXPECT_EQ(r["window"], 1);
    EXPECT_EQ(r["decay"], true);
    EXPECT_EQ(r["search_range_hz"], Json::array({30, 500}));
    EXPECT_EQ(r["peak_bin"], 133);
    EXPECT_EQ(r["peak_hz"].get<double>(), 133 * 48000.0 / 65536);
    EXPECT_NEAR(r["frequency_hz"].get<double>(), 97.3, 0.002);
    EXPECT_NEAR(r["decay_per_sample"].get<double>(), -1 / (0.3 * 48000), 1e-6);
    EXPECT_EQ(r["frequency_text"], "97.30 Гц");
}

TEST_F(AnalyzeProgram, ReadsTheFirstChannelOfALongFileInPlace) {
    const std::string file = write("long.wav", wavBytes(44100, 2, 16, 88200, strike(150.0, 44100)));
    const ProgramRun result = run({"--json", file});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json r = result.jsonLines().at(0);
    EXPECT_EQ(r["mode"], "direct");
    EXPECT_EQ(r["channels"], 2);
    EXPECT_EQ(r["frames"], 88200);
    EXPECT_EQ(r["stretch_start"], 2205);  // the front of a file read in place is its start
    EXPECT_NEAR(r["frequency_hz"].get<double>(), 150.0, 0.002);
}

TEST_F(AnalyzeProgram, RefusedFilesGiveTheLoadersMessageAndExitOne) {
    std::string trailing = wavBytes(48000, 1, 16, 1000, strike(100, 48000)) + "xx";
    const std::string files[] = {
        write("good.wav", wavBytes(48000, 1, 16, 4800, strike(200, 48000))),
        write("rate.wav", wavBytes(2999, 1, 16, 1000, strike(100, 2999))),
        write("trailing.wav", trailing),
        write("eight.wav", wavBytes(8000, 1, 8, 1000, strike(100, 8000))),
        (m_Dir / "missing.wav").string(),
    };
    const ProgramRun result = run({"--json", files[0], files[1], files[2], files[3], files[4]});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].contains("frequency_hz"));
    EXPECT_EQ(lines[1],
              (Json{{"file", files[1]},
                    {"error", "Частота дискретизации этого файла 2999 Гц, какая то не такая!"}}));
    EXPECT_EQ(lines[2]["error"], "Размер RIFF не соответствует !");
    EXPECT_FALSE(lines[3]["error"].get<std::string>().empty());
    EXPECT_EQ(lines[4]["error"], "не могу открыть файл !!! \n");
    EXPECT_EQ(lines[4].size(), 2u);
}

TEST_F(AnalyzeProgram, OutputThatCannotBeWrittenIsAFailure) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 4800, strike(97.3, 48000)));
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--json", tom}, {tom, tom}, {"--help"}, {"--version"}}) {
        const ProgramRun full = run(arguments, Output::Full);
        EXPECT_EQ(full.exitCode, 1) << arguments[0];
        EXPECT_NE(full.err.find("tomaro-analyze: cannot write the output"), std::string::npos)
            << full.err;
        const ProgramRun closed = run(arguments, Output::Closed);
        EXPECT_EQ(closed.exitCode, 1) << arguments[0];
        EXPECT_NE(closed.err.find("tomaro-analyze: cannot write the output"), std::string::npos)
            << closed.err;
        // A reader that went away (`| head -1`): the failed write is said, not a death by SIGPIPE.
        const ProgramRun broken = run(arguments, Output::Pipe);
        EXPECT_EQ(broken.exitCode, 1) << arguments[0];
        EXPECT_NE(broken.err.find("tomaro-analyze: cannot write the output"), std::string::npos)
            << broken.err;
    }
}

TEST_F(AnalyzeProgram, ASilentFileIsRejectedWithExitThreeAndARefusalWins) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const std::string silent =
        write("silent.wav", wavBytes(48000, 1, 16, 30000, [](int, int) { return 0.0; }));
    ProgramRun result = run({"--json", tom, silent});
    EXPECT_EQ(result.exitCode, 3);
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 2u);
    const Json& good = lines[0]["quality"];
    EXPECT_EQ(good["verdict"], "good");
    EXPECT_EQ(good["reasons"], Json::array());
    EXPECT_EQ(good["clipped_in_stretch"], 0);
    EXPECT_EQ(good["clipped_before"], 0);
    EXPECT_NEAR(good["decay_s"].get<double>(), 0.3, 0.01);
    EXPECT_GT(good["fit_snr_db"].get<double>(), 30.0);
    EXPECT_TRUE(good["subharmonic_hz"].is_null());
    EXPECT_NEAR(good["glide_cents"].get<double>(), 0.0, 1.0);
    EXPECT_NEAR(good["level_db"].get<double>(), 20 * std::log10(10000 / 32768.0), 0.1);
    const Json& rejected = lines[1]["quality"];
    EXPECT_EQ(rejected["verdict"], "rejected");
    EXPECT_EQ(rejected["reasons"], Json::array({"no_tone", "no_strike"}));
    EXPECT_TRUE(rejected["decay_s"].is_null());
    EXPECT_TRUE(rejected["rival_hz"].is_null());
    EXPECT_EQ(lines[1]["frequency_text"], "29.30 Гц");  // the reading itself as always

    result = run({silent});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.out.find("  rejected: no_tone no_strike"), std::string::npos) << result.out;
    EXPECT_EQ(run({silent, (m_Dir / "missing.wav").string()}).exitCode, 1);
}

TEST_F(AnalyzeProgram, AFileIsMeasuredFromItsHitAndReportsTheFront) {
    // 0.3 s of quiet hum, then the strike: copied behind the 6000-sample lead-in.
    const auto late = [](int i, int) {
        const double t = i / 48000.0 - 0.3;
        return t < 0 ? 500 * std::sin(kTwoPi * 216 * t)
                     : 10000 * std::exp(-t / 0.3) * std::sin(kTwoPi * 97.3 * t);
    };
    const Json r =
        run({"--json", write("late.wav", wavBytes(48000, 1, 16, 38400, late))}).jsonLines().at(0);
    EXPECT_NEAR(r["front"].get<int>(), 6000 + 14400, 40);
    EXPECT_EQ(r["stretch_start"].get<int>(), r["front"].get<int>() + 2400);
    EXPECT_NEAR(r["frequency_hz"].get<double>(), 97.3, 0.05);
}

TEST_F(AnalyzeProgram, TrackAndSeriesFollowTheStrikesInOrder) {
    const std::string a = write("a.wav", wavBytes(48000, 1, 16, 38400, strike(110.0, 48000)));
    const std::string b = write("b.wav", wavBytes(48000, 1, 16, 38400, strike(110.1, 48000)));
    const std::string silent =
        write("silent.wav", wavBytes(48000, 1, 16, 30000, [](int, int) { return 0.0; }));
    const std::string c = write("c.wav", wavBytes(48000, 1, 16, 38400, strike(117.0, 48000)));
    const ProgramRun result = run({"--json", "--series", "--track", a, b, a, silent, c});
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0]["series"], (Json{{"count", 1},
                                        {"median_hz", lines[0]["frequency_hz"]},
                                        {"spread_cents", 0.0},
                                        {"stable", false},
                                        {"new", true}}));
    EXPECT_EQ(lines[1]["series"]["count"], 2);
    EXPECT_FALSE(lines[1]["series"]["new"].get<bool>());
    EXPECT_EQ(lines[2]["series"]["count"], 3);
    EXPECT_TRUE(lines[2]["series"]["stable"].get<bool>());
    EXPECT_EQ(lines[3]["series"], lines[2]["series"]);  // the rejected strike does not join
    EXPECT_EQ(lines[4]["series"]["count"], 1);          // a rod was turned: 107 cents up
    EXPECT_TRUE(lines[4]["series"]["new"].get<bool>());

    const Json& track = lines[0]["pitch_track"];
    ASSERT_GT(track.size(), 50u);
    EXPECT_NEAR(track[0][0].get<double>(), 0.02, 1e-9);
    // Up to where the windows reach the end of the file's 0.8 s.
    for (const Json& point : track) {
        if (point[0].get<double>() < 0.75) {
            EXPECT_NEAR(point[1].get<double>(), 110.0, 0.5);
        }
    }
    EXPECT_EQ(lines[3]["pitch_track"], Json::array());
    EXPECT_FALSE(run({"--json", a}).jsonLines().at(0).contains("pitch_track"));
}

TEST_F(AnalyzeProgram, BadUsageExitsTwoWithoutOutput) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 4800, strike(97.3, 48000)));
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"--json"}, {"--window", "9", tom}, {"--bogus", tom}, {tom, "--range", "30"}}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
    }
    const ProgramRun help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: tomaro-analyze"), std::string::npos);
}

TEST_F(AnalyzeProgram, OptionsOverrideTheAnalysisForThisRun) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const ProgramRun result = run({"--json", "--decay", "off", "--window", "2", "--range", "600",
                                   "10", "--delay", "0,1", "--length", "0.2", tom});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json r = result.jsonLines().at(0);
    EXPECT_EQ(r["window"], 2);
    EXPECT_EQ(r["decay"], false);
    EXPECT_EQ(r["search_range_hz"], Json::array({20, 600}));
    EXPECT_EQ(r["stretch_start"], 6000 + 4800);
    EXPECT_EQ(r["stretch_end"], 6000 + 14400);
    EXPECT_EQ(r["frequency_hz"], r["peak_hz"]);
    EXPECT_EQ(r["decay_per_sample"], 0.0);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

TEST_F(AnalyzeProgram, RangeBeyondWholeNumbersIsHeldLikeTheDialogsFields) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const ProgramRun result = run({"--json", "--range", "99999999999", "-99999999999", tom});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.jsonLines().at(0)["search_range_hz"], Json::array({20, 2000}));
}

TEST_F(AnalyzeProgram, ReportsTheRangeThatWasSearchedNotTheStoredOne) {
    // Stored values are read as the range fields take them: held to 20..2000 Hz.
    storeSettings("Options\\m_FindF0=3\nOptions\\m_FindF1=90000\n");
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const Json r = run({"--json", "--decay", "off", tom}).jsonLines().at(0);
    EXPECT_EQ(r["search_range_hz"], Json::array({20, 2000}));
    EXPECT_EQ(r["peak_bin"], 133);
}

TEST_F(AnalyzeProgram, SwappedOrEmptyRangesStillFindTheTone) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    storeSettings("Options\\m_FindF0=400\nOptions\\m_FindF1=40\n");
    const Json swapped = run({"--json", tom}).jsonLines().at(0);
    EXPECT_EQ(swapped["search_range_hz"], Json::array({40, 400}));
    EXPECT_NEAR(swapped["frequency_hz"].get<double>(), 97.3, 0.05);

    // Equal bounds search the bins on either side of that frequency.
    const std::string high =
        write("high.wav", wavBytes(48000, 1, 16, 38400, strike(2000.0, 48000)));
    for (const char* stored : {"Options\\m_FindF0=2000\nOptions\\m_FindF1=2000\n",
                               "Options\\m_FindF0=5000\nOptions\\m_FindF1=1000000000\n"}) {
        storeSettings(stored);
        const ProgramRun result = run({"--json", high});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NEAR(result.jsonLines().at(0)["frequency_hz"].get<double>(), 2000.0, 0.05) << stored;
    }
    storeSettings("");
    const ProgramRun cli = run({"--json", "--range", "2000", "2000", high});
    EXPECT_NEAR(cli.jsonLines().at(0)["frequency_hz"].get<double>(), 2000.0, 0.05);
}

TEST_F(AnalyzeProgram, PickedFrequencyFindsAToneOutsideTheRange) {
    const std::string file =
        write("two.wav", wavBytes(48000, 1, 16, 38400, [](int i, int) {
                  const double t = i / 48000.0;
                  return 9000 * std::cos(kTwoPi * 120 * t) + 4000 * std::cos(kTwoPi * 800 * t);
              }));
    const Json plain = run({"--json", file}).jsonLines().at(0);
    EXPECT_NEAR(plain["frequency_hz"].get<double>(), 120.0, 0.01);
    const Json picked = run({"--json", "--pick", "801", file}).jsonLines().at(0);
    EXPECT_NEAR(picked["frequency_hz"].get<double>(), 800.0, 0.01);
}

TEST_F(AnalyzeProgram, UsesTheStoredSettingsAndLeavesThemAlone) {
    storeSettings(
        "CMainDlg\\m_UseAproExp=0\n"
        "CMainDlg\\m_SelectPos=100000\n"
        "CMainDlg\\m_SelectDelta=200000\n"
        "Options\\m_WinVar=0\n");
    const std::string before = readFile(settingsFile());
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));

    const Json stored = run({"--json", tom}).jsonLines().at(0);
    EXPECT_EQ(stored["decay"], false);
    EXPECT_EQ(stored["window"], 0);
    EXPECT_EQ(stored["stretch_start"], 6000 + 4800);
    EXPECT_EQ(stored["stretch_end"], 6000 + 14400);

    const Json overridden =
        run({"--json", "--decay", "on", "--length", "0.3", "--range", "40", "300", tom})
            .jsonLines()
            .at(0);
    EXPECT_EQ(overridden["decay"], true);
    EXPECT_EQ(overridden["stretch_end"], 6000 + 4800 + 14400);
    EXPECT_EQ(readFile(settingsFile()), before);
}

TEST_F(AnalyzeProgram, ReadableLineAndLatinLetters) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const std::string missing = (m_Dir / "none.wav").string();
    const ProgramRun plain = run({tom, missing});
    EXPECT_EQ(plain.exitCode, 1);
    // The standard kit of a fresh installation: 10", 12", 16" and the kick, fundamentals shown.
    EXPECT_EQ(
        plain.out.rfind(
            tom + ": 97.30 Гц  -1, Cоль -12 %  nearest 87.3 Гц (16\")  (peak 97.41 Hz at bin 133",
            0),
        0u)
        << plain.out;
    EXPECT_NE(plain.out.find(missing + ": refused: не могу открыть файл !!!\n"), std::string::npos);

    const ProgramRun latin = run({"--latin", tom});
    EXPECT_EQ(latin.out.rfind(tom + ": 97.30 Hz  2 G  -12 %  nearest 87.3 Hz (16\")  (", 0), 0u)
        << latin.out;
    const Json json = run({"--latin", "--json", tom}).jsonLines().at(0);
    EXPECT_EQ(json["frequency_text"], "97.30 Hz");
    EXPECT_EQ(json["note"], "2 G  -12 %");
    EXPECT_EQ(json["lines"][0]["text"], "97.3 Hz");
}

TEST_F(AnalyzeProgram, TextsFollowTheStoredLanguageOrLang) {
    const std::string tom = write("tom.wav", wavBytes(48000, 1, 16, 38400, strike(97.3, 48000)));
    const std::string missing = (m_Dir / "none.wav").string();
    // A fresh profile reads Russian, whatever the system's locale.
    const ProgramRun fresh =
        run({tom}, Output::File, {"LANG=en_US.UTF-8", "LC_ALL=en_US.UTF-8", "LANGUAGE=en"});
    EXPECT_EQ(fresh.out.rfind(tom + ": 97.30 Гц  -1, Cоль -12 %  nearest 87.3 Гц (16\")", 0), 0u)
        << fresh.out;

    storeSettings("Options\\m_Language=en\n");
    const ProgramRun english = run({tom, missing});
    EXPECT_EQ(english.exitCode, 1);
    EXPECT_EQ(english.out.rfind(tom + ": 97.30 Hz  2 G  -12 ¢  nearest 87.3 Hz (16\")  (", 0), 0u)
        << english.out;
    EXPECT_NE(english.out.find(missing + ": refused: cannot open the file!!!\n"),
              std::string::npos);
    const std::vector<Json> json = run({"--json", tom, missing}).jsonLines();
    EXPECT_EQ(json.at(0)["frequency_text"], "97.30 Hz");
    EXPECT_EQ(json.at(0)["note"], "2 G  -12 ¢");
    EXPECT_EQ(json.at(0)["caption"], "References 155.6, 116.5, 87.3, 43.65 Hz");
    EXPECT_EQ(json.at(0)["lines"][1]["text"], "155.6 Hz for 10\"");
    EXPECT_EQ(json.at(1)["error"], "cannot open the file!!! \n");
    const std::string help = run({"--help"}).out;
    EXPECT_EQ(help.find("Гц"), std::string::npos);
    EXPECT_NE(help.find("--lang ru|en"), std::string::npos);

    // --lang wins over the stored choice for this run, and the choice stays stored.
    const std::string before = readFile(settingsFile());
    EXPECT_EQ(run({"--lang", "ru", tom}).out.rfind(tom + ": 97.30 Гц  -1, Cоль -12 %", 0), 0u);
    EXPECT_EQ(readFile(settingsFile()), before);
    EXPECT_EQ(run({"--lang", "de", tom}).exitCode, 2);
}

// Lug mode in English: the rod lines, a refused rod, the head line and the help hold no Cyrillic;
// the snare goes by "Snare" there and by its stored name "Малый" in Russian.
TEST_F(AnalyzeProgram, LugModeTextsFollowTheLanguage) {
    Kit kit;
    kit.assign({{0, -3, true, 1.5, 0.0}, {19, -31, false, 0.0, 0.0}});
    const std::string kitFile = write("kit.TKit", KitFile::toBytes(kit));
    const double targetHz = 1.5 * 220.0;  // the snare at A 220 Hz, its batter overtone
    const std::string rod1 =
        write("rod1.wav", wavBytes(48000, 1, 16, 38400, strike(targetHz * 0.99, 48000)));
    const std::string rod2 =
        write("rod2.wav", wavBytes(48000, 1, 16, 38400, strike(targetHz * 1.01, 48000)));
    const std::string missing = (m_Dir / "none.wav").string();

    const ProgramRun english = run(
        {"--lang", "en", "--kit", kitFile, "--lugs", "4", "--drum", "Snare", rod1, rod2, missing});
    EXPECT_EQ(english.exitCode, 1) << english.err;
    EXPECT_EQ(english.out.rfind("rod 1: ", 0), 0u) << english.out;
    EXPECT_NE(english.out.find("rod 2: "), std::string::npos) << english.out;
    EXPECT_NE(english.out.find("rod 3: not read  (" + missing + ": refused: cannot open the file"),
              std::string::npos)
        << english.out;
    EXPECT_NE(english.out.find("head: 4 rods, 2 measured, reference "), std::string::npos);
    EXPECT_NE(english.out.find(" Hz (target)"), std::string::npos) << english.out;
    EXPECT_FALSE(test::hasCyrillic(english.out + english.err)) << english.out << english.err;
    EXPECT_FALSE(test::hasCyrillic(run({"--lang", "en", "--help"}).out));

    // In Russian the refused rod says so in Russian, and the snare is "Малый" only.
    const ProgramRun russian =
        run({"--kit", kitFile, "--lugs", "4", "--drum", "Малый", rod1, rod2, missing});
    EXPECT_EQ(russian.exitCode, 1) << russian.err;
    EXPECT_TRUE(test::hasCyrillic(russian.out)) << russian.out;
    const std::size_t rod3 = russian.out.find("rod 3: ");
    ASSERT_NE(rod3, std::string::npos);
    EXPECT_EQ(english.out.substr(0, english.out.find("rod 3: ")), russian.out.substr(0, rod3));
    EXPECT_EQ(run({"--kit", kitFile, "--lugs", "4", "--drum", "Snare", rod1}).exitCode, 2);
}

// The read-out against a kit. The kit file holds 10" (155.56 Hz, overtones x1.5 and x2),
// 12" (116.54 Hz, batter x1.5 = 174.81 Hz), 16" (87.31 Hz) and a kick that is not shown.
class KitReadout : public AnalyzeProgram {
protected:
    void SetUp() override {
        AnalyzeProgram::SetUp();
        Kit kit;
        kit.assign({{6, -9, true, 1.5, 2.0},
                    {8, -14, true, 1.5, 0.0},
                    {12, -19, true, 0.0, 0.0},
                    {19, -31, false, 0.0, 0.0}});
        m_Kit = write("kit.TKit", KitFile::toBytes(kit));
        // Synthetic tones come out within 0.002 Hz, far below every text's resolution.
        m_Tone115 = write("t115.wav", wavBytes(48000, 1, 16, 38400, strike(115.0, 48000)));
        m_Tone175 = write("t175.wav", wavBytes(48000, 1, 16, 38400, strike(175.0, 48000)));
    }

    static std::vector<std::pair<std::string, std::string>> lines(const Json& report) {
        std::vector<std::pair<std::string, std::string>> result;
        for (const Json& line : report["lines"]) result.emplace_back(line["text"], line["color"]);
        return result;
    }

    std::string m_Kit;
    std::string m_Tone115;
    std::string m_Tone175;
};

TEST_F(KitReadout, NamesTheNoteAndTheNearestDrumInTheDrumsColours) {
    const ProgramRun result = run({"--json", "--kit", m_Kit, m_Tone115});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json r = result.jsonLines().at(0);
    EXPECT_EQ(r["note"], "-1, Ля# -23 %");
    EXPECT_NEAR(r["displayed_hz"].get<double>(), 115.0, 0.002);
    EXPECT_NEAR(r["nearest_hz"].get<double>(), 440 * std::pow(2.0, -23 / 12.0), 1e-9);
    EXPECT_EQ(r["nearest_drum"], "12\"");
    EXPECT_EQ(r["nearest_kind"], 0);
    EXPECT_EQ(r["caption"], "Эталоны 155.6, 116.5, 87.3 Гц");
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(lines(r), (Lines{{"115 Гц", "#000000"},
                               {"155.6 Гц для 10\"", "#0000ff"},
                               {"116.5 Гц для 12\"", "#008cf5"},
                               {"87.3 Гц для 16\"", "#beb4ff"},
                               {"", "#000000"},
                               {"-1, Ля# -23 %", "#000000"},
                               {"0, Ре# для 10\"", "#0000ff"},
                               {"-1, Ля# для 12\"", "#008cf5"},
                               {"-1, Фа для 16\"", "#beb4ff"}}));

    const ProgramRun plain = run({"--kit", m_Kit, m_Tone115});
    EXPECT_EQ(
        plain.out.rfind(m_Tone115 + ": 115.00 Гц  -1, Ля# -23 %  nearest 116.5 Гц (12\")  (", 0),
        0u)
        << plain.out;
}

TEST_F(KitReadout, AllSwitchesOffGiveTheRedHintAndNoNearestReference) {
    const Json r =
        run({"--json", "--kit", m_Kit, "--switches", "0,0,0", m_Tone115}).jsonLines().at(0);
    EXPECT_EQ(r["note"], "-1, Ля# -23 %");
    EXPECT_TRUE(r["nearest_hz"].is_null());
    EXPECT_TRUE(r["nearest_drum"].is_null());
    EXPECT_EQ(r["nearest_kind"], -1);
    EXPECT_EQ(r["caption"], "Эталоны - включите отображение ниже");
    using Lines = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(lines(r),
              (Lines{{"115 Гц", "#000000"},
                     {"Включите отображение эталонов: основного тона или обертонов", "#ff0000"},
                     {"", "#000000"},
                     {"-1, Ля# -23 %", "#000000"}}));
}

TEST_F(KitReadout, TransferReadsAStrikeOnAnOvertoneAsTheDrumsFundamental) {
    // Both overtone switches asked for: the resonant one goes off, as in the window.
    const Json off =
        run({"--json", "--kit", m_Kit, "--switches", "0,1,1", "--transfer", "0", m_Tone175})
            .jsonLines()
            .at(0);
    EXPECT_EQ(off["caption"], "Эталоны 233.3, 174.8 Гц");
    EXPECT_NEAR(off["displayed_hz"].get<double>(), 175.0, 0.002);
    EXPECT_NEAR(off["nearest_hz"].get<double>(), 1.5 * 440 * std::pow(2.0, -23 / 12.0), 1e-3);
    EXPECT_EQ(off["nearest_kind"], 1);
    const Json on =
        run({"--json", "--kit", m_Kit, "--switches", "0,1,1", "--transfer", "1", m_Tone175})
            .jsonLines()
            .at(0);
    EXPECT_NEAR(on["displayed_hz"].get<double>(), 175.0 / 1.5, 0.002);
    EXPECT_NEAR(on["nearest_hz"].get<double>(), 440 * std::pow(2.0, -23 / 12.0), 1e-9);
    EXPECT_EQ(on["nearest_drum"], "12\"");
    EXPECT_EQ(on["nearest_kind"], 0);
    EXPECT_EQ(on["note"], "-1, Ля# +2 %");
    EXPECT_EQ(on["lines"][0]["text"], "116.7 Гц из 175");
    const ProgramRun plain =
        run({"--kit", m_Kit, "--switches", "0,1,0", "--transfer", "1", m_Tone175});
    EXPECT_NE(
        plain.out.find(": 175.00 Гц  read as 116.7 Гц  -1, Ля# +2 %  nearest 116.5 Гц (12\")"),
        std::string::npos)
        << plain.out;
}

TEST_F(KitReadout, AKitFileThatCannotBeUsedStopsTheRunWithItsMessage) {
    const std::string empty = write("empty.TKit", "COMMENT nothing here\nBarabanX 1 1 0 0\n");
    const std::string huge = write("huge.TKit", readFile(m_Kit) + std::string(1 << 20, '\n'));
    for (const auto& [kit, message] :
         {std::pair{(m_Dir / "missing.TKit").string(), "Не удалось открыть файл"},
          std::pair{std::string("/dev/zero"), "Не удалось открыть файл"},
          std::pair{huge, "Файл больше 1 МБ - это не файл настроек"},
          std::pair{empty, "Ничего не измелилось"}}) {
        const ProgramRun result = run({"--json", "--kit", kit, m_Tone115});
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
}

TEST_F(KitReadout, StoredReferenceOptionsApplyAndTheKitFileIsNeverStored) {
    storeSettings(
        "CDlgBaraSelect\\Bara_0=1\n"
        "CDlgPresets\\m_sEtoOne=116\n"
        "CDlgPresets\\m_IsNotaGadi=1\n"
        "Options\\m_IsUseEto_M1=1\n"
        "Options\\m_IsUseEto_M2=1\n");
    const std::string before = readFile(settingsFile());

    // The free reference (116 Hz) is nearer than 12" and belongs to no drum; both overtone
    // switches came on from the store, so the resonant one is dropped.
    const Json withKit = run({"--json", "--kit", m_Kit, m_Tone115}).jsonLines().at(0);
    EXPECT_EQ(withKit["nearest_hz"], 116.0);
    EXPECT_TRUE(withKit["nearest_drum"].is_null());
    EXPECT_EQ(withKit["nearest_kind"], 0);
    EXPECT_EQ(withKit["note"], "2 A#  -23 %");
    EXPECT_EQ(withKit["caption"], "Эталоны 116, 155.6, 116.5, 87.3, 233.3, 174.8 Гц");
    EXPECT_EQ(withKit["lines"][1], (Json{{"text", "116 Гц эталон"}, {"color", "#0000be"}}));
    const ProgramRun plain = run({"--kit", m_Kit, m_Tone115});
    EXPECT_NE(plain.out.find("nearest 116 Гц (эталон)"), std::string::npos) << plain.out;

    // Without --kit the stored kit, the snare alone, is back.
    const Json stored = run({"--json", m_Tone115}).jsonLines().at(0);
    EXPECT_EQ(stored["caption"], "Эталоны 116, 261.6 Гц");
    EXPECT_EQ(readFile(settingsFile()), before);
}

TEST_F(AnalyzeProgram, ImportReadsAFloatFileTheWavLoaderRefusesAndCountsItsClipping) {
    // Two seconds of 32-bit float, stereo; the first ten samples overload.
    const std::string path = (m_Dir / "float.wav").string();
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const auto tone = strike(97.3, 48000);
    for (int i = 0; i < 96000; ++i) {
        const double frame[2] = {i < 10 ? 1.5 : tone(i, 0) / 32768.0, 0.9};
        sf_writef_double(file, frame, 1);
    }
    sf_close(file);

    ProgramRun result = run({"--json", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.jsonLines().at(0)["error"], "Это не PCM - формат !");

    result = run({"--json", "--import", path, (m_Dir / "missing.flac").string()});
    EXPECT_EQ(result.exitCode, 1);
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 2u);
    const Json& r = lines[0];
    EXPECT_EQ(r["imported"], true);
    EXPECT_EQ(r["clipped_samples"], 10);
    EXPECT_EQ(r["mode"], "direct");
    EXPECT_EQ(r["channels"], 2);
    EXPECT_EQ(r["frames"], 96000);
    EXPECT_NEAR(r["frequency_hz"].get<double>(), 97.3, 0.01);
    EXPECT_EQ(lines[1]["error"], "не могу открыть файл !!! \n");
}

TEST_F(AnalyzeProgram, VersionComesFromTheBuild) {
    const ProgramRun result = run({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string("tomaro-analyze ") + TOMARO_VERSION + "\n");
}

// Taps near the rods of the 12"'s batter head, whose target is its overtone 1.5 x 116.54 Hz.
TEST_F(KitReadout, LugModeReadsEachRodInTheTargetsBandAndAdvisesEveryRod) {
    const double targetHz = 1.5 * 440 * std::pow(2.0, -23 / 12.0);
    const std::string rod1 =
        write("rod1.wav", wavBytes(48000, 1, 16, 38400, strike(targetHz, 48000)));
    // Rod 2 rings louder at 300 Hz, another mode of the head; it is read at its 171 Hz.
    const std::string rod2 =
        write("rod2.wav", wavBytes(48000, 1, 16, 38400, [](int i, int) {
                  const double t = i / 48000.0;
                  return std::exp(-t / 0.3) * (5000 * std::cos(kTwoPi * 171.0 * t) +
                                               9000 * std::cos(kTwoPi * 300.0 * t));
              }));
    const std::string rod3 = write("rod3.wav", wavBytes(48000, 1, 16, 38400, strike(178.0, 48000)));
    // Rod 4 rings at 240 Hz, outside its band: no reading, not one at the band's edge.
    const std::string rod4 = write("rod4.wav", wavBytes(48000, 1, 16, 38400, strike(240.0, 48000)));
    const ProgramRun result = run({"--json", "--kit", m_Kit, "--lugs", "4", "--drum", "12\"",
                                   "--head", "batter", "--tolerance", "5", rod1, rod2, rod3, rod4});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0]["family"], "(1,1)");
    EXPECT_TRUE(lines[3]["lug_hz"].is_null());
    EXPECT_EQ(lines[3]["family"], "other");
    EXPECT_EQ(lines[1]["lug"], 2);
    EXPECT_NEAR(lines[1]["frequency_hz"].get<double>(), 300.0, 0.01);  // the main reading
    EXPECT_NEAR(lines[1]["lug_hz"].get<double>(), 171.0, 0.01);
    EXPECT_NEAR(lines[1]["cents"].get<double>(), 1200 * std::log2(171.0 / targetHz), 0.2);
    const Json& head = lines[4]["lugs"];
    EXPECT_EQ(head["count"], 4);
    EXPECT_EQ(head["measured"], 3);
    EXPECT_EQ(head["reference"], "target");
    EXPECT_NEAR(head["reference_hz"].get<double>(), targetHz, 0.01);
    EXPECT_NEAR(head["band_hz"][0].get<double>(), 0.88 * targetHz, 0.01);
    EXPECT_NEAR(head["band_hz"][1].get<double>(), 1.12 * targetHz, 0.01);
    EXPECT_EQ(head["even"], false);
    EXPECT_EQ(head["order"], Json::array({1, 3, 2, 4}));
    EXPECT_EQ(head["odd_pattern_hidden"], true);
    EXPECT_GT(head["split_cents"].get<double>(), 5.0);
    EXPECT_TRUE(head.contains("axis_deg"));
    EXPECT_TRUE(head.contains("pattern_cents"));
    // Rods 1 and 3 stand opposite: the head's pattern gives them the same advice.
    ASSERT_EQ(head["adjust"].size(), 3u);
    EXPECT_EQ(head["adjust"][0]["lug"], 1);
    EXPECT_EQ(head["adjust"][2]["lug"], 3);
    EXPECT_NEAR(head["adjust"][0]["cents"].get<double>(), head["adjust"][2]["cents"].get<double>(),
                0.01);

    // Without a target (the resonant head has no overtone reference) the mean is the reference.
    const ProgramRun plain =
        run({"--kit", m_Kit, "--lugs", "4", "--drum", "12\"", "--head", "reso", rod1, rod3});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("rod 1: 174.81 Hz  -15.6 ¢  tighten"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("reference 176.40 Hz (mean)"), std::string::npos) << plain.out;

    EXPECT_EQ(run({"--kit", m_Kit, "--lugs", "4", "--drum", "13\"", rod1}).exitCode, 2);
    EXPECT_EQ(run({"--lugs", "4", rod1, rod1, rod1, rod1, rod1}).exitCode, 2);
}

// A head without a target: the centre strike's fundamental (110 Hz) places the rods' band around
// the (1,1) mode 1.45–1.60 times higher, where a tap ringing louder modes is read.
TEST_F(KitReadout, CentreStrikePlacesTheRodsBand) {
    const std::string centre =
        write("centre.wav", wavBytes(48000, 1, 16, 38400, strike(110.0, 48000)));
    // The tap's peaks also fit a family around 225 Hz (its partners at 0.66x and 1.34x), which
    // the taps alone would take.
    const std::string rod = write(
        "rod.wav", wavBytes(48000, 1, 16, 38400, [](int i, int) {
            const double t = i / 48000.0;
            return std::exp(-t / 0.3) *
                   (2000 * std::cos(kTwoPi * 148.5 * t) + 5000 * std::cos(kTwoPi * 168.0 * t) +
                    9000 * std::cos(kTwoPi * 225.0 * t) + 3000 * std::cos(kTwoPi * 301.5 * t));
        }));
    const ProgramRun alone =
        run({"--json", "--kit", m_Kit, "--lugs", "4", "--drum", "12\"", "--head", "reso", rod});
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    EXPECT_NEAR(alone.jsonLines().at(0)["lug_hz"].get<double>(), 225.0, 0.05);
    const ProgramRun result = run({"--json", "--kit", m_Kit, "--lugs", "4", "--drum", "12\"",
                                   "--head", "reso", "--centre", centre, rod});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = result.jsonLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(lines[0]["lug_hz"].get<double>(), 168.0, 0.05);
    const Json& band = lines[1]["lugs"]["band_hz"];
    EXPECT_LT(band[0].get<double>(), 1.45 * 110.0);
    EXPECT_GT(band[1].get<double>(), 1.60 * 110.0);
    EXPECT_GT(band[0].get<double>(), 110.0);
    // A silent centre strike places nothing: said, and no rod is read.
    const std::string silent =
        write("silent.wav", wavBytes(48000, 1, 16, 38400, [](int, int) { return 0.0; }));
    const ProgramRun none = run({"--kit", m_Kit, "--lugs", "4", "--centre", silent, rod});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_NE(none.err.find("the centre strike gave no reading"), std::string::npos) << none.err;
    // A centre file that is not there: said so, once, also for both heads.
    const std::string missing = (fs::path(centre).parent_path() / "nothere.wav").string();
    const ProgramRun gone = run({"--kit", m_Kit, "--lugs", "4", "--centre", missing, rod});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.err.find("nothere.wav: the centre strike's file could not be read"),
              std::string::npos)
        << gone.err;
    EXPECT_EQ(gone.err.find("gave no reading"), std::string::npos) << gone.err;
    const ProgramRun heads =
        run({"--kit", m_Kit, "--heads", "--drum", "12\"", "--centre", missing, rod, "--", rod});
    const std::string said = "could not be read";
    const std::size_t first = heads.err.find(said);
    EXPECT_NE(first, std::string::npos) << heads.err;
    EXPECT_EQ(heads.err.find(said, first + 1), std::string::npos) << heads.err;
}

// Both heads of the 12": the batter's rods in its target's band, the resonant head's (no target)
// found over the lug search range; the interval from the one to the other.
TEST_F(KitReadout, HeadsGiveBothPitchesAndTheirInterval) {
    const auto tap = [this](const char* name, double hz) {
        return write(name, wavBytes(48000, 1, 16, 38400, strike(hz, 48000)));
    };
    const std::string batter1 = tap("b1.wav", 174.81);
    const std::string batter2 = tap("b2.wav", 178.0);
    const std::string reso1 = tap("r1.wav", 196.0);
    const std::string reso2 = tap("r2.wav", 198.0);
    const ProgramRun result = run({"--json", "--kit", m_Kit, "--heads", "--drum", "12\"", batter1,
                                   batter2, "--", reso1, reso2});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json heads = result.jsonLines().at(0)["heads"];
    EXPECT_NEAR(heads["batter_hz"].get<double>(), 176.40, 0.05);
    EXPECT_NEAR(heads["reso_hz"].get<double>(), 197.0, 0.05);
    EXPECT_NEAR(heads["interval_cents"].get<double>(), 1200 * std::log2(197.0 / 176.40), 0.6);
    EXPECT_TRUE(heads["fundamental_hz"].is_null());
    // The interval in words of the language asked for, nothing of the other mixed in.
    const ProgramRun english =
        run({"--lang", "en", "--kit", m_Kit, "--heads", "--drum", "12\"", batter1, "--", reso1});
    EXPECT_NE(english.out.find("interval: +2 semitones (major second)"), std::string::npos)
        << english.out;
    EXPECT_FALSE(test::hasCyrillic(english.out)) << english.out;
    const ProgramRun russian =
        run({"--lang", "ru", "--kit", m_Kit, "--heads", "--drum", "12\"", batter1, "--", reso1});
    EXPECT_NE(russian.out.find("interval: +2 полутона (большая секунда)"), std::string::npos)
        << russian.out;
    // The batter's taps alone, or no drum: a usage error.
    EXPECT_EQ(run({"--kit", m_Kit, "--heads", "--drum", "12\"", batter1}).exitCode, 2);
    EXPECT_EQ(run({"--heads", batter1, "--", reso1}).exitCode, 2);
}

// The plan reads the kit and writes nothing: fourths up from A2 over the 10", 12" and 16".
TEST_F(KitReadout, PlanProposesNotesInSizeOrderAndWarnsOutsideTheRange) {
    const std::string before = readFile(settingsFile());
    const ProgramRun result = run({"--json", "--kit", m_Kit, "--plan", "fourths", "--from", "A2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json plan = result.jsonLines().at(0)["plan"];
    EXPECT_EQ(plan["scheme"], "fourths");
    ASSERT_EQ(plan["drums"].size(), 4u);
    EXPECT_EQ(plan["drums"][0]["drum"], "10\"");
    EXPECT_EQ(plan["drums"][0]["note"], "G3");
    EXPECT_EQ(plan["drums"][2]["note"], "A2");
    EXPECT_NEAR(plan["drums"][2]["frequency_hz"].get<double>(), 110.0, 0.01);
    EXPECT_EQ(plan["drums"][3]["drum"], "Бочка");
    EXPECT_EQ(plan["drums"][3]["note"], "F1");  // kept
    // Six semitones apart from the top at C4, the 16" lands at C3, above its usual range.
    const ProgramRun high =
        run({"--json", "--kit", m_Kit, "--plan", "6", "--from", "261.6", "--from-top"});
    ASSERT_EQ(high.exitCode, 0) << high.err;
    const Json drumsPlanned = high.jsonLines().at(0)["plan"]["drums"];
    EXPECT_EQ(drumsPlanned[0]["in_range"], false);  // 10" at C4
    EXPECT_EQ(drumsPlanned[2]["note"], "C3");
    EXPECT_EQ(drumsPlanned[2]["in_range"], false);
    EXPECT_EQ(drumsPlanned[2]["range_hz"], Json::array({67.5, 127.5}));
    EXPECT_EQ(run({"--plan", "fourths", "--from", "H2"}).exitCode, 2);
    EXPECT_EQ(readFile(settingsFile()), before);
}

// The history is read as the window stored it, and never written or created.
TEST_F(AnalyzeProgram, PrintsTheTuningHistoryAndItsSnapshotsReadOnly) {
    const fs::path dataHome = m_Dir / "data";
    const std::vector<std::string> env = {"XDG_DATA_HOME=" + dataHome.string()};
    const fs::path file = dataHome / "Harnwick" / "Tomaro" / "tomaro.sqlite";
    // No history yet: said, and nothing is created.
    const ProgramRun none = run({"--history", "--json"}, Output::File, env);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_FALSE(none.err.empty());
    EXPECT_FALSE(fs::exists(dataHome));

    const std::int64_t day = *history::parseIsoTime("2026-12-08T20:00:00Z");
    {
        history::HistoryStore store(file.string());
        history::Reading strike;
        strike.drum = "12\"";
        strike.frequencyHz = 110.5;
        strike.verdict = "good";
        strike.timeMs = day;
        strike.pair = history::ModePair{180.0, 184.0, -10.0, -14.0};
        store.addReading(strike);
        history::Reading tap = strike;
        tap.pair.reset();
        tap.struck = history::Struck::Reso;
        tap.lug = 3;
        tap.lugCount = 6;
        tap.frequencyHz = 170.0;
        tap.timeMs = day + 60000;
        store.addReading(tap);
        history::Reading snare = strike;
        snare.drum = "Малый";
        snare.frequencyHz = 220.0;
        snare.timeMs = day + 86400000;
        snare.verdict = "doubtful";
        store.addReading(snare);
        store.createSnapshot("перед концертом", day + 90000000);
    }
    const auto sizeBefore = fs::file_size(file);
    const auto timeBefore = fs::last_write_time(file);

    const ProgramRun all = run({"--history", "--json"}, Output::File, env);
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const auto lines = all.jsonLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["time"], "2026-12-08T20:00:00.000Z");
    EXPECT_EQ(lines[0]["drum"], "12\"");
    EXPECT_EQ(lines[0]["struck"], "drum");
    EXPECT_EQ(lines[0]["frequency_hz"], 110.5);
    EXPECT_EQ(lines[0]["pair"]["hi_hz"], 184.0);
    EXPECT_EQ(lines[0]["verdict"], "good");
    EXPECT_FALSE(lines[0].contains("lug"));
    EXPECT_EQ(lines[1]["struck"], "reso");
    EXPECT_EQ(lines[1]["lug"], 3);
    EXPECT_FALSE(lines[1].contains("pair"));
    EXPECT_EQ(lines[2]["verdict"], "doubtful");

    const ProgramRun tom =
        run({"--history", "--json", "--drum", "12\"", "--since", "2026-12-08T20:00:30"},
            Output::File, env);
    ASSERT_EQ(tom.exitCode, 0) << tom.err;
    ASSERT_EQ(tom.jsonLines().size(), 1u);
    EXPECT_EQ(tom.jsonLines()[0]["lug"], 3);
    EXPECT_EQ(run({"--history", "--since", "yesterday"}, Output::File, env).exitCode, 2);

    const ProgramRun list = run({"--snapshots", "--json"}, Output::File, env);
    ASSERT_EQ(list.exitCode, 0) << list.err;
    ASSERT_EQ(list.jsonLines().size(), 1u);
    EXPECT_EQ(list.jsonLines()[0]["name"], "перед концертом");
    EXPECT_EQ(list.jsonLines()[0]["time"], "2026-12-09T21:00:00.000Z");
    EXPECT_EQ(list.jsonLines()[0]["drums"], Json::array({"12\"", "Малый"}));

    const ProgramRun one = run({"--snapshot", "перед концертом", "--json"}, Output::File, env);
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const Json snapshot = one.jsonLines().at(0);
    EXPECT_EQ(snapshot["drums"][0]["strike"]["frequency_hz"], 110.5);
    EXPECT_EQ(snapshot["drums"][0]["heads"][0]["head"], "reso");
    EXPECT_EQ(snapshot["drums"][0]["heads"][0]["rods"][0]["lug"], 3);
    EXPECT_EQ(snapshot["drums"][0]["heads"][0]["rods"][0]["angle_deg"], 120.0);
    EXPECT_EQ(run({"--snapshot", "нет такого", "--json"}, Output::File, env).exitCode, 1);

    // Read only: the file is as it was; a reader of a WAL file may leave an empty log beside
    // it, never a written one.
    EXPECT_EQ(fs::file_size(file), sizeBefore);
    EXPECT_EQ(fs::last_write_time(file), timeBefore);
    if (fs::exists(file.string() + "-wal")) {
        EXPECT_EQ(fs::file_size(file.string() + "-wal"), 0u);
    }
}

}  // namespace
// --turns: a pass marks a turn of one rod, the drummer turns only that rod, and the next pass
// calibrates cents per turn from what the head fit shows, then advises every rod in turns.
TEST_F(AnalyzeProgram, TurnsFileCalibratesFromTheHeadFitAndAdvisesInTurns) {
    test::DrumHeadModel head(6, 200.0);
    head.tension = {1.03, 0.98, 0.97, 1.03, 0.98, 0.97};
    const auto taps = [&](const std::string& prefix) {
        std::vector<std::string> files;
        for (int lug = 1; lug <= head.rods; ++lug) {
            const std::vector<std::int16_t> samples = head.tap(lug, 40u + lug);
            files.push_back(write(prefix + std::to_string(lug) + ".wav",
                                  wavBytes(48000, 1, 16, static_cast<int>(samples.size()),
                                           [&](int i, int) { return samples[i]; })));
        }
        return files;
    };
    const std::string turnsFile = (m_Dir / "turns.txt").string();
    std::vector<std::string> first = {"--json",  "--lugs",   "6",  "--turns",
                                      turnsFile, "--turned", "2:4"};
    for (const std::string& file : taps("a")) first.push_back(file);
    const ProgramRun marked = run(first);
    ASSERT_EQ(marked.exitCode, 0) << marked.err;
    const Json markedHead = marked.jsonLines().back()["lugs"];
    EXPECT_EQ(markedHead["turns"]["marked"]["lug"], 2);
    EXPECT_TRUE(markedHead["turns"]["cents_per_turn"].is_null());
    EXPECT_FALSE(markedHead["adjust"][0].contains("turns"));

    // Half a turn of rod 2 moves its own pitch by 110 cents: 220 cents per turn.
    head.turn(2, 110.0);
    std::vector<std::string> second = {"--json", "--lugs", "6", "--turns", turnsFile};
    for (const std::string& file : taps("b")) second.push_back(file);
    const ProgramRun calibrated = run(second);
    ASSERT_EQ(calibrated.exitCode, 0) << calibrated.err;
    const Json headJson = calibrated.jsonLines().back()["lugs"];
    ASSERT_FALSE(headJson["turns"]["cents_per_turn"].is_null()) << calibrated.out;
    EXPECT_NEAR(headJson["turns"]["cents_per_turn"].get<double>(), 220.0, 220.0 * 0.15);
    EXPECT_TRUE(headJson["turns"]["marked"].is_null());
    bool anyTurn = false;
    for (const Json& rod : headJson["adjust"]) {
        if (rod["action"] == "ok") continue;
        ASSERT_TRUE(rod.contains("turns")) << rod;
        const double cents = std::abs(rod["cents"].get<double>());
        EXPECT_NEAR(rod["turns"].get<double>(),
                    cents / headJson["turns"]["cents_per_turn"].get<double>(), 1.0 / 16 + 1e-9);
        anyTurn = true;
    }
    EXPECT_TRUE(anyTurn) << calibrated.out;

    // A damaged file is said and left as it is; the pass is read and printed all the same.
    const std::string damaged = write("damaged.txt", "tomaro-turns 1\ncalibrations 240;oops\n");
    std::vector<std::string> third = {"--lugs", "6", "--turns", damaged};
    for (const std::string& file : taps("c")) third.push_back(file);
    const ProgramRun refused = run(third);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("damaged turns file"), std::string::npos) << refused.err;
    EXPECT_NE(refused.out.find("rod 6: "), std::string::npos) << refused.out;
    EXPECT_EQ(readFile(damaged), "tomaro-turns 1\ncalibrations 240;oops\n");
    // A directory is no turns file either.
    third[3] = m_Dir.string();
    EXPECT_EQ(run(third).exitCode, 1);
    EXPECT_EQ(run({"--turned", "2:4", "--lugs", "6", first.back()}).exitCode, 2);
    EXPECT_EQ(run({"--lugs", "6", "--turns", turnsFile, "--turned", "7:2", first.back()}).exitCode,
              2);
}

}  // namespace tomaro
