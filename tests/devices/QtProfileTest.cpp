#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>

#include "devices/QtProfile.h"

namespace tomaro {

// Every test gets its own configuration folder, so the user's real settings are never touched.
// The settings library takes XDG_CONFIG_HOME only once per process; setPath moves it per test.
class QtProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_Dir.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_Dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_Dir.path());
    }
    QString configFile() const { return m_Dir.path() + "/Harnwick/Tomaro.conf"; }

    // Writes the settings file by hand and dates it back, so that any rewrite shows.
    void writeConfig(const QByteArray& bytes) {
        QDir().mkpath(m_Dir.path() + "/Harnwick");
        QFile file(configFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.flush();
        file.setFileTime(kLongAgo, QFileDevice::FileModificationTime);
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QDateTime modified() const {
        return QFileInfo(configFile()).fileTime(QFileDevice::FileModificationTime);
    }
    QStringList brokenCopies() const {
        return QDir(m_Dir.path() + "/Harnwick").entryList({"Tomaro.conf.broken-*"}, QDir::Files);
    }

    inline static const QDateTime kLongAgo = QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5));
    // A hand edit with one unbalanced quote: the library folds every later line into that value.
    static constexpr const char* kUnbalancedQuote =
        "[Tomaro1_5_demo2]\n"
        "CDlgPresets\\m_sEtoOne=\"110\n"
        "CMainDlg\\m_Porog=3000\n"
        "Options\\m_FindF0=40\n"
        "Options\\m_FindF1=400\n"
        "Options\\m_WinVar=2\n";

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

TEST_F(QtProfileTest, WritingTheValueAlreadyStoredLeavesTheFileAlone) {
    const QByteArray original =
        "[Tomaro1_5_demo2]\n"
        "; kept by hand\n"
        "Options\\m_IsUseEto_F0=1\n"
        "Options\\m_IsUseEto_M1=0\n"
        "CDlgPresets\\m_CurrentB_Str=\"12\\\"\"\n";
    writeConfig(original);
    {
        QtProfile profile;
        profile.writeInt("Options", "m_IsUseEto_F0", 1);
        profile.writeInt("Options", "m_IsUseEto_M1", 0);
        profile.writeString("CDlgPresets", "m_CurrentB_Str", "12\"");
        EXPECT_FALSE(profile.takeNotice());
    }
    EXPECT_EQ(contents(configFile()), original);
    EXPECT_EQ(modified(), kLongAgo);
    EXPECT_TRUE(brokenCopies().isEmpty());

    // A value stored as text and written again as the same number is the same value, too; a
    // different one is written.
    QtProfile profile;
    profile.writeInt("Options", "m_IsUseEto_M1", 0);
    EXPECT_EQ(modified(), kLongAgo);
    profile.writeInt("Options", "m_IsUseEto_M1", 1);
    EXPECT_NE(modified(), kLongAgo);
    EXPECT_EQ(QtProfile().readInt("Options", "m_IsUseEto_M1", 0), 1);
}

// Two windows open at once (two processes): a choice made in one after the other changed the
// file is stored, though the first still held that very value when it started.
TEST_F(QtProfileTest, ValueChangedByAnotherWindowIsWrittenBackWhenChosenAgain) {
    writeConfig("[Tomaro1_5_demo2]\nOptions\\m_WinVar=1\n");
    QtProfile first;
    EXPECT_EQ(first.readInt("Options", "m_WinVar", 0), 1);
    // The other process rewrites the file.
    QFile file(configFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Tomaro1_5_demo2]\nOptions\\m_WinVar=2\nOptions\\m_FindF0=40\n");
    file.close();
    first.writeInt("Options", "m_WinVar", 1);
    EXPECT_TRUE(contents(configFile()).contains("m_WinVar=1"));
    EXPECT_TRUE(contents(configFile()).contains("m_FindF0=40"));
}

