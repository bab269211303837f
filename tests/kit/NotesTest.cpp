#include <gtest/gtest.h>

#include "kit/Notes.h"
#include "kit/NumberFormat.h"
#include "support/DecimalCommaLocale.h"

namespace tomaro {

TEST(Notes, NamesAndOctavesInBothNamings) {
    EXPECT_EQ(notes::frequencyHz(9), 440.0);
    EXPECT_EQ(notes::name(9, false), "окт 1, Ля");
    EXPECT_EQ(notes::name(9, true), "4 A");
    EXPECT_EQ(notes::name(-1, false), "окт 0, Си");
    EXPECT_EQ(notes::name(-1, true), "3 B");
    EXPECT_EQ(notes::name(12, false), "окт 2, До");
    EXPECT_EQ(notes::name(12, true), "5 C");
    EXPECT_EQ(notes::name(-31, false), "окт -2, Фа");
    EXPECT_EQ(notes::name(-31, true), "1 F");
    EXPECT_EQ(notes::name(-100, true), "-5 G#");
}

TEST(Notes, SolStartsWithLatinCapitalC) {
    EXPECT_EQ(notes::name(7, false), "окт 1, Cоль");
    EXPECT_EQ(notes::pitchClassName(8, false), "C\xD0\xBE\xD0\xBB\xD1\x8C#");
}

TEST(Notes, IntervalTextsNameUpToAnOctave) {
    EXPECT_EQ(notes::intervalText(0), "0");
    EXPECT_EQ(notes::intervalText(-7), "-7, чистая квинта");
    EXPECT_EQ(notes::intervalText(12), "12, чистая октава");
    EXPECT_EQ(notes::intervalText(-12), "-12, чистая октава");
    EXPECT_EQ(notes::intervalText(13), "13");
}

TEST(Notes, FrequencyTextKeepsZerosTrimmedTextDropsThem) {
    EXPECT_EQ(notes::frequencyText(0), "261.63");
    EXPECT_EQ(notes::frequencyText(9), "440.00");
    EXPECT_EQ(notes::trimmedText(440.0, 2), "440");
    EXPECT_EQ(notes::trimmedText(1.5, 3), "1.5");
    EXPECT_EQ(notes::trimmedText(0.05, 3), "0.05");
    EXPECT_EQ(notes::trimmedText(2.0, 3), "2");
    EXPECT_EQ(notes::trimmedText(0.125, 3), "0.125");
    EXPECT_EQ(notes::trimmedText(100.0, 2), "100");
}

TEST(NumberFormat, ScansLikeTheCLibrary) {
    EXPECT_EQ(numbers::leadingNumber("  1.5 300"), 1.5);
    EXPECT_EQ(numbers::leadingNumber("+.5x"), 0.5);
    EXPECT_EQ(numbers::leadingNumber("abc"), 0.0);
    EXPECT_EQ(numbers::leadingNumber("+-1"), 0.0);
    EXPECT_EQ(numbers::scanInt("  -12.5").value, -12);
    EXPECT_EQ(numbers::scanInt("  -12.5").length, 5u);
    EXPECT_EQ(numbers::scanInt("99999999999").length, 0u);
    EXPECT_EQ(numbers::general(0.00001), "1e-05");
}

TEST(NumberFormat, TextsIgnoreADecimalCommaLocale) {
    testing::DecimalCommaLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no decimal-comma locale could be set or compiled";
    EXPECT_EQ(notes::frequencyText(0), "261.63");
    EXPECT_EQ(numbers::general(2.3), "2.3");
    EXPECT_EQ(numbers::leadingNumber("1.5"), 1.5);
}

}  // namespace tomaro
