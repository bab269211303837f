#include <gtest/gtest.h>

#include "kit/KitEditor.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

constexpr const char* kPresets = "CDlgPresets";

// The standard kit: 10" (-9, the reference), 12" (-14), 16" (-19), Бочка (-31).
class KitEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Kit.load(m_Profile);
        m_Editor.setChangeObserver([this] { ++m_Changes; });
    }

    std::vector<std::string> menuTexts(int row) const {
        std::vector<std::string> texts;
        for (const auto& item : m_Editor.overtoneMenu(row)) texts.push_back(item.text);
        return texts;
    }

    MemoryProfile m_Profile;
    Kit m_Kit;
    KitEditor m_Editor{m_Kit, m_Profile};
    int m_Changes = 0;
};

}  // namespace

TEST_F(KitEditorTest, PlainRowChangesAreSavedAtOnce) {
    m_Editor.stepNote(1, 1);
    EXPECT_EQ(m_Kit.drum(0).note, -9);
    EXPECT_EQ(m_Kit.drum(1).note, -13);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_12дюймов_m_Notas", 0), -13);
    m_Editor.setShown(2, false);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_16дюймов_m_IsShows", 1), 0);
    EXPECT_EQ(m_Changes, 2);
    m_Kit.setNote(1, 100);
    m_Editor.stepNote(1, 1);
    EXPECT_EQ(m_Kit.drum(1).note, 100);
}

TEST_F(KitEditorTest, SteppingTheReferenceRowShiftsEveryDrumWithClamping) {
    m_Kit.setNote(3, -100);
    m_Editor.stepNote(0, -1);
    EXPECT_EQ(m_Kit.drum(0).note, -10);
    EXPECT_EQ(m_Kit.drum(2).note, -20);
    EXPECT_EQ(m_Kit.drum(3).note, -100);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_Бочка_m_Notas", 0), -100);
    m_Editor.stepNote(0, 1);
    EXPECT_EQ(m_Kit.drum(0).note, -9);
    EXPECT_EQ(m_Kit.drum(3).note, -99);
}

TEST_F(KitEditorTest, ChoosingTheReferenceDrumStoresItsName) {
    m_Editor.chooseReferenceDrum(3);
    EXPECT_EQ(m_Profile.readString(kPresets, "m_CurrentB_Str", ""), "Бочка");
    EXPECT_TRUE(m_Editor.rowTexts(3).isReference);
    EXPECT_FALSE(m_Editor.rowTexts(0).isReference);
    EXPECT_EQ(m_Editor.rowTexts(0).intervalText, "22");
    EXPECT_EQ(m_Editor.rowTexts(2).intervalText, "12, чистая октава");
}

TEST_F(KitEditorTest, IntervalsFromReferenceOrFromPreviousRow) {
    EXPECT_EQ(m_Editor.intervalHeading(), "Полутонов от опорного");
    EXPECT_EQ(m_Editor.rowTexts(0).intervalText, "0");
    EXPECT_EQ(m_Editor.rowTexts(1).intervalText, "-5, чистая кварта");
    EXPECT_EQ(m_Editor.rowTexts(3).intervalText, "-22");
    m_Editor.setIntervalsFromPrevious(true);
    EXPECT_EQ(m_Profile.readInt(kPresets, "m_IsShowOtn", 0), 1);
    EXPECT_EQ(m_Editor.intervalHeading(), "Полутонов от предыдущего");
    EXPECT_EQ(m_Editor.rowTexts(0).intervalText, "0");
    EXPECT_EQ(m_Editor.rowTexts(3).intervalText, "-12, чистая октава");
}

TEST_F(KitEditorTest, RowTextsFollowTheNamingAndOvertoneKinds) {
    m_Kit.setNote(0, 0);
    m_Kit.setOvertones(0, 1.5, 300.0);
    KitRowTexts texts = m_Editor.rowTexts(0);
    EXPECT_EQ(texts.drumName, "10\"");
    EXPECT_EQ(texts.noteText, "окт 1, До");
    EXPECT_EQ(texts.frequencyText, "261.63");
    EXPECT_EQ(texts.overtone1Text, "1.5=392.44");
    EXPECT_EQ(texts.overtone2Text, "300");
    EXPECT_EQ(m_Editor.rowTexts(1).overtone1Text, "");
    m_Editor.setLatinNames(true);
    EXPECT_EQ(m_Profile.readInt(kPresets, "m_IsNotaGadi", 0), 1);
    EXPECT_EQ(m_Editor.rowTexts(0).noteText, "4 C");
}