TEST_F(QtProfileTest, FileThatDoesNotReadCleanlyIsCopiedAsideBeforeTheFirstWrite) {
    writeConfig(kUnbalancedQuote);
    {
        QtProfile profile;
        // The folded keys read as their defaults; nothing is written by reading.
        EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 3000), 3000);
        EXPECT_TRUE(brokenCopies().isEmpty());
        profile.writeInt("Options", "m_IsUseEto_M1", 1);
    }
    ASSERT_EQ(brokenCopies().size(), 1);
    const QString copy = m_Dir.path() + "/Harnwick/" + brokenCopies().front();
    EXPECT_TRUE(copy.endsWith(".broken-" + QDate::currentDate().toString(Qt::ISODate)));
    EXPECT_EQ(contents(copy), QByteArray(kUnbalancedQuote));

    // The file is whole again after that write: later writes keep no more copies.
    QtProfile profile;
    profile.writeInt("Options", "m_IsUseEto_M1", 0);
    EXPECT_FALSE(profile.takeNotice());
    EXPECT_EQ(brokenCopies().size(), 1);
    EXPECT_EQ(contents(copy), QByteArray(kUnbalancedQuote));
}

TEST_F(QtProfileTest, EachDamageIsReportedOnceAndKeptInItsOwnCopy) {
    // Values the library cannot decode would come back as "@Invalid()" after a rewrite, and a
    // key given twice would lose one of its lines.
    const QByteArray damages[] = {kUnbalancedQuote,
                                  "[Tomaro1_5_demo2]\nOptions\\m_WinVar=@Variant(\\0\\0\\0\\x7f)\n",
                                  "[Tomaro1_5_demo2]\nOptions\\m_WinVar=2\nOptions\\m_WinVar=0\n"};
    for (int index = 0; index < 3; ++index) {
        const QByteArray& damaged = damages[index];
        writeConfig(damaged);
        QtProfile profile;
        const QString notice =
            QString::fromStdString(profile.takeNotice().value_or(UserMessage{}).text);
        ASSERT_EQ(brokenCopies().size(), index + 1) << damaged.toStdString();
        const QString copy = index == 0 ? brokenCopies().front() : brokenCopies().back();
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Файл настроек"))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(copy)) << notice.toStdString();
        EXPECT_EQ(contents(m_Dir.path() + "/Harnwick/" + copy), damaged);
        EXPECT_EQ(contents(configFile()), damaged);  // reporting writes nothing to the file
        EXPECT_FALSE(profile.takeNotice());
        profile.writeInt("Options", "m_WinVar", 1);
        EXPECT_EQ(brokenCopies().size(), index + 1);
    }
    // The same damage again on the same day: the copy made before serves.
    writeConfig(kUnbalancedQuote);
    EXPECT_TRUE(QtProfile().takeNotice());
    EXPECT_EQ(brokenCopies().size(), 3);
}

// A settings file that is not a regular file is never read by the settings library (a pipe
// would hang the start, /dev/zero would eat the memory) nor replaced: the defaults serve, changes
// last for the session, and the user is told once where the file is.
TEST_F(QtProfileTest, APipeADeviceOrAFolderAsTheSettingsFileGivesTheDefaultsAndANotice) {
    const QString folder = m_Dir.path() + "/Harnwick";
    QDir().mkpath(folder);
    const auto makePipe = [&] { return ::mkfifo(configFile().toUtf8().constData(), 0600) == 0; };
    const auto makeZero = [&] { return QFile::link("/dev/zero", configFile()); };
    const auto makeFolder = [&] { return QDir().mkpath(configFile()); };
    const std::function<bool()> makers[] = {makePipe, makeZero, makeFolder};
    for (const auto& make : makers) {
        QFile::remove(configFile());
        QDir(configFile()).removeRecursively();
        ASSERT_TRUE(make());
        const QFileInfo before(configFile());
        QtProfile profile;
        EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 3000), 3000);
        profile.writeInt("CMainDlg", "m_Porog", 1234);
        EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 3000), 1234);  // for this session
        const QString notice =
            QString::fromStdString(profile.takeNotice().value_or(UserMessage{}).text);
        EXPECT_TRUE(notice.contains(configFile())) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QStringLiteral("не сохранятся"))) << notice.toStdString();
        EXPECT_FALSE(profile.takeNotice());
        const QFileInfo after(configFile());
        EXPECT_EQ(after.isFile(), before.isFile());
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
    }
    QDir(configFile()).removeRecursively();
}

