// tomaro-analyze against a kit: the read-out's references, lug mode on a drum's head, both heads
// and the plan of the kit's notes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "AnalyzeProgram.h"
#include "kit/Kit.h"
#include "kit/KitFile.h"
#include "support/InEnglish.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
// The fixture, its files and its strikes.
using namespace test;

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

}  // namespace
}  // namespace tomaro
