#include <gtest/gtest.h>

#include <cmath>

#include "kit/Notes.h"
#include "settings/MemoryProfile.h"
#include "tuning/NoteFont.h"
#include "tuning/Readout.h"

namespace tomaro {
namespace {

const ReferenceSwitches kFundamentalOnly{true, false, false};
const ReferenceSwitches kBatterOnly{false, true, false};
const ReferenceSwitches kFundamentalAndBatter{true, true, false};

// 10" at A 440 (batter overtone 1.5, i.e. 660 Hz) and 16" at A 220 (batter 300 Hz).
Kit twoDrums() {
    Kit kit;
    kit.assign({{6, 9, true, 1.5, 0.0}, {12, -3, true, 300.0, 0.0}});
    return kit;
}

std::vector<std::string> texts(const Readout& readout) {
    std::vector<std::string> result;
    for (const auto& line : readout.lines()) result.push_back(line.text);
    return result;
}

}  // namespace

TEST(NearestReference, BoundsOfTheReadoutRangeMatchNothing) {
    Kit kit = twoDrums();
    for (double hz : {20.0, 2000.0, 0.0, std::nan("")}) {
        NearestReference nearest = findNearestReference(hz, kit, kFundamentalOnly, false);
        EXPECT_EQ(nearest.referenceHz, kNoReferenceHz);
        EXPECT_EQ(nearest.drum, -1);
        EXPECT_EQ(nearest.kind, -1);
    }
    EXPECT_EQ(findNearestReference(20.001, kit, kFundamentalOnly, false).drum, 1);
}

TEST(NearestReference, TiesKeepTheCandidateMetFirst) {
    Kit kit = twoDrums();
    // 330 Hz lies half-way between 220 and 440: the earlier drum in kit order wins.
    NearestReference nearest = findNearestReference(330.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(nearest.drum, 0);
    EXPECT_EQ(nearest.referenceHz, 440.0);
    // The free reference is met before any drum.
    kit.setSingleReferenceText("550");
    nearest = findNearestReference(495.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(nearest.drum, -1);
    EXPECT_EQ(nearest.kind, kFundamental);
    EXPECT_EQ(nearest.referenceHz, 550.0);
    // Kinds come in order for one drum: fundamental 440 before its overtone at 660.
    kit.setSingleReferenceText("");
    nearest = findNearestReference(550.0, kit, kFundamentalAndBatter, false);
    EXPECT_EQ(nearest.drum, 0);
    EXPECT_EQ(nearest.kind, kFundamental);
}

TEST(NearestReference, HiddenDrumsAreSearchedOnlyWhenNothingIsShown) {
    Kit kit = twoDrums();
    kit.setShown(0, false);
    EXPECT_EQ(findNearestReference(430.0, kit, kFundamentalOnly, false).drum, 1);
    kit.setShown(1, false);
    NearestReference nearest = findNearestReference(430.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(nearest.drum, 0);
    EXPECT_EQ(nearest.referenceHz, 440.0);
}

TEST(NearestReference, TransferCarriesAnOvertoneToItsFundamental) {
    Kit kit = twoDrums();
    NearestReference nearest = findNearestReference(306.0, kit, kBatterOnly, true);
    EXPECT_EQ(nearest.drum, 1);
    EXPECT_EQ(nearest.kind, kFundamental);
    EXPECT_DOUBLE_EQ(nearest.referenceHz, 220.0);
    EXPECT_DOUBLE_EQ(nearest.displayedHz, 306.0 * 220.0 / 300.0);
    nearest = findNearestReference(306.0, kit, kBatterOnly, false);
    EXPECT_EQ(nearest.kind, kBatterOvertone);
    EXPECT_EQ(nearest.displayedHz, 306.0);
}

TEST(Readout, LinesListStrikeReferencesAndNotes) {
    Kit kit = twoDrums();
    kit.setSingleReferenceText("100");
    Readout readout;
    readout.update(441.0, kit, kFundamentalAndBatter, false);
    std::vector<std::string> expected = {"441 Гц",
                                         "100 Гц эталон",
                                         "440 Гц для 10\"",
                                         "220 Гц для 16\"",
                                         "660 Гц для обер Пл1 10\"",
                                         "300 Гц для обер Пл1 16\"",
                                         "",
                                         "1, Ля +4 %",
                                         "-1, Cоль +35 % эталон",
                                         "1, Ля для 10\"",
                                         "0, Ля для 16\"",
                                         "2, Ми +2 % для обер Пл1 10\"",
                                         "1, Ре +37 % для обер Пл1 16\""};
    EXPECT_EQ(texts(readout), expected);
    EXPECT_EQ(readout.lines()[0].color, kTextBlack);
    EXPECT_EQ(readout.lines()[1].color, kSingleReferenceColor);
    EXPECT_EQ(readout.lines()[3].color, drumColor(1, 2));
    EXPECT_EQ(readout.lines()[6].color, kTextBlack);
    EXPECT_EQ(readout.lines()[8].color, kSingleReferenceColor);
    EXPECT_EQ(readout.lines()[12].color, Rgb::fromColorref(0x00F58C00));
    EXPECT_EQ(readout.nearest().drum, 0);
}

TEST(Readout, TransferShowsTheFundamentalAndWhereItCameFrom) {
    Kit kit = twoDrums();
    Readout readout;
    readout.update(306.0, kit, kBatterOnly, true);
    EXPECT_EQ(readout.lines()[0].text, "224.4 Гц из 306");
    EXPECT_EQ(readout.lines()[4].text, "0, Ля +34 %");
    // The fundamental switch is off, so only the batter lines of the shown drums follow.
    EXPECT_EQ(readout.lines().size(), 7u);
}

TEST(Readout, HiddenNearestDrumStillGetsItsLines) {
    Kit kit = twoDrums();
    kit.setShown(0, false);
    kit.setShown(1, false);
    Readout readout;
    readout.update(430.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(texts(readout), (std::vector<std::string>{"430 Гц", "440 Гц для 10\"", "",
                                                        "1, Ля -40 %", "1, Ля для 10\""}));
}

TEST(Readout, RedMessageNamesWhyNoReferenceIsShown) {
    Kit kit = twoDrums();
    Readout readout;
    readout.update(0.0, kit, ReferenceSwitches{false, false, false}, false);
    EXPECT_EQ(readout.lines()[0].text,
              "Включите отображение эталонов: основного тона или обертонов");
    EXPECT_EQ(readout.lines()[0].color, kWarningRed);
    EXPECT_EQ(readout.lines().size(), 2u);

    kit.setShown(0, false);
    kit.setShown(1, false);
    readout.update(0.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(readout.lines()[0].text, "Не выбраны для отображения эталонные частоты!");

    Kit empty;
    readout.update(0.0, empty, kFundamentalOnly, false);
    EXPECT_EQ(readout.lines()[0].text, "Не заданы эталонные частоты!");
    // Overtones switched on but none defined: nothing to show either.
    readout.update(0.0, Kit(), kBatterOnly, false);
    EXPECT_EQ(readout.lines()[0].color, kWarningRed);
}

TEST(Readout, OverCapacityDropsDrumLinesButKeepsTheStrike) {
    Kit kit = twoDrums();
    Readout readout(5);
    readout.update(441.0, kit, kFundamentalAndBatter, false);
    EXPECT_EQ(texts(readout), (std::vector<std::string>{"441 Гц", "440 Гц для 10\"", "",
                                                        "1, Ля +4 %", "1, Ля для 10\""}));
}

TEST(ReferencesButton, CaptionListsShownReferencesOrHints) {
    Kit kit = twoDrums();
    EXPECT_EQ(referencesButtonCaption(kit, kFundamentalAndBatter), "Эталоны 440, 220, 660, 300 Гц");
    kit.setSingleReferenceText("123,45");
    kit.setShown(1, false);
    EXPECT_EQ(referencesButtonCaption(kit, kFundamentalOnly), "Эталоны 123.5, 440 Гц");
    kit.setSingleReferenceText("");
    EXPECT_EQ(referencesButtonCaption(kit, ReferenceSwitches{false, false, false}),
              "Эталоны - включите отображение ниже");
    kit.setShown(0, false);
    EXPECT_EQ(referencesButtonCaption(kit, kFundamentalOnly),
              "Эталоны - выбирете отображаемые барабаны");
    EXPECT_EQ(referencesButtonCaption(Kit(), kFundamentalOnly),
              "Эталоны - нажмите, чтобы настроить");
}

TEST(ReferencesButton, OvertoneSwitchesAreNeverOnTogether) {
    MemoryProfile profile;
    profile.writeInt("Options", "m_IsUseEto_M1", 1);
    profile.writeInt("Options", "m_IsUseEto_M2", 1);
    ReferenceSwitches switches = ReferenceSwitches::load(profile);
    EXPECT_TRUE(switches.fundamental);
    updateReferencesButton(switches, twoDrums(), profile);
    EXPECT_TRUE(switches.batter);
    EXPECT_FALSE(switches.resonant);
    EXPECT_EQ(profile.readInt("Options", "m_IsUseEto_M2", -1), 0);
    EXPECT_EQ(profile.readInt("Options", "m_IsUseEto_F0", -1), 1);
    switches.setResonant(true);
    EXPECT_FALSE(switches.batter);
    switches.setBatter(true);
    EXPECT_FALSE(switches.resonant);
}

TEST(NoteFont, ChoosesTheLargestFontThatFitsWithMargins) {
    // A font of height h draws every character h/2 wide and a line h high.
    MeasureText measure = [](int fontIndex, std::string_view text) {
        int height = noteFontHeightPx(fontIndex);
        return TextExtent{static_cast<int>(text.size()) * height / 2, height};
    };
    std::vector<ReadoutLine> lines = {{"1234", kTextBlack}, {"", kTextBlack}, {"12", kTextBlack}};
    // Index i: width 4 * (i + 7); height two lines of 2i + 14 plus a spacer of i + 7.
    // Width limit: 4 * (i + 7) + 10 < 130 -> i <= 22; height: 5i + 35 + 10 < 200 -> i <= 30.
    EXPECT_EQ(chooseNoteFontIndex(lines, measure, 130, 200), 22);
    EXPECT_EQ(chooseNoteFontIndex(lines, measure, 1000, 200), 30);
    EXPECT_EQ(chooseNoteFontIndex(lines, measure, 5, 5), 0);
    EXPECT_EQ(chooseNoteFontIndex(lines, measure, 100000, 100000), kNoteFontCount - 1);
    EXPECT_EQ(noteLineAdvancePx(lines[1], 0, measure), 7);
}

}  // namespace tomaro

namespace tomaro {

TEST(Readout, NearestSummaryNamesTheHeadAndTheDeviation) {
    Kit kit = twoDrums();
    Readout readout;
    readout.update(445.0, kit, kFundamentalOnly, false);
    EXPECT_EQ(readout.nearestSummary(kit), "Ближайший эталон: 440 Гц для 10\", +20 %");
    readout.update(655.0, kit, kBatterOnly, false);
    EXPECT_EQ(readout.nearestSummary(kit), "Ближайший эталон: 660 Гц для обер Пл1 10\", -13 %");
    kit.setSingleReferenceText("500");
    readout.update(505.0, kit, kBatterOnly, false);
    EXPECT_EQ(readout.nearestSummary(kit), "Ближайший эталон: 500 Гц эталон, +17 %");
    readout.update(5000.0, kit, kBatterOnly, false);
    EXPECT_EQ(readout.nearestSummary(kit), "");
}

}  // namespace tomaro
