#include "widgets/StretchZoom.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "analysis/Analyzer.h"
#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "language/TranslatedText.h"

namespace tomaro {

StretchZoom::StretchZoom(const StrikeRecord& record, Stretch& stretch, const Analyzer& analyzer,
                         QWidget* parent)
    : QWidget(parent), m_Record(record), m_Stretch(stretch), m_Analyzer(analyzer) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
    i18n::setToolTip(this, this, QT_TR_NOOP("Перетащите, чтобы сдвинуть область анализа"));
}

QSize StretchZoom::minimumSizeHint() const { return {240, 90}; }

QSize StretchZoom::sizeHint() const { return {640, 160}; }

QRect StretchZoom::plotRect() const { return plot::plotArea(rect()); }

bool StretchZoom::showsFit() const {
    const AnalysisResult& result = m_Analyzer.result();
    const int length = m_Stretch.length();
    return length > 0 && result.stretchStart == m_Stretch.start() &&
           result.stretchEnd == m_Stretch.end() &&
           static_cast<int>(m_Analyzer.fittedWaveform().size()) == length;
}

void StretchZoom::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = plotRect();
    plot::drawBackground(painter, rect());
    plot::drawTitle(painter, area, tr("Область анализа · время от фронта, с"));

    const SampleSource source = m_Record.source();
    const int start = std::clamp(m_Stretch.start(), 0, std::max(source.frameCount, 0));
    const int end = std::clamp(m_Stretch.end(), start, std::max(source.frameCount, 0));
    const int length = end - start;
    if (plot::sourceBeingRecorded(m_Record)) {
        plot::drawPlaceholder(painter, area, tr("Идёт запись удара…"));
        plot::drawFrame(painter, area);
        return;
    }
    if (length <= 0) {
        plot::drawPlaceholder(painter, area, tr("Нет сигнала"));
        plot::drawFrame(painter, area);
        return;
    }

    const double rate = m_Record.sampleRateHz;
    if (std::isfinite(rate) && rate > 0.0) {
        plot::drawTimeAxis(painter, area, rect(), (start - m_Record.startIndex) / rate,
                           (end - m_Record.startIndex) / rate);
    }
    plot::drawAmplitudeGrid(painter, area);

    const int count = plot::columnCount(length, area.width(), devicePixelRatioF());
    plot::columnExtremes(source, start, length, count, m_Signal);
    const int peak = std::max(plot::peakOf(m_Signal), 1);
    const double centre = plot::amplitudeCentreY(area);
    const double yScale = plot::amplitudeHalfHeight(area) / peak;

    painter.save();
    painter.setClipRect(area);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(plot::waveformPen(plot::strike(), 1.0));
    plot::waveformLines(m_Signal, area.left(), area.width(), centre, yScale, m_Lines);
    painter.drawLines(m_Lines.data(), static_cast<int>(m_Lines.size()));
    const bool withFit = showsFit();
    if (withFit) {
        const std::span<const std::int16_t> fitted = m_Analyzer.fittedWaveform();
        SampleSource fitSource;
        fitSource.native = fitted.data();
        fitSource.frameCount = static_cast<int>(fitted.size());
        plot::columnExtremes(fitSource, 0, length, count, m_Fit);
        painter.setPen(plot::waveformPen(plot::fit(), 1.6));
        plot::waveformLines(m_Fit, area.left(), area.width(), centre, yScale, m_Lines);
        painter.drawLines(m_Lines.data(), static_cast<int>(m_Lines.size()));
    }
    painter.restore();

    drawLegend(painter, area, withFit);
    plot::drawFrame(painter, area);
}

void StretchZoom::drawLegend(QPainter& painter, const QRect& area, bool withFit) {
    painter.save();
    painter.setFont(plot::tickFont(font()));
    QFontMetricsF metrics(painter.font());
    struct Entry {
        QString text;
        QColor color;
    };
    std::vector<Entry> entries{{tr("сигнал"), plot::strike()}};
    if (withFit) entries.push_back({tr("модель"), plot::fit()});
    constexpr double kSwatch = 16.0;
    constexpr double kGap = 12.0;
    double width = 0.0;
    for (const Entry& entry : entries)
        width += kSwatch + 4.0 + metrics.horizontalAdvance(entry.text);
    width += kGap * (entries.size() - 1);
    double x = area.right() - width;
    const double y = area.top() / 2.0;
    for (const Entry& entry : entries) {
        painter.setPen(QPen(entry.color, 2.0));
        painter.drawLine(QPointF(x, y), QPointF(x + kSwatch, y));
        x += kSwatch + 4.0;
        painter.setPen(plot::label());
        const double textWidth = metrics.horizontalAdvance(entry.text);
        painter.drawText(QRectF(x, 0, textWidth + 2.0, area.top()),
                         Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        x += textWidth + kGap;
    }
    painter.restore();
}

void StretchZoom::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_Dragging = true;
    m_LastX = event->position().x();
    setCursor(Qt::ClosedHandCursor);
}

void StretchZoom::mouseMoveEvent(QMouseEvent* event) {
    if (!m_Dragging || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const double x = event->position().x();
    const double dx = x - m_LastX;
    if (dx == 0.0 || m_Record.source().frameCount <= 0 || plot::sourceBeingRecorded(m_Record))
        return;
    m_LastX = x;
    m_Stretch.drag(dx, plotRect().width());
    update();
    emit stretchChanged();
}

void StretchZoom::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_Dragging) {
        m_Dragging = false;
        setCursor(Qt::OpenHandCursor);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tomaro
