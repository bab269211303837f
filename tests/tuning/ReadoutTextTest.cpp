#include <gtest/gtest.h>

#include <cmath>

#include "analysis/FixedText.h"
#include "kit/Notes.h"
#include "support/DecimalCommaLocale.h"
#include "tuning/Color.h"
#include "tuning/ReadoutText.h"

namespace tomaro {

TEST(ReadoutText, NumberTextPicksDecimalsByMagnitudeThenTrims) {
    EXPECT_EQ(readout::numberText(49.999), "50");
    EXPECT_EQ(readout::numberText(50.0), "50");
    EXPECT_EQ(readout::numberText(500.0), "500");
    EXPECT_EQ(readout::numberText(123.40), "123.4");
    EXPECT_EQ(readout::numberText(12.0), "12");
    EXPECT_EQ(readout::numberText(12.345), "12.35");
    EXPECT_EQ(readout::numberText(499.96), "500");
    EXPECT_EQ(readout::numberText(1234.5), "1234");
}

TEST(ReadoutText, ConcertANamesOctaveInBothNamings) {
    EXPECT_EQ(readout::noteText(440.0, true, false), "1, Ля +0 %");
    EXPECT_EQ(readout::noteText(440.0, true, true), "4 A  +0 %");
    EXPECT_EQ(readout::noteText(440.0, false, false), "1, Ля");
    EXPECT_EQ(readout::noteText(440.0, false, true), "4 A");
    EXPECT_EQ(readout::noteText(notes::frequencyHz(-1), false, false), "0, Си");
    EXPECT_EQ(readout::noteText(notes::frequencyHz(-31), false, true), "1 F");
    EXPECT_EQ(readout::noteText(0.0, true, false), "1, До +0 %");
}

TEST(ReadoutText, HalfWayBetweenNotesRoundsUpWithMinusFifty) {
    EXPECT_EQ(readout::noteTextForSemitones(9.5, true, false), "1, Ля# -50 %");
    EXPECT_EQ(readout::noteTextForSemitones(-0.5, true, true), "4 C  -50 %");
    EXPECT_EQ(readout::noteTextForSemitones(9.49, true, false), "1, Ля +49 %");
    EXPECT_EQ(readout::noteText(440.0 * std::pow(2.0, 0.3 / 12.0), true, false), "1, Ля +30 %");
}

TEST(ReadoutText, ExactNotesNeverShowMinusZero) {
    for (int note = -100; note <= 100; ++note) {
        std::string text = readout::noteText(notes::frequencyHz(note), true, false);
        EXPECT_EQ(text.substr(text.size() - 4), "+0 %") << note;
    }
}

// A deviation that rounds to zero is no deviation: never "-0", in either language.
TEST(ReadoutText, ANoteALittleFlatShowsNoMinusZero) {
    EXPECT_EQ(readout::noteText(439.9, true, false), "1, Ля +0 %");
    EXPECT_EQ(readout::noteText(440.1, true, false), "1, Ля +0 %");
    EXPECT_EQ(readout::noteText(439.9, true, true), "4 A  +0 %");
    EXPECT_EQ(fixedText(-0.04, 1), "0.0");
    EXPECT_EQ(fixedText(-0.06, 1), "-0.1");
}

TEST(ReadoutText, TextsIgnoreADecimalCommaLocale) {
    testing::DecimalCommaLocale locale;
    if (!locale.active()) GTEST_SKIP() << "no decimal-comma locale could be set or compiled";
    EXPECT_EQ(readout::numberText(12.345), "12.35");
    EXPECT_EQ(readout::numberText(123.4), "123.4");
}

TEST(Color, ColorrefValuesBecomeRgb) {
    EXPECT_EQ(Rgb::fromColorref(0x00F58C00), (Rgb{0, 140, 245}));
    EXPECT_EQ(Rgb::fromColorref(0x00FFB4BE).value(), 0xBEB4FFu);
    EXPECT_EQ(kWarningRed.hex(), "#ff0000");
    EXPECT_EQ(drumColor(0, 6).hex(), "#0000ff");
    EXPECT_EQ(drumColor(5, 6).hex(), "#008cf5");
    EXPECT_EQ(drumColor(3, 6).hex(), "#be0000");
    EXPECT_EQ(drumColor(6, 6), kSingleReferenceColor);
    EXPECT_EQ(drumColor(-1, 6).hex(), "#0000be");
}

}  // namespace tomaro