TEST_F(KitEditorTest, OvertoneTextsKeepOnlyValuesInRange) {
    EXPECT_EQ(KitEditor::parseOvertoneText("1,5=300"), 1.5);
    EXPECT_EQ(KitEditor::parseOvertoneText("15"), 0.0);
    EXPECT_EQ(KitEditor::parseOvertoneText("0.04"), 0.0);
    EXPECT_EQ(KitEditor::parseOvertoneText("=2"), 2.0);
    std::vector<OvertoneTexts> rows = {{"1,5=300", "15"}, {"0.04", "343"}};
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_EQ(m_Kit.drum(0).overtone1, 1.5);
    EXPECT_EQ(m_Kit.drum(0).overtone2, 0.0);
    EXPECT_EQ(m_Kit.drum(1).overtone1, 0.0);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_10дюймовm_Ober1", 0), 1500);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_12дюймовm_Ober2", 0), 343000);
    EXPECT_EQ(m_Changes, 1);
}

TEST_F(KitEditorTest, UntouchedOvertoneTextKeepsTheExactValue) {
    m_Kit.setOvertones(2, 1234.567, 0.0);  // shown as "1234.57"
    std::vector<OvertoneTexts> rows;
    for (int row = 0; row < m_Editor.rowCount(); ++row) {
        KitRowTexts texts = m_Editor.rowTexts(row);
        rows.push_back({texts.overtone1Text, texts.overtone2Text});
    }
    EXPECT_EQ(rows[2].overtone1, "1234.57");
    rows[0].overtone1 = "2";
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_EQ(m_Kit.drum(0).overtone1, 2.0);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_16дюймовm_Ober1", 0), 1234567);

    rows[2].overtone1 = "1234.57";  // the same text typed again still counts as unchanged
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_EQ(m_Kit.drum(2).overtone1, 1234.567);
    rows[2].overtone1 = "1234.5";
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_EQ(m_Kit.drum(2).overtone1, 1234.5);
}

TEST_F(KitEditorTest, OvertoneMenuListsPresetsAndOffersConversionOnlyForHz) {
    std::vector<std::string> expected = {
        "Не использовать эталонные обертона", "Барабан без резонансного пластика (2.3)",
        "Максимальный резонанс (1.75)",       "Сильный резонанс (1.5 и 1.85)",
        "Средний резонанс (1.4 и 2)",         "Слабый резонанс (1.2 и 2.3)"};
    EXPECT_EQ(menuTexts(0), expected);
    m_Kit.setOvertones(0, 1.5, 300.0);
    expected.insert(expected.begin(), "Частоту --> в коэффициент");
    EXPECT_EQ(menuTexts(0), expected);

    auto items = m_Editor.overtoneMenu(0);
    m_Editor.chooseOvertoneMenuItem(0, items[4]);
    EXPECT_EQ(m_Kit.drum(0).overtone1, 1.5);
    EXPECT_EQ(m_Kit.drum(0).overtone2, 1.85);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_10дюймовm_Ober2", 0), 1850);
}

TEST_F(KitEditorTest, ConvertingHzToCoefficientKeepsValuesThatWouldLeaveTheRange) {
    m_Kit.setNote(0, 9);
    m_Kit.setOvertones(0, 660.0, 1.5);
    m_Editor.chooseOvertoneMenuItem(0, m_Editor.overtoneMenu(0).front());
    EXPECT_EQ(m_Kit.drum(0).overtone1, 1.5);
    EXPECT_EQ(m_Kit.drum(0).overtone2, 1.5);

    m_Kit.setNote(3, -100);  // about 0.82 Hz: 100 Hz would become 122, itself read as Hz
    m_Kit.setOvertones(3, 100.0, 0.0);
    m_Editor.chooseOvertoneMenuItem(3, m_Editor.overtoneMenu(3).front());
    EXPECT_EQ(m_Kit.drum(3).overtone1, 100.0);
}

TEST_F(KitEditorTest, SnareAndKickGetRecommendedPairsByNote) {
    m_Profile.writeInt("CDlgBaraSelect", "Bara_0", 1);
    m_Profile.writeInt("CDlgBaraSelect", "Bara_19", 1);
    m_Editor.reload();
    ASSERT_EQ(m_Kit.count(), 2);
    m_Kit.setNote(0, -5);
    m_Kit.setNote(1, -29);
    EXPECT_EQ(menuTexts(0).back(), "Рекомендуется 266 Гц, 398 Гц");
    EXPECT_EQ(menuTexts(1).back(), "Рекомендуется 71 Гц, 107 Гц");
    m_Editor.chooseOvertoneMenuItem(0, m_Editor.overtoneMenu(0).back());
    EXPECT_EQ(m_Kit.drum(0).overtone1, 266.0);
    EXPECT_EQ(m_Kit.drum(0).overtone2, 398.0);
    m_Kit.setNote(0, -1);
    m_Kit.setNote(1, -37);
    EXPECT_EQ(menuTexts(0).size(), 7u);  // the conversion item and the six presets
    EXPECT_EQ(menuTexts(1).size(), 6u);
    m_Kit.setNote(0, -8);
    EXPECT_EQ(menuTexts(0).back(), "Рекомендуется 229 Гц, 343 Гц");
    m_Kit.setNote(1, -36);
    EXPECT_EQ(menuTexts(1).back(), "Рекомендуется 49 Гц, 74 Гц");
}

