#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/QtProfile.h"

namespace tomaro {

// Every test gets its own configuration folder, so the user's real settings are never touched.
class QtProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_Dir.path().toUtf8());
    }
    QString configFile() const { return m_Dir.path() + "/Harnwick/Tomaro.conf"; }

    QTemporaryDir m_Dir;
};

TEST_F(QtProfileTest, WritesLandInTheFileScriptsExpect) {
    {
        QtProfile profile;
        profile.writeInt("CMainDlg", "m_Porog", 4500);
        EXPECT_EQ(profile.fileName(), configFile());
    }
    ASSERT_TRUE(QFile::exists(configFile()));
    QSettings raw(configFile(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("Tomaro1_5_demo2/CMainDlg/m_Porog").toInt(), 4500);
}

TEST_F(QtProfileTest, CyrillicKeysAndValuesRoundTripThroughTheFile) {
    {
        QtProfile profile;
        profile.writeInt("CDlgPresets", "Baraban_10дюймов_m_Notas", -9);
        profile.writeInt("CDlgPresets", "Baraban_Бочкаm_Ober1", 1750);
        profile.writeString("CDlgPresets", "m_CurrentB_Str", "Бочка");
        profile.writeString("CDlgPresets", "GetOptionsFileName_NAME", "Мои барабаны Tomaro.TKit");
    }
    QtProfile reopened;  // a new object reads the file, not a cache
    EXPECT_EQ(reopened.readInt("CDlgPresets", "Baraban_10дюймов_m_Notas", 0), -9);
    EXPECT_EQ(reopened.readInt("CDlgPresets", "Baraban_Бочкаm_Ober1", 0), 1750);
    EXPECT_EQ(reopened.readString("CDlgPresets", "m_CurrentB_Str", ""), "Бочка");
    EXPECT_EQ(reopened.readString("CDlgPresets", "GetOptionsFileName_NAME", ""),
              "Мои барабаны Tomaro.TKit");
}

TEST_F(QtProfileTest, FileNameBytesThatAreNotUtf8RoundTripThroughTheFile) {
    const std::string folder = "/home/d\xE9mo";  // Latin-1 "é" in a folder's name
    QtProfile().writeString("OPEN", "GetOpenFileName_PATH", folder);
    EXPECT_EQ(QtProfile().readString("OPEN", "GetOpenFileName_PATH", ""), folder);
}

TEST_F(QtProfileTest, MissingOrUnreadableValuesGiveTheDefault) {
    QtProfile profile;
    EXPECT_EQ(profile.readInt("Options", "m_WinVar", 1), 1);
    EXPECT_EQ(profile.readString("OPEN", "GetOpenFileName_NAME", "12345.wav"), "12345.wav");
    profile.writeString("Options", "m_FindF0", "not a number");
    EXPECT_EQ(profile.readInt("Options", "m_FindF0", 30), 30);
}

}  // namespace tomaro
