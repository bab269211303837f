#include "display/QualityText.h"

#include <cmath>
#include <cstdio>

#include "analysis/FixedText.h"
#include "display/ReadoutText.h"

namespace tomaro::qualitytext {
namespace {

std::string signedText(double value, int decimals) {
    std::string text = fixedText(value, decimals);
    if (value >= 0.0 && text.front() != '-') text.insert(text.begin(), '+');
    return text;
}

}  // namespace

std::string verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Good:
            return "Надёжно";
        case Verdict::Doubtful:
            return "Сомнительно";
        case Verdict::Rejected:
            return "Отклонено";
    }
    return "";
}

Rgb verdictColor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Good:
            return {0, 128, 0};
        case Verdict::Doubtful:
            return {200, 110, 0};
        case Verdict::Rejected:
            return kWarningRed;
    }
    return kTextBlack;
}

std::string reasonText(QualityReason reason, const QualityReport& report) {
    switch (reason) {
        case QualityReason::NoTone:
            return "нет тона";
        case QualityReason::Clipped:
            return "перегрузка в области анализа";
        case QualityReason::Rival:
            return "соперник " + readout::numberText(report.rivalHz) + " Гц, " +
                   signedText(report.rivalDb, 1) + " дБ";
        case QualityReason::Subharmonic:
            return "пик на " + readout::numberText(report.subharmonicHz) +
                   " Гц: возможно, это обертон";
        case QualityReason::ShortDecay:
            return "короткое затухание";
        case QualityReason::Glide:
            return "тон плывёт";
        case QualityReason::LowSnr:
            return "тон тонет в шуме";
        case QualityReason::NoStrike:
            return "нет удара выше порога";
    }
    return "";
}

std::string qualityLine(const QualityReport& report, double lastAcceptedHz) {
    std::string line = verdictText(report.verdict);
    const char* separator = ": ";
    for (int i = 0; i < kQualityReasonCount; ++i) {
        const auto reason = static_cast<QualityReason>(i);
        if (!report.has(reason)) continue;
        line += separator + reasonText(reason, report);
        separator = ", ";
    }
    if (report.has(QualityReason::NoTone)) {
        if (lastAcceptedHz > 0.0) {
            line += " · последний принятый " + fixedText(lastAcceptedHz, 2) + " Гц";
        }
        return line;
    }
    line += " · ОСШ " + fixedText(report.fitSnrDb, 1) + " дБ";
    if (std::isfinite(report.decaySec)) {
        line += " · затухание " + fixedText(report.decaySec, 2) + " с";
    }
    const double glide = std::round(report.glideCents);
    line += " · уход " + signedText(glide, 0) + " " +
            countWord(static_cast<int>(std::fabs(glide)), "цент", "цента", "центов");
    if (report.verdict == Verdict::Rejected && lastAcceptedHz > 0.0) {
        line += " · последний принятый " + fixedText(lastAcceptedHz, 2) + " Гц";
    }
    return line;
}

std::string countWord(int count, const char* one, const char* few, const char* many) {
    const int lastTwo = count % 100;
    const int last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14) return many;
    if (last == 1) return one;
    if (last >= 2 && last <= 4) return few;
    return many;
}

std::string seriesLine(int count, double medianHz, double spreadCents, bool stable) {
    if (count <= 0) return "серия: нет ударов";
    std::string line = "серия: " + std::to_string(count) + " " +
                       countWord(count, "удар", "удара", "ударов") + ", " + fixedText(medianHz, 2) +
                       " Гц ± " + fixedText(spreadCents, 1);
    if (stable) line += " · стабильно";
    return line;
}

}  // namespace tomaro::qualitytext
