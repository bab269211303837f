// The read-out, quality and kit texts the core builds, in English: the same lines the window and
// tomaro-analyze show, with Latin notes, cents, Hz and the drums' English names.
#include <gtest/gtest.h>

#include <string>

#include "kit/DrumTypes.h"
#include "kit/KitEditor.h"
#include "kit/Notes.h"
#include "settings/MemoryProfile.h"
#include "support/InEnglish.h"
#include "tuning/QualityText.h"
#include "tuning/Readout.h"
#include "tuning/ReadoutText.h"
#include "tuning/TuningReading.h"

namespace tomaro {
namespace {

using test::hasCyrillic;

// The snare at A 220 (batter 1.5), the 12" tom at A 110 and the kick at E 41.2 (resonant 90 Hz).
Kit snareTomAndKick() {
    Kit kit;
    kit.assign({{drums::kSnare, -3, true, 1.5, 0.0},
                {8, -15, true, 0.0, 0.0},
                {drums::kKick, -32, true, 0.0, 90.0}});
    return kit;
}

TEST(EnglishTexts, ReadoutNamesDrumsInEnglishWithCentsAndHz) {
    test::InEnglish english;
    Kit kit = snareTomAndKick();
    Readout readout;
    readout.update(221.0, kit, ReferenceSwitches{true, true, false}, false);
    const std::vector<ReadoutLine>& lines = readout.lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].text, "221 Hz");
    EXPECT_EQ(lines[1].text, "220 Hz for Snare");
    EXPECT_EQ(lines[2].text, "110 Hz for 12\"");
    EXPECT_EQ(lines[3].text, "41.2 Hz for Kick");
    EXPECT_EQ(lines[4].text, "330 Hz for batter overtone Snare");
    bool spacerSeen = false;
    for (const ReadoutLine& line : lines) {
        EXPECT_FALSE(hasCyrillic(line.text)) << line.text;
        spacerSeen = spacerSeen || line.text.empty();
    }
    EXPECT_TRUE(spacerSeen);
    EXPECT_EQ(lines[6].text, "3 A  +8 ¢");
    EXPECT_EQ(readout.nearestSummary(kit), "Nearest reference: 220 Hz for Snare, +8 ¢");
    EXPECT_EQ(referencesButtonCaption(kit, ReferenceSwitches{true, false, false}),
              "References 220, 110, 41.2 Hz");
    EXPECT_EQ(referencesButtonCaption(Kit(), ReferenceSwitches{true, false, false}),
              "References - click to set up");

    kit.setSingleReferenceText("500");
    readout.update(505.0, kit, ReferenceSwitches{false, false, true}, false);
    EXPECT_EQ(readout.nearestSummary(kit), "Nearest reference: 500 Hz reference, +17 ¢");
    readout.update(0.0, Kit(), ReferenceSwitches{false, false, false}, false);
    EXPECT_EQ(readout.lines().front().text,
              "Switch on the display of references: the fundamental or overtones");
}

TEST(EnglishTexts, NotesAreLatinWhateverTheKitSays) {
    {
        test::InEnglish english;
        EXPECT_EQ(readout::noteText(440.0 * std::pow(2.0, 11.0 / 1200.0), true, false),
                  "4 A  +11 ¢");
        EXPECT_EQ(readout::noteText(261.6256, false, false), "4 C");
        EXPECT_EQ(notes::name(9, false), "4 A");
        EXPECT_EQ(notes::intervalText(-7), "-7, perfect fifth");
        // The tuning view's large note as well: G of octave 2 for 98 Hz.
        const TuningReading reading = readingAgainst(98.0, 0.0, false, 5.0);
        EXPECT_EQ(reading.noteName, "G");
        EXPECT_EQ(reading.octave, 2);
        EXPECT_EQ(drums::shownName("Бочка"), "Kick");
        EXPECT_EQ(drums::shownName("Малый"), "Snare");
        EXPECT_EQ(drums::shownName("14\""), "14\"");
        // The keys of the settings and the kit files keep the stored names.
        EXPECT_EQ(drums::typeKey(drums::kKick), "Baraban_Бочка");
    }
    EXPECT_EQ(readout::noteText(440.0, true, false), "1, Ля +0 %");
    EXPECT_EQ(readingAgainst(98.0, 0.0, false, 5.0).octave, -1);
    EXPECT_EQ(drums::shownName("Бочка"), "Бочка");
}

TEST(EnglishTexts, QualityAndSeriesLinesInEnglish) {
    test::InEnglish english;
    QualityReport report;
    report.verdict = Verdict::Doubtful;
    report.reasons =
        1u << static_cast<int>(QualityReason::Rival) | 1u << static_cast<int>(QualityReason::Glide);
    report.rivalHz = 150.04;
    report.rivalDb = -1.53;
    report.fitSnrDb = 12.34;
    report.decaySec = 0.351;
    report.glideCents = -140.4;
    EXPECT_EQ(qualitytext::qualityLine(report, 0.0),
              "Doubtful: rival 150 Hz, -1.5 dB, the pitch glides · tone: 94 % of the sound · decay "
              "0.35 s · pitch glide -140 ¢");
    // Every reason at once, rejected, with the last accepted reading.
    report.verdict = Verdict::Rejected;
    report.reasons = (1u << kQualityReasonCount) - 1;
    report.subharmonicHz = 55.0;
    const std::string all = qualitytext::qualityLine(report, 98.765);
    EXPECT_FALSE(hasCyrillic(all)) << all;
    EXPECT_NE(all.find("last accepted 98.77 Hz"), std::string::npos) << all;
    report.reasons &= ~(1u << static_cast<int>(QualityReason::NoTone));
    EXPECT_FALSE(hasCyrillic(qualitytext::qualityLine(report, 98.765)));

    EXPECT_EQ(qualitytext::seriesLine(0, 0.0, 0.0, false), "series: no strikes");
    EXPECT_EQ(qualitytext::seriesLine(1, 98.0, 0.0, false), "series: 1 strike, 98.00 Hz ± 0.0 ¢");
    EXPECT_EQ(qualitytext::seriesLine(4, 110.624, 0.81, true),
              "series: 4 strikes, 110.62 Hz ± 0.8 ¢ · stable");
}

TEST(EnglishTexts, ReferencesDialogTextsInEnglish) {
    test::InEnglish english;
    Kit kit = snareTomAndKick();
    MemoryProfile profile;
    KitEditor editor(kit, profile);
    EXPECT_EQ(editor.rowTexts(2).drumName, "Kick");
    for (int row = 0; row < kit.count(); ++row) {
        const KitRowTexts texts = editor.rowTexts(row);
        EXPECT_FALSE(hasCyrillic(texts.noteText + texts.intervalText)) << texts.noteText;
        for (const OvertoneMenuItem& item : editor.overtoneMenu(row)) {
            EXPECT_FALSE(hasCyrillic(item.text)) << item.text;
        }
    }
    EXPECT_FALSE(hasCyrillic(editor.intervalHeading()));
}

}  // namespace
}  // namespace tomaro
