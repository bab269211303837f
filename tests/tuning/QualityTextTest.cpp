#include <gtest/gtest.h>

#include "tuning/QualityText.h"

namespace tomaro {
namespace {

using namespace qualitytext;

TEST(QualityText, RussianCountsTakeTheirWordForm) {
    const char* words[] = {"ударов", "удар", "удара", "удара", "удара", "ударов"};
    for (int n = 0; n <= 5; ++n) EXPECT_EQ(countWord(n, "удар", "удара", "ударов"), words[n]);
    EXPECT_EQ(countWord(11, "удар", "удара", "ударов"), "ударов");
    EXPECT_EQ(countWord(14, "удар", "удара", "ударов"), "ударов");
    EXPECT_EQ(countWord(21, "удар", "удара", "ударов"), "удар");
    EXPECT_EQ(countWord(112, "удар", "удара", "ударов"), "ударов");
}

TEST(QualityText, QualityLineNamesTheVerdictReasonsAndMeasures) {
    QualityReport report;
    report.verdict = Verdict::Doubtful;
    report.reasons =
        1u << static_cast<int>(QualityReason::Rival) | 1u << static_cast<int>(QualityReason::Glide);
    report.rivalHz = 150.04;
    report.rivalDb = -1.53;
    report.fitSnrDb = 12.34;
    report.decaySec = 0.351;
    report.glideCents = -140.4;
    EXPECT_EQ(qualityLine(report, 0.0),
              "Сомнительно: соперник 150 Гц, -1.5 дБ, тон плывёт · тон: 94 % звука · затухание "
              "0.35 с · уход высоты -140 ¢");
    report.decaySec = std::numeric_limits<double>::infinity();
    report.glideCents = 1.2;
    report.reasons = 0;
    report.verdict = Verdict::Good;
    EXPECT_EQ(qualityLine(report, 0.0), "Надёжно · тон: 94 % звука · уход высоты +1 ¢");
    // A fit SNR of -4 dB is a tone that explains 28 % of the sound, not a contradiction of
    // "Надёжно".
    report.fitSnrDb = -4.0;
    EXPECT_EQ(qualityLine(report, 0.0), "Надёжно · тон: 28 % звука · уход высоты +1 ¢");
    report.fitSnrDb = 12.34;
    // Clipping in the attack, before the analysed stretch, is named but judges nothing.
    report.clippedBefore = 12;
    EXPECT_EQ(qualityLine(report, 0.0),
              "Надёжно · перегрузка в атаке · тон: 94 % звука · уход высоты +1 ¢");
    report.clippedBefore = 0;

    report.verdict = Verdict::Rejected;
    report.reasons = 1u << static_cast<int>(QualityReason::Clipped);
    EXPECT_EQ(
        qualityLine(report, 98.765),
        "Отклонено: перегрузка в области анализа · тон: 94 % звука · уход высоты +1 ¢ · последний "
        "принятый 98.77 Гц");
}

TEST(QualityText, SeriesLine) {
    EXPECT_EQ(seriesLine(0, 0.0, 0.0, false), "серия: нет ударов");
    EXPECT_EQ(seriesLine(4, 110.624, 0.81, true), "серия: 4 удара, 110.62 Гц ± 0.8 ¢ · стабильно");
    EXPECT_EQ(seriesLine(5, 98.0, 7.25, false), "серия: 5 ударов, 98.00 Гц ± 7.2 ¢");
}

}  // namespace
}  // namespace tomaro
