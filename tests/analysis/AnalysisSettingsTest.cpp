#include <gtest/gtest.h>

#include "analysis/AnalysisSettings.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

TEST(AnalysisSettings, DefaultsAreGauss1WithDecayOver30To500Hz) {
    MemoryProfile profile;
    AnalysisSettings settings(profile);
    EXPECT_EQ(settings.windowKind(), 1);
    EXPECT_TRUE(settings.decayAccounting());
    EXPECT_EQ(settings.findF0(), 30);
    EXPECT_EQ(settings.findF1(), 500);
    EXPECT_EQ(profile.writeCount(), 0);
}

TEST(AnalysisSettings, ReadsTheStoredValuesUnderTheirSectionsAndKeys) {
    MemoryProfile profile;
    profile.writeInt("Options", "m_WinVar", 2);
    profile.writeInt("CMainDlg", "m_UseAproExp", 0);
    profile.writeInt("Options", "m_FindF0", 40);
    profile.writeInt("Options", "m_FindF1", 400);
    AnalysisSettings settings(profile);
    EXPECT_EQ(settings.windowKind(), 2);
    EXPECT_FALSE(settings.decayAccounting());
    EXPECT_EQ(settings.findF0(), 40);
    EXPECT_EQ(settings.findF1(), 400);
}

TEST(AnalysisSettings, StoredRangeIsReadByTheRulesOfTheRangeFields) {
    // Held to 20..2000 Hz and swapped when F1 < F0, as if typed; nothing is written back.
    const struct {
        int storedF0, storedF1, f0, f1;
    } cases[] = {{400, 40, 40, 400},
                 {99999, -5, 20, 2000},
                 {30, 1000000000, 30, 2000},
                 {5000, 3000, 2000, 2000},
                 {700, 700, 700, 700}};
    for (const auto& c : cases) {
        MemoryProfile profile;
        profile.writeInt("Options", "m_FindF0", c.storedF0);
        profile.writeInt("Options", "m_FindF1", c.storedF1);
        AnalysisSettings settings(profile);
        EXPECT_EQ(settings.findF0(), c.f0) << c.storedF0 << " " << c.storedF1;
        EXPECT_EQ(settings.findF1(), c.f1) << c.storedF0 << " " << c.storedF1;
        EXPECT_EQ(profile.writeCount(), 2);
        EXPECT_EQ(profile.readInt("Options", "m_FindF0", 0), c.storedF0);
    }
}

TEST(AnalysisSettings, SearchRangeIsClampedAndSwappedAndWrittenAtOnce) {
    MemoryProfile profile;
    AnalysisSettings settings(profile);
    EXPECT_EQ(settings.searchRangeChanged(600, 10), std::make_pair(20, 600));
    EXPECT_EQ(settings.findF0(), 20);
    EXPECT_EQ(settings.findF1(), 600);
    EXPECT_EQ(profile.readInt("Options", "m_FindF0", 0), 20);
    EXPECT_EQ(profile.readInt("Options", "m_FindF1", 0), 600);
    EXPECT_EQ(settings.searchRangeChanged(5000, 100), std::make_pair(100, 2000));
}

TEST(AnalysisSettings, ChoicesAreWrittenAtOnce) {
    MemoryProfile profile;
    AnalysisSettings settings(profile);
    settings.setWindowKind(0);
    settings.setDecayAccounting(false);
    EXPECT_EQ(profile.readInt("Options", "m_WinVar", -1), 0);
    EXPECT_EQ(profile.readInt("CMainDlg", "m_UseAproExp", -1), 0);
    AnalysisSettings reread(profile);
    EXPECT_EQ(reread.windowKind(), 0);
    EXPECT_FALSE(reread.decayAccounting());
}

TEST(AnalysisSettings, DefaultsComeBackAndAreStored) {
    MemoryProfile profile;
    profile.writeInt("Options", "m_WinVar", 0);
    profile.writeInt("CMainDlg", "m_UseAproExp", 0);
    profile.writeInt("Options", "m_FindF0", 100);
    profile.writeInt("Options", "m_FindF1", 900);
    AnalysisSettings settings(profile);
    settings.restoreDefaults();
    EXPECT_EQ(settings.windowKind(), 1);
    EXPECT_TRUE(settings.decayAccounting());
    EXPECT_EQ(std::make_pair(settings.findF0(), settings.findF1()), std::make_pair(30, 500));
    AnalysisSettings reread(profile);
    EXPECT_EQ(reread.windowKind(), 1);
    EXPECT_TRUE(reread.decayAccounting());
    EXPECT_EQ(std::make_pair(reread.findF0(), reread.findF1()), std::make_pair(30, 500));
}

}  // namespace
}  // namespace tomaro
