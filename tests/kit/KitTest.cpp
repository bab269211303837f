#include <gtest/gtest.h>

#include <limits>

#include "kit/DrumTypes.h"
#include "kit/Kit.h"
#include "kit/KitSelection.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

constexpr const char* kPresets = "CDlgPresets";

}  // namespace

TEST(DrumTypes, NamesAndSettingsKeys) {
    EXPECT_EQ(drums::typeName(1), "5\"");
    EXPECT_EQ(drums::typeName(18), "22\"");
    EXPECT_EQ(drums::typeName(20), "вне диапазона");
    EXPECT_EQ(Kit::overtone1Key(6), "Baraban_10дюймовm_Ober1");
    EXPECT_EQ(Kit::noteKey(19), "Baraban_Бочка_m_Notas");
    EXPECT_EQ(Kit::shownKey(0), "Baraban_Малый_m_IsShows");
}

TEST(KitSelection, StandardSetUntilSomethingIsTickedAndStored) {
    MemoryProfile profile;
    KitSelection selection = KitSelection::load(profile);
    for (int type = 0; type < drums::kTypeCount; ++type) {
        EXPECT_EQ(selection.isPresent(type), type == 6 || type == 8 || type == 12 || type == 19);
    }
    EXPECT_EQ(profile.writeCount(), 0);
    selection.setPresent(0, true);
    selection.setPresent(19, false);
    selection.store(profile);
    EXPECT_EQ(profile.readInt("CDlgBaraSelect", "Bara_0", -1), 1);
    EXPECT_EQ(profile.readInt("CDlgBaraSelect", "Bara_19", -1), 0);
    EXPECT_EQ(KitSelection::load(profile).presentCount(), 4);
}

TEST(Kit, DefaultKitIsTheStandardSetInTypeOrder) {
    MemoryProfile profile;
    Kit kit;
    kit.load(profile);
    ASSERT_EQ(kit.count(), 4);
    EXPECT_EQ(kit.drumName(0), "10\"");
    EXPECT_EQ(kit.drumName(3), "Бочка");
    EXPECT_EQ(kit.drum(0).note, -9);
    EXPECT_EQ(kit.drum(1).note, -14);
    EXPECT_EQ(kit.drum(2).note, -19);
    EXPECT_EQ(kit.drum(3).note, -31);
    EXPECT_TRUE(kit.isShown(1));
    EXPECT_EQ(kit.referencePosition(), 0);
    EXPECT_EQ(profile.writeCount(), 0);
}

TEST(Kit, LoadClampsNotesAndScalesOvertones) {
    MemoryProfile profile;
    profile.writeInt("CDlgBaraSelect", "Bara_0", 1);
    profile.writeInt("CDlgBaraSelect", "Bara_19", 1);
    profile.writeInt(kPresets, "Baraban_Малый_m_Notas", 250);
    profile.writeInt(kPresets, "Baraban_Бочка_m_Notas", -250);
    profile.writeInt(kPresets, "Baraban_Малыйm_Ober1", 1500);
    profile.writeInt(kPresets, "Baraban_Малыйm_Ober2", 343000);
    profile.writeInt(kPresets, "Baraban_Бочка_m_IsShows", 0);
    profile.writeString(kPresets, "m_CurrentB_Str", "Бочка");
    Kit kit;
    kit.load(profile);
    ASSERT_EQ(kit.count(), 2);
    EXPECT_EQ(kit.drum(0).note, 100);
    EXPECT_EQ(kit.drum(1).note, -100);
    EXPECT_EQ(kit.drum(0).overtone1, 1.5);
    EXPECT_EQ(kit.drum(0).overtone2, 343.0);
    EXPECT_FALSE(kit.isShown(1));
    EXPECT_EQ(kit.referencePosition(), 1);
    profile.writeString(kPresets, "m_CurrentB_Str", "10\"");
    kit.load(profile);
    EXPECT_EQ(kit.referencePosition(), 0);
}

TEST(Kit, SingleReferenceAcceptsDecimalCommaAndRejectsOutOfRange) {
    Kit kit;
    kit.setSingleReferenceText("123,5");
    EXPECT_EQ(kit.singleReferenceHz(), 123.5);
    EXPECT_EQ(kit.singleReferenceText(), "123.5");
    for (const char* text : {"2000", "20", "abc"}) {
        kit.setSingleReferenceText(text);
        EXPECT_EQ(kit.singleReferenceHz(), 0.0) << text;
        EXPECT_EQ(kit.singleReferenceText(), "") << text;
    }
}

TEST(Kit, OvertoneRangesExcludeTheirBounds) {
    Kit kit;
    kit.assign({{6, 9, true, 1.5, 300.0}, {8, 9, true, 0.05, 10.0}, {12, 9, true, 20.0, 2000.0}});
    EXPECT_EQ(kit.referenceHz(0, kFundamental), 440.0);
    EXPECT_DOUBLE_EQ(kit.referenceHz(0, kBatterOvertone), 660.0);
    EXPECT_EQ(kit.referenceHz(0, kResonantOvertone), 300.0);
    for (int position : {1, 2}) {
        EXPECT_EQ(kit.referenceHz(position, kBatterOvertone), 0.0);
        EXPECT_EQ(kit.referenceHz(position, kResonantOvertone), 0.0);
    }
}

TEST(Kit, SaveStoresThousandthsAndValuesReadBackDoNotDrift) {
    MemoryProfile profile;
    Kit kit;
    kit.load(profile);
    kit.setOvertones(0, 1.001, 4.007);
    kit.setOvertones(1, 1.2345, -1.9999);
    kit.setOvertones(2, 1e300, std::numeric_limits<double>::quiet_NaN());
    kit.save(profile);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_10дюймовm_Ober1", 0), 1001);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_10дюймовm_Ober2", 0), 4007);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_12дюймовm_Ober1", 0), 1234);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_12дюймовm_Ober2", 0), -1999);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймовm_Ober1", -1), 0);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймовm_Ober2", -1), 0);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_10дюймов_m_Notas", 0), -9);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_Бочка_m_IsShows", 0), 1);
    for (int stored = 0; stored < 2000000; stored += 7) {
        ASSERT_EQ(overtones::toStored(overtones::fromStored(stored)), stored);
    }
}

}  // namespace tomaro
