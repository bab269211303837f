#include "widgets/StrikeQualityViews.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "analysis/Analyzer.h"
#include "analysis/PitchTrack.h"
#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "base/Cents.h"
#include "language/TranslatedText.h"
#include "tuning/QualityText.h"
#include "tuning/ReadoutText.h"
#include "widgets/PlotPainting.h"
#include "widgets/QtText.h"

namespace tomaro {
namespace {

QString colourStyle(Rgb colour) {
    return QStringLiteral("color: %1;").arg(toQString(colour.hex()));
}

}  // namespace

QualityLine::QualityLine(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void QualityLine::showQuality(const QualityReport& report, double lastAcceptedHz) {
    showVerdict(toQString(qualitytext::qualityLine(report, lastAcceptedHz)), report.verdict);
}

void QualityLine::showVerdict(const QString& text, Verdict verdict) {
    setText(text);
    setStyleSheet(colourStyle(m_OnDark ? qualitytext::verdictColorOnDark(verdict)
                                       : qualitytext::verdictColor(verdict)));
}

void QualityLine::clearQuality() {
    // Emptied, not cleared: a cleared QLabel is laid out by its size hint again, not as a text,
    // which moves what lies below it.
    setText(QString());
    setStyleSheet(QString());
}

SeriesLine::SeriesLine(QWidget* parent)
    : QWidget(parent), m_Label(new QLabel(this)), m_Button(new QPushButton(this)) {
    i18n::setText(m_Button, this, QT_TR_NOOP("Новая серия"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_Label->setObjectName(QStringLiteral("seriesLabel"));
    m_Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_Button->setObjectName(QStringLiteral("newSeriesButton"));
    i18n::setToolTip(m_Button, this,
                     QT_TR_NOOP("Начать серию ударов заново (например, после подтяжки)"));
    layout->addWidget(m_Label, 1);
    layout->addWidget(m_Button);
    connect(m_Button, &QPushButton::clicked, this, &SeriesLine::clearRequested);
    showSeries(0, 0.0, 0.0, false);
}

void SeriesLine::showSeries(int count, double medianHz, double spreadCents, bool stable) {
    m_Label->setText(toQString(qualitytext::seriesLine(count, medianHz, spreadCents, stable)));
    const Rgb good = m_OnDark ? qualitytext::verdictColorOnDark(Verdict::Good)
                              : qualitytext::verdictColor(Verdict::Good);
    m_Label->setStyleSheet(stable ? colourStyle(good) : QString());
}

QString SeriesLine::text() const { return m_Label->text(); }

PitchTrackView::PitchTrackView(const PitchTrack& track, const Analyzer& analyzer,
                               const StrikeRecord& record, const Stretch& stretch, QWidget* parent)
    : QWidget(parent), m_Track(track), m_Analyzer(analyzer), m_Record(record), m_Stretch(stretch) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    i18n::setToolTip(
        this, this,
        QT_TR_NOOP(
            "Частота тона по коротким отрезкам (40 мс через 10 мс) от фронта удара: жёлтым — "
            "область анализа, зелёная линия — измеренная частота, пунктир — медиана серии"));
}

void PitchTrackView::setFrequencies(double mainHz, double seriesMedianHz) {
    m_MainHz = mainHz;
    m_SeriesHz = seriesMedianHz;
    update();
}

QSize PitchTrackView::minimumSizeHint() const { return {240, 90}; }

QSize PitchTrackView::sizeHint() const { return {640, 150}; }

void PitchTrackView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = plot::plotArea(rect());
    plot::drawBackground(painter, rect());
    const bool hasMain = std::isfinite(m_MainHz) && m_MainHz > 0.0;
    plot::drawTitle(painter, area,
                    hasMain ? tr("Высота тона во времени · центы от %1 Гц")
                                  .arg(toQString(readout::numberText(m_MainHz)))
                            : tr("Высота тона во времени"));
    int valid = 0;
    double lastSec = 0.0;
    double spread = 25.0;  // cents shown above and below the main frequency, at least
    for (const PitchPoint& point : m_Track.points()) {
        if (!point.valid || !hasMain) continue;
        ++valid;
        lastSec = std::max(lastSec, point.timeSec);
        spread = std::max(spread, std::fabs(centsBetween(m_MainHz, point.frequencyHz)));
    }
    if (valid == 0 || plot::sourceBeingRecorded(m_Record)) {
        plot::drawPlaceholder(painter, area, tr("Нет тона"));
        plot::drawFrame(painter, area);
        return;
    }
    const double rate = m_Record.sampleRateHz;
    const double endSec = std::max(lastSec + PitchTrack::kHopSec, 0.1);
    const double step = plot::tickStep(-spread, spread, std::clamp(area.height() / 22, 2, 6));
    spread = std::ceil(spread / step) * step;
    auto xOf = [&](double sec) { return area.left() + sec / endSec * area.width(); };
    auto yOf = [&](double cents) {
        return area.top() + (spread - cents) / (2.0 * spread) * area.height();
    };
    plot::drawTimeAxis(painter, area, rect(), 0.0, endSec);
    painter.save();
    painter.setPen(QPen(plot::grid(), 1.0));
    for (double cents : plot::ticks(-spread, spread, step)) {
        painter.drawLine(QPointF(area.left(), yOf(cents)), QPointF(area.right(), yOf(cents)));
        plot::drawYLabel(painter, area, yOf(cents), plot::tickText(cents, step));
    }
    painter.restore();

    painter.save();
    painter.setClipRect(area);
    if (std::isfinite(rate) && rate > 0.0) {
        // The analysed stretch, in time from the front.
        const double left = xOf((m_Stretch.start() - m_Record.startIndex) / rate);
        const double right =
            std::max(xOf((m_Stretch.end() - m_Record.startIndex) / rate), left + 1);
        painter.fillRect(QRectF(left, area.top(), right - left, area.height()), plot::band());
        painter.setPen(QPen(plot::bandEdge(), 1.0));
        painter.drawLine(QPointF(left, area.top()), QPointF(left, area.bottom()));
        painter.drawLine(QPointF(right, area.top()), QPointF(right, area.bottom()));
    }
    painter.setPen(QPen(plot::measured(), 1.0));
    painter.drawLine(QPointF(area.left(), yOf(0.0)), QPointF(area.right(), yOf(0.0)));
    if (std::isfinite(m_SeriesHz) && m_SeriesHz > 0.0) {
        QPen dashed(plot::fit(), 1.4, Qt::DashLine);
        painter.setPen(dashed);
        const double y = yOf(centsBetween(m_MainHz, m_SeriesHz));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    // The track: consecutive valid points joined, a gap where a point is not valid.
    QPainterPath path;
    bool open = false;
    for (const PitchPoint& point : m_Track.points()) {
        if (!point.valid) {
            open = false;
            continue;
        }
        const QPointF at(xOf(point.timeSec), yOf(centsBetween(m_MainHz, point.frequencyHz)));
        if (open) {
            path.lineTo(at);
        } else {
            path.moveTo(at);
            open = true;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(plot::strike());
        painter.drawEllipse(at, 1.8, 1.8);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(plot::strike(), 1.5));
    painter.drawPath(path);
    painter.restore();
    plot::drawFrame(painter, area);
}

}  // namespace tomaro