TEST_F(KitEditorTest, OvertonesKeepTheirExactValueUntilTheNextLoad) {
    m_Profile.writeInt("CDlgBaraSelect", "Bara_0", 1);
    m_Editor.reload();
    ASSERT_EQ(m_Kit.drumName(0), "Малый");
    m_Kit.setNote(0, -5);                                                 // 196.00 Hz
    m_Editor.chooseOvertoneMenuItem(0, m_Editor.overtoneMenu(0).back());  // 266 Hz, 398 Hz
    ASSERT_EQ(m_Editor.overtoneMenu(0).front().text, "Частоту --> в коэффициент");
    m_Editor.chooseOvertoneMenuItem(0, m_Editor.overtoneMenu(0).front());
    EXPECT_EQ(m_Editor.rowTexts(0).overtone1Text, "1.357=266");
    EXPECT_EQ(m_Editor.rowTexts(0).overtone2Text, "2.031=398");
    EXPECT_NEAR(m_Kit.referenceHz(0, kResonantOvertone), 398.0, 1e-9);
    // Leaving the edits as shown changes nothing; the store keeps truncated thousandths.
    const KitRowTexts shown = m_Editor.rowTexts(0);
    std::vector<OvertoneTexts> rows = {{shown.overtone1Text, shown.overtone2Text}};
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_NEAR(m_Kit.referenceHz(0, kBatterOvertone), 266.0, 1e-9);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_Малыйm_Ober1", 0), 1357);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_Малыйm_Ober2", 0), 2030);
    m_Editor.reload();
    EXPECT_EQ(m_Editor.rowTexts(0).overtone2Text, "2.03=397.88");
}

TEST_F(KitEditorTest, EditShowingNothingStandsForNone) {
    // 15 is neither a coefficient nor a frequency: the edit shows nothing, so it is none.
    m_Profile.writeInt(kPresets, "Baraban_12дюймовm_Ober2", 15000);
    m_Profile.writeInt(kPresets, "Baraban_16дюймовm_Ober1", 2500000);  // 2500 Hz
    m_Editor.reload();
    std::vector<OvertoneTexts> rows;
    for (int row = 0; row < m_Editor.rowCount(); ++row) {
        const KitRowTexts texts = m_Editor.rowTexts(row);
        rows.push_back({texts.overtone1Text, texts.overtone2Text});
    }
    EXPECT_EQ(rows[1].overtone2, "");
    m_Editor.applyOvertoneTexts(rows);
    EXPECT_EQ(m_Kit.drum(1).overtone2, 0.0);
    EXPECT_EQ(m_Kit.drum(2).overtone1, 0.0);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_12дюймовm_Ober2", -1), 0);
    EXPECT_EQ(m_Profile.readInt(kPresets, "Baraban_16дюймовm_Ober1", -1), 0);
}

TEST_F(KitEditorTest, FreeReferenceStepsBySemitonesAndWaitsForOk) {
    EXPECT_EQ(KitEditor::stepSingleReferenceText("440", 1), "466.164");
    EXPECT_EQ(KitEditor::stepSingleReferenceText("440,0", -1), "415.305");
    EXPECT_EQ(KitEditor::stepSingleReferenceText("440", 12), "880.000");
    EXPECT_FALSE(KitEditor::stepSingleReferenceText("0", 1));
    EXPECT_FALSE(KitEditor::stepSingleReferenceText("2000", -1));
    EXPECT_EQ(m_Profile.writeCount(), 0);

    m_Editor.acceptSingleReference(true, "123,5");
    EXPECT_EQ(m_Kit.singleReferenceHz(), 123.5);
    EXPECT_EQ(m_Profile.readString(kPresets, "m_sEtoOne", ""), "123.5");
    m_Editor.acceptSingleReference(false, "123,5");
    EXPECT_EQ(m_Kit.singleReferenceHz(), 0.0);
    EXPECT_EQ(m_Profile.readString(kPresets, "m_sEtoOne", "x"), "");
}

TEST_F(KitEditorTest, RowsOutsideTheKitAreIgnored) {
    m_Editor.stepNote(4, 1);
    m_Editor.setShown(-1, false);
    m_Editor.chooseReferenceDrum(99);
    EXPECT_TRUE(m_Editor.overtoneMenu(7).empty());
    EXPECT_EQ(m_Profile.writeCount(), 0);
}

}  // namespace tomaro
