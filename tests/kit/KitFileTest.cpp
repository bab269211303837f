#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "kit/KitFile.h"
#include "settings/MemoryProfile.h"
#include "support/DecimalCommaLocale.h"
#include "support/TempFolder.h"

namespace tomaro {
namespace {

constexpr const char* kPresets = "CDlgPresets";

Kit sampleKit() {
    Kit kit;
    kit.assign({{0, -5, true, 1.5, 343.0},
                {6, -9, false, 0.0, 1.85},
                {12, -19, true, 1999.125, 1234.567},
                {19, -31, true, 2.3, 0.0}});
    return kit;
}

Kit loadedKit(const Profile& profile) {
    Kit kit;
    kit.load(profile);
    return kit;
}

void expectSameDrums(const Kit& actual, const Kit& expected) {
    ASSERT_EQ(actual.count(), expected.count());
    for (int i = 0; i < expected.count(); ++i) {
        EXPECT_EQ(actual.drum(i).type, expected.drum(i).type) << i;
        EXPECT_EQ(actual.drum(i).note, expected.drum(i).note) << i;
        EXPECT_EQ(actual.drum(i).shown, expected.drum(i).shown) << i;
        EXPECT_EQ(actual.drum(i).overtone1, expected.drum(i).overtone1) << i;
        EXPECT_EQ(actual.drum(i).overtone2, expected.drum(i).overtone2) << i;
    }
}

// "Baraban_Малый" and "Baraban_10дюймов" as earlier versions wrote them.
const std::string kSnareCp1251 = "Baraban_\xCC\xE0\xEB\xFB\xE9";
const std::string kTom10Cp1251 = "Baraban_10\xE4\xFE\xE9\xEC\xEE\xE2";

}  // namespace

TEST(KitFile, WritesCommentsAndOneCp1251LinePerDrum) {
    Kit kit;
    kit.assign({{0, -5, true, 1.5, 343.0}, {6, -9, false, 0.0, 0.0}});
    std::string bytes = KitFile::toBytes(kit);
    std::string expected = "COMMENT Tomaro 1.6 save options file\n";
    ASSERT_EQ(bytes.substr(0, expected.size()), expected);
    std::size_t records = bytes.find("Baraban");
    ASSERT_NE(records, std::string::npos);
    EXPECT_EQ(bytes.substr(expected.size(), 30), "COMMENT Please visit web site ");
    EXPECT_EQ(bytes.substr(records),
              kSnareCp1251 + " -5 1 1.5 343\n" + kTom10Cp1251 + " -9 0 0 0\n");
}

TEST(KitFile, SavedKitLoadsBackUnchanged) {
    Kit kit = sampleKit();
    MemoryProfile profile;
    ASSERT_EQ(KitFile::loadBytes(KitFile::toBytes(kit), profile), 4);
    expectSameDrums(loadedKit(profile), kit);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймовm_Ober2", 0), 1234567);
}

TEST(KitFile, LoadsAnOldCp1251FileAndSelectsExactlyItsDrums) {
    MemoryProfile profile;
    profile.writeInt("CDlgBaraSelect", "Bara_19", 1);
    std::string bytes =
        "COMMENT Tomaro 1.5 save options file\r\n"
        "COMMENT Please visit web site\r\n" +
        kSnareCp1251 + " -5 1 1.5 2.3\r\n" + kTom10Cp1251 + " 250 0 300 0\r\n";
    EXPECT_EQ(KitFile::loadBytes(bytes, profile), 2);
    EXPECT_EQ(profile.readInt("CDlgBaraSelect", "Bara_19", -1), 0);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_Малыйm_Ober2", 0), 2300);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_10дюймов_m_Notas", 0), 250);
    Kit kit = loadedKit(profile);
    ASSERT_EQ(kit.count(), 2);
    EXPECT_EQ(kit.drumName(0), "Малый");
    EXPECT_EQ(kit.drum(0).overtone1, 1.5);
    EXPECT_EQ(kit.drum(1).note, 100);
    EXPECT_FALSE(kit.isShown(1));
}

TEST(KitFile, AcceptsAFileSavedAsUtf8) {
    MemoryProfile profile;
    std::string bytes =
        "\xEF\xBB\xBF"
        "Baraban_Малый -5 1 1.5 0\nBaraban_Бочка -31 1 0 0\n";
    EXPECT_EQ(KitFile::loadBytes(bytes, profile), 2);
    Kit kit = loadedKit(profile);
    ASSERT_EQ(kit.count(), 2);
    EXPECT_EQ(kit.drumName(1), "Бочка");
}

TEST(KitFile, ParsesFieldsAsScanfWould) {
    MemoryProfile profile;
    std::string bytes =
        "Baraban_Бочка\t-31   1 +2.5e0 74junk\n"
        "Baraban_Малый 1 1 1.5\n"                 // a field missing
        " Baraban_12дюймов 1 1 0 0\n"             // not at the line start
        "Baraban_Малый 99999999999 1 0 0\n"       // note does not fit an int
        "Baraban_16дюймов -20 1 1e400 1e-400\n";  // out of a double's range: still numbers
    EXPECT_EQ(KitFile::loadBytes(bytes, profile), 2);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймов_m_Notas", 0), -20);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймовm_Ober1", -1), 0);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_16дюймовm_Ober2", -1), 0);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_Бочкаm_Ober1", 0), 2500);
    EXPECT_EQ(profile.readInt(kPresets, "Baraban_Бочкаm_Ober2", 0), 74000);
    EXPECT_FALSE(profile.contains(kPresets, "Baraban_Малый_m_Notas"));
}