// Settings that cannot be written (the folder made immutable, or read-only for a user) are read
// as usual, and the user is told once that changes are not saved, and where.
TEST_F(QtProfileTest, SettingsThatCannotBeWrittenAreSaidOnce) {
    writeConfig("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=2500\n");
    const QString folder = m_Dir.path() + "/Harnwick";
    const bool root = ::geteuid() == 0;
    const QByteArray lock = (root ? "chattr +i " : "chmod a-w ") + folder.toUtf8();
    const QByteArray unlock = (root ? "chattr -i " : "chmod u+w ") + folder.toUtf8();
    if (std::system(lock.constData()) != 0) GTEST_SKIP() << "cannot make " << lock.constData();
    {
        QtProfile profile;
        EXPECT_EQ(profile.readInt("CMainDlg", "m_Porog", 3000), 2500);
        profile.writeInt("CMainDlg", "m_Porog", 1234);
        const QString notice =
            QString::fromStdString(profile.takeNotice().value_or(UserMessage{}).text);
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Настройки не могут быть сохранены")))
            << notice.toStdString();
        EXPECT_TRUE(notice.contains(configFile())) << notice.toStdString();
        profile.writeInt("CMainDlg", "m_Porog", 1000);
        EXPECT_FALSE(profile.takeNotice());
    }
    ASSERT_EQ(std::system(unlock.constData()), 0);
    EXPECT_EQ(contents(configFile()), QByteArray("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=2500\n"));
    QtProfile writable;
    writable.writeInt("CMainDlg", "m_Porog", 1234);
    EXPECT_FALSE(writable.takeNotice());
}

// Junk a hand edit can leave: the file is kept aside and the user told, whatever the junk.
TEST_F(QtProfileTest, AnyJunkInAHandEditedFileIsKeptAsideAndSaid) {
    const QByteArray junk[] = {
        QByteArray("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=\"\n"),
        QByteArray("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=\"\nOptions\\m_WinVar=2\n"),
        QByteArray("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=3\xff\xfe\x41\n"),
        QByteArray("[Tomaro1_5_demo2]\nCMainDlg\\m_Porog=30") + QByteArray(2, '\0') + "00\n",
        QByteArray("[Tomaro1_5_demo2]\nOptions\\m_WinVar=@Variant(\\0\\0\\0)\n"),
    };
    for (const QByteArray& damaged : junk) {
        for (const QString& copy : brokenCopies())
            QFile::remove(m_Dir.path() + "/Harnwick/" + copy);
        writeConfig(damaged);
        QtProfile profile;
        const std::string notice = profile.takeNotice().value_or(UserMessage{}).text;
        EXPECT_FALSE(notice.empty()) << damaged.toHex().toStdString();
        profile.writeInt("Options", "m_IsUseEto_M1", 1);
        EXPECT_EQ(brokenCopies().size(), 1) << damaged.toHex().toStdString();
        if (brokenCopies().size() != 1) continue;
        EXPECT_EQ(contents(m_Dir.path() + "/Harnwick/" + brokenCopies().front()), damaged);
    }
    // What the library writes itself is no junk: quotes, commas, bytes, a stored variant.
    QFile::remove(configFile());
    {
        QSettings library(configFile(), QSettings::IniFormat);
        library.setValue("Tomaro1_5_demo2/OPEN/m_Path", QStringLiteral("\"Том\", 12\\ \\\""));
        library.setValue("Tomaro1_5_demo2/OPEN/m_Bytes", QByteArray("\xff\0\"", 3));
        library.setValue("Tomaro1_5_demo2/OPEN/m_When", QDateTime(QDate(2024, 5, 6), QTime(7, 8)));
        library.setValue("Tomaro1_5_demo2/CMainDlg/m_Porog", 2500);
    }
    EXPECT_FALSE(QtProfile().takeNotice()) << contents(configFile()).toStdString();
}

}  // namespace tomaro
