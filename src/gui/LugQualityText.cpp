#include "gui/LugQualityText.h"

#include <QStringList>
#include <cmath>

#include "gui/TuningWindow.h"
#include "tuning/LugTuning.h"
#include "tuning/QualityText.h"
#include "widgets/QtText.h"

namespace tomaro {

QString lugQualityText(const LugTapVerdict& verdict, const QualityReport& strike) {
    using Reason = LugTapVerdict::Reason;
    QStringList reasons;
    if (verdict.has(Reason::NoToneInBand)) reasons << TuningWindow::tr("нет тона в полосе винта");
    if (verdict.has(Reason::OtherFamily)) reasons << TuningWindow::tr("другая мода");
    if (verdict.has(Reason::TooQuiet)) reasons << TuningWindow::tr("слишком тихо");
    if (verdict.has(Reason::StrikeRejected)) {
        // The strike's own reasons, which rejected the tap (clipping, no strike above the
        // threshold, ...).
        for (int i = 0; i < kQualityReasonCount; ++i) {
            const auto reason = static_cast<QualityReason>(i);
            if (strike.has(reason)) {
                reasons << toQString(qualitytext::reasonText(reason, strike));
            }
        }
        if (!verdict.has(Reason::TooQuiet) && reasons.isEmpty()) {
            reasons << TuningWindow::tr("удар отклонён");
        }
    }
    if (verdict.has(Reason::WeakInBand)) reasons << TuningWindow::tr("слабый тон в полосе винта");
    if (verdict.has(Reason::OffPattern)) {
        reasons << TuningWindow::tr("не сходится с картиной пластика");
    }
    QString line = toQString(qualitytext::verdictText(verdict.verdict)) +
                   TuningWindow::tr(": винт %1").arg(verdict.rod);
    if (!reasons.isEmpty()) line += QStringLiteral(" — ") + reasons.join(QStringLiteral(", "));
    if (verdict.levelKnown) {
        line += TuningWindow::tr(" · тон в полосе %1 дБ над шумом").arg(std::lround(verdict.snrDb));
    }
    return line;
}

}  // namespace tomaro
