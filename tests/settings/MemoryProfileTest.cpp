#include <gtest/gtest.h>

#include "settings/MemoryProfile.h"

namespace tomaro {

TEST(MemoryProfile, MissingValuesReadAsTheirDefaults) {
    MemoryProfile profile;
    EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 3000), 3000);
    EXPECT_EQ(profile.readString("OPEN", "GetOpenFileName_NAME", "12345.wav"), "12345.wav");
    EXPECT_FALSE(profile.contains("CMainDlg", "m_Porog"));
}

TEST(MemoryProfile, SectionsKeepEqualKeysApart) {
    MemoryProfile profile;
    profile.writeInt("CMainDlg", "m_Porog", 1);
    profile.writeInt("Options", "m_Porog", 2);
    profile.writeString("CDlgPresets", "Baraban_10дюймов_m_Notas", "-9");
    EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 0), 1);
    EXPECT_EQ(profile.readInt("Options", "m_Porog", 0), 2);
    EXPECT_EQ(profile.readInt("CDlgPresets", "Baraban_10дюймов_m_Notas", 0), -9);
    EXPECT_EQ(profile.writeCount(), 3);
}

}  // namespace tomaro