TEST(KitFile, LongLinesLongKeysAndBadBytesAreSkipped) {
    MemoryProfile profile;
    std::string tooLong = "Baraban_Малый -5 1 0 0" + std::string(KitFile::kMaxLineLength, ' ');
    std::string tailLooksLikeARecord =
        std::string(KitFile::kMaxLineLength, 'x') + "Baraban_Малый -5 1 0 0";
    std::string longKey = "Baraban_" + std::string(900, 'x') + " 1 1 0 0";
    // Not UTF-8, and 0x98 has no character in Windows-1251.
    std::string unassignedByte = "Baraban_\xCC\xE0\x98 1 1 0 0";
    std::string bytes = tooLong + "\n" + tailLooksLikeARecord + "\n" + longKey + "\n" +
                        unassignedByte + "\n" + std::string("\0\xff\xfe", 3) + "\n";
    EXPECT_EQ(KitFile::loadBytes(bytes, profile), 0);
    EXPECT_EQ(profile.writeCount(), 0);

    std::string fits = "Baraban_Малый -5 1 0 0";
    fits += std::string(KitFile::kMaxLineLength - fits.size(), ' ');
    EXPECT_EQ(KitFile::loadBytes(fits, profile), 1);
}

TEST(KitFile, FilesRoundTripAndFailuresComeBackAsMessages) {
    const test::TempFolder temp{"kitfile"};
    const std::filesystem::path& folder = temp.path();
    std::filesystem::path path = folder / "Мои барабаны Tomaro.TKit";
    Kit kit = sampleKit();
    EXPECT_FALSE(KitFile::save(kit, path));
    MemoryProfile profile;
    EXPECT_FALSE(KitFile::load(path, profile));
    expectSameDrums(loadedKit(profile), kit);

    UserMessage cannotCreate{"Не удалось создать файл", "ОШИБКА", UserMessage::Severity::Error};
    EXPECT_EQ(KitFile::save(kit, folder / "missing" / "a.TKit"), cannotCreate);
    UserMessage cannotOpen{"Не удалось открыть файл", "ОШИБКА", UserMessage::Severity::Error};
    EXPECT_EQ(KitFile::load(folder / "missing.TKit", profile), cannotOpen);
    EXPECT_EQ(KitFile::load(folder, profile), cannotOpen);

    std::filesystem::path empty = folder / "empty.TKit";
    std::ofstream(empty) << "COMMENT nothing\n";
    MemoryProfile untouched;
    UserMessage nothing{"Ничего не измелилось", "Сообщение", UserMessage::Severity::Information};
    EXPECT_EQ(KitFile::load(empty, untouched), nothing);
    EXPECT_EQ(untouched.writeCount(), 0);
}

TEST(KitFile, CrLfAndCrAloneEndLinesAlike) {
    const std::string records[] = {kSnareCp1251 + " -5 1 1.5 0", "Baraban_Бочка -31 1 0 0",
                                   kTom10Cp1251 + " -9 0 0 0"};
    for (const std::string end : {"\r", "\r\n", "\n"}) {
        MemoryProfile profile;
        std::string bytes;
        for (const std::string& record : records) bytes += record + end;
        EXPECT_EQ(KitFile::loadBytes(bytes, profile), 3) << int(end.size());
        EXPECT_EQ(loadedKit(profile).count(), 3);
    }
}

TEST(KitFile, RefusesWhatIsNotARegularFileAndFilesPastTheBound) {
    const test::TempFolder temp{"kitfile"};
    const std::filesystem::path& folder = temp.path();
    const UserMessage cannotOpen{"Не удалось открыть файл", "ОШИБКА", UserMessage::Severity::Error};
    // A pipe without a writer and endless devices must come back at once, not hang.
    const std::filesystem::path pipe = folder / "pipe.TKit";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    MemoryProfile profile;
    EXPECT_EQ(KitFile::load(pipe, profile), cannotOpen);
    EXPECT_EQ(KitFile::load("/dev/zero", profile), cannotOpen);
    EXPECT_EQ(KitFile::load("/dev/urandom", profile), cannotOpen);
    EXPECT_EQ(profile.writeCount(), 0);

    // Valid records at the start do not make a huge file a kit.
    const std::string record = "Baraban_Малый -5 1 0 0\n";
    std::string bytes = record;
    bytes.resize(KitFile::kMaxFileBytes, ' ');
    bytes.back() = '\n';
    const std::filesystem::path largest = folder / "largest.TKit";
    std::ofstream(largest, std::ios::binary) << bytes;
    EXPECT_FALSE(KitFile::load(largest, profile));
    const std::filesystem::path huge = folder / "huge.TKit";
    std::ofstream(huge, std::ios::binary) << bytes << record;
    MemoryProfile untouched;
    const UserMessage tooLarge{"Файл больше 1 МБ - это не файл настроек", "ОШИБКА",
                               UserMessage::Severity::Error};
    EXPECT_EQ(KitFile::load(huge, untouched), tooLarge);
    EXPECT_EQ(untouched.writeCount(), 0);
}

TEST(KitFile, NumbersIgnoreADecimalCommaLocale) {
    testing::DecimalCommaLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no decimal-comma locale could be set or compiled";
    Kit kit = sampleKit();
    std::string bytes = KitFile::toBytes(kit);
    EXPECT_NE(bytes.find(" -5 1 1.5 343\n"), std::string::npos);
    MemoryProfile profile;
    ASSERT_EQ(KitFile::loadBytes(bytes, profile), 4);
    expectSameDrums(loadedKit(profile), kit);
}

}  // namespace tomaro
