#include "tuning/QualityText.h"

#include <cmath>
#include <cstdio>

#include "analysis/FixedText.h"
#include "settings/Language.h"
#include "tuning/ReadoutText.h"

namespace tomaro::qualitytext {
namespace {

std::string signedText(double value, int decimals) {
    std::string text = fixedText(value, decimals);
    if (value >= 0.0 && text.front() != '-') text.insert(text.begin(), '+');
    return text;
}

const char* decibels() { return pick("дБ", "dB"); }

std::string lastAccepted(double hz) {
    return pick(" · последний принятый ", " · last accepted ") + fixedText(hz, 2) +
           pick(" Гц", " Hz");
}

}  // namespace

std::string verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Good:
            return pick("Надёжно", "Reliable");
        case Verdict::Doubtful:
            return pick("Сомнительно", "Doubtful");
        case Verdict::Rejected:
            return pick("Отклонено", "Rejected");
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

Rgb verdictColorOnDark(Verdict verdict) {
    switch (verdict) {
        case Verdict::Good:
            return {70, 200, 110};
        case Verdict::Doubtful:
            return {240, 170, 60};
        case Verdict::Rejected:
            return {235, 90, 80};
    }
    return {228, 232, 238};
}

std::string reasonText(QualityReason reason, const QualityReport& report) {
    switch (reason) {
        case QualityReason::NoTone:
            return pick("нет тона", "no tone");
        case QualityReason::Clipped:
            return pick("перегрузка в области анализа", "clipping in the analysed stretch");
        case QualityReason::Rival:
            return pick("соперник ", "rival ") + readout::numberText(report.rivalHz) +
                   pick(" Гц, ", " Hz, ") + signedText(report.rivalDb, 1) + " " + decibels();
        case QualityReason::Subharmonic:
            return pick("пик на ", "peak at ") + readout::numberText(report.subharmonicHz) +
                   pick(" Гц: возможно, это обертон", " Hz: this may be an overtone");
        case QualityReason::ShortDecay:
            return pick("короткое затухание", "short decay");
        case QualityReason::Glide:
            return pick("тон плывёт", "the pitch glides");
        case QualityReason::LowSnr:
            return pick("тон тонет в шуме", "the tone is lost in noise");
        case QualityReason::NoStrike:
            return pick("нет удара выше порога", "no strike above the threshold");
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
            line += lastAccepted(lastAcceptedHz);
        }
        return line;
    }
    // Clipping before the stretch (in the attack) does not spoil the reading, but it is said.
    if (report.clippedBefore > 0 && !report.has(QualityReason::Clipped)) {
        line += pick(" · перегрузка в атаке", " · clipping in the attack");
    }
    // The fit's SNR as what it means: the share of the stretch's energy the fitted tone explains
    // (the residual of a least-squares fit is orthogonal to the fit, so the two add up).
    const double ratio = std::pow(10.0, report.fitSnrDb / 10.0);
    const double sharePercent = std::isfinite(ratio) ? 100.0 * ratio / (1.0 + ratio) : 100.0;
    line += pick(" · тон: ", " · tone: ") + fixedText(sharePercent, 0) +
            pick(" % звука", " % of the sound");
    if (std::isfinite(report.decaySec)) {
        line +=
            pick(" · затухание ", " · decay ") + fixedText(report.decaySec, 2) + pick(" с", " s");
    }
    const double glide = std::round(report.glideCents);
    line += pick(" · уход высоты ", " · pitch glide ") + signedText(glide, 0) + " ¢";
    if (report.verdict == Verdict::Rejected && lastAcceptedHz > 0.0) {
        line += lastAccepted(lastAcceptedHz);
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
    if (count <= 0) return pick("серия: нет ударов", "series: no strikes");
    const std::string strikes = inEnglish() ? (count == 1 ? "strike" : "strikes")
                                            : countWord(count, "удар", "удара", "ударов");
    std::string line = pick("серия: ", "series: ") + std::to_string(count) + " " + strikes + ", " +
                       fixedText(medianHz, 2) + pick(" Гц ± ", " Hz ± ") +
                       fixedText(spreadCents, 1) + " ¢";
    if (stable) line += pick(" · стабильно", " · stable");
    return line;
}

}  // namespace tomaro::qualitytext
