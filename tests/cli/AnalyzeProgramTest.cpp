// tomaro-analyze on WAV files and sound files: the report of each, refusals, the stored settings
// and options of one run, the texts' language, the history read as stored, the turns of the key.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "AnalyzeProgram.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "kit/Kit.h"
#include "kit/KitFile.h"
#include "support/DrumHeadModel.h"
#include "support/InEnglish.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
// The fixture, its files and its strikes.
using namespace test;

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
        const ProgramRun broken = run(arguments, Output::BrokenPipe);
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
        const double perTurn = headJson["turns"]["cents_per_turn"].get<double>();
        EXPECT_NEAR(rod["turns"].get<double>(), cents / perTurn, 1.0 / 16 + 1e-9);
        EXPECT_NEAR(rod["turn_deg"].get<double>(), cents / perTurn * 360.0, 2.5 + 1e-9);
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

}  // namespace
}  // namespace tomaro
