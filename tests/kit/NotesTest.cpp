#include <gtest/gtest.h>

#include "DecimalCommaLocale.h"
#include "kit/Notes.h"
#include "kit/NumberFormat.h"

namespace tomaro {

TEST(Notes, ConcertAIsExactly440HzAndNamedInBothNamings) {
    EXPECT_EQ(notes::frequencyHz(9), 440.0);
    EXPECT_EQ(notes::name(9, false), "окт 1, Ля");
    EXPECT_EQ(notes::name(9, true), "4 A");
}

TEST(Notes, OctaveNumbersChangeAtC) {
    EXPECT_EQ(notes::name(0, false), "окт 1, До");
    EXPECT_EQ(notes::name(0, true), "4 C");
    EXPECT_EQ(notes::name(-1, false), "окт 0, Си");
    EXPECT_EQ(notes::name(-1, true), "3 B");
    EXPECT_EQ(notes::name(12, false), "окт 2, До");
    EXPECT_EQ(notes::name(12, true), "5 C");
    EXPECT_EQ(notes::name(-31, false), "окт -2, Фа");
    EXPECT_EQ(notes::name(-31, true), "1 F");
    EXPECT_EQ(notes::name(-100, true), "-5 G#");
}

TEST(Notes, SolStartsWithLatinCapitalC) {
    std::string sol = notes::name(7, false);
    EXPECT_EQ(sol, "окт 1, Cоль");
    ASSERT_EQ(sol.size(), std::string("окт 1, ").size() + 1 + std::string("оль").size());
    EXPECT_EQ(sol[std::string("окт 1, ").size()], 'C');
    EXPECT_EQ(notes::pitchClassName(8, false), "C\xD0\xBE\xD0\xBB\xD1\x8C#");
}

TEST(Notes, IntervalTextsNameUpToAnOctave) {
    EXPECT_EQ(notes::intervalText(0), "0");
    EXPECT_EQ(notes::intervalText(-7), "-7, чистая квинта");
    EXPECT_EQ(notes::intervalText(1), "1, малая секунда");
    EXPECT_EQ(notes::intervalText(6), "6, тритон");
    EXPECT_EQ(notes::intervalText(12), "12, чистая октава");
    EXPECT_EQ(notes::intervalText(-12), "-12, чистая октава");
    EXPECT_EQ(notes::intervalText(13), "13");
    EXPECT_EQ(notes::intervalText(-200), "-200");
}

TEST(Notes, FrequencyTextKeepsTwoDecimals) {
    EXPECT_EQ(notes::frequencyText(0), "261.63");
    EXPECT_EQ(notes::frequencyText(9), "440.00");
}

TEST(Notes, TrimmedTextDropsTrailingZerosAndBarePoint) {
    EXPECT_EQ(notes::trimmedText(440.0, 2), "440");
    EXPECT_EQ(notes::trimmedText(1.5, 3), "1.5");
    EXPECT_EQ(notes::trimmedText(0.05, 3), "0.05");
    EXPECT_EQ(notes::trimmedText(2.0, 3), "2");
    EXPECT_EQ(notes::trimmedText(0.125, 3), "0.125");
    EXPECT_EQ(notes::trimmedText(100.0, 2), "100");
    EXPECT_EQ(notes::trimmedText(1.2345, 2), "1.23");
}

TEST(NumberFormat, ScansLikeTheCLibrary) {
    EXPECT_EQ(numbers::leadingNumber("  1.5 300"), 1.5);
    EXPECT_EQ(numbers::leadingNumber("+.5x"), 0.5);
    EXPECT_EQ(numbers::leadingNumber("-2e1"), -20.0);
    EXPECT_EQ(numbers::leadingNumber("abc"), 0.0);
    EXPECT_EQ(numbers::leadingNumber("+-1"), 0.0);
    EXPECT_EQ(numbers::scanInt("  -12.5").value, -12);
    EXPECT_EQ(numbers::scanInt("  -12.5").length, 5u);
    EXPECT_EQ(numbers::scanInt("99999999999").length, 0u);
    EXPECT_EQ(numbers::scanInt("-2147483648").value, -2147483647 - 1);
    EXPECT_EQ(numbers::general(1.5), "1.5");
    EXPECT_EQ(numbers::general(0.00001), "1e-05");
    EXPECT_EQ(numbers::signedWhole(0.0), "+0");
    EXPECT_EQ(numbers::signedWhole(-49.6), "-50");
}

TEST(NumberFormat, TextsIgnoreADecimalCommaLocale) {
    testing::DecimalCommaLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no decimal-comma locale could be set or compiled";
    EXPECT_EQ(notes::frequencyText(0), "261.63");
    EXPECT_EQ(notes::trimmedText(1.5, 3), "1.5");
    EXPECT_EQ(numbers::general(2.3), "2.3");
    EXPECT_EQ(numbers::leadingNumber("1.5"), 1.5);
}

}  // namespace tomaro
