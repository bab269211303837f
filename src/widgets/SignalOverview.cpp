#include "widgets/SignalOverview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "language/TranslatedText.h"

namespace tomaro {
SignalOverview::SignalOverview(const StrikeRecord& record, Stretch& stretch, QWidget* parent)
    : QWidget(parent), m_Record(record), m_Stretch(stretch) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    i18n::setToolTip(this, this, QT_TR_NOOP("Щелчок ставит середину области анализа"));
}

QSize SignalOverview::minimumSizeHint() const { return {240, 90}; }

QSize SignalOverview::sizeHint() const { return {640, 140}; }

QRect SignalOverview::plotRect() const { return plot::plotArea(rect()); }

int SignalOverview::frameAt(double x) const {
    const int count = m_Record.source().frameCount;
    if (count <= 0) return -1;
    const QRect area = plotRect();
    const double frame = std::floor((x - area.left()) / area.width() * count);
    return static_cast<int>(std::clamp(frame, 0.0, count - 1.0));
}

double SignalOverview::xOfFrame(double frame) const {
    const QRect area = plotRect();
    const int count = std::max(m_Record.source().frameCount, 1);
    return area.left() + frame / count * area.width();
}

void SignalOverview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = plotRect();
    plot::drawBackground(painter, rect());
    plot::drawTitle(painter, area, tr("Сигнал · время от фронта, с"));

    const SampleSource source = m_Record.source();
    if (plot::sourceBeingRecorded(m_Record)) {
        plot::drawPlaceholder(painter, area, tr("Идёт запись удара…"));
        plot::drawFrame(painter, area);
        return;
    }
    if (source.frameCount <= 0) {
        plot::drawPlaceholder(painter, area, tr("Нет сигнала"));
        plot::drawFrame(painter, area);
        return;
    }

    const double rate = m_Record.sampleRateHz;
    if (std::isfinite(rate) && rate > 0.0) {
        plot::drawTimeAxis(painter, area, rect(), -m_Record.startIndex / rate,
                           (source.frameCount - m_Record.startIndex) / rate);
    }
    plot::drawAmplitudeGrid(painter, area);

    // The analysed stretch under the signal.
    const double bandLeft = xOfFrame(m_Stretch.start());
    const double bandRight = std::max(xOfFrame(m_Stretch.end()), bandLeft + 1.0);
    const QRectF band(bandLeft, area.top(), bandRight - bandLeft, area.height());
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(band, plot::band());
    QPen edgePen(plot::bandEdge(), 1.0);
    edgePen.setCosmetic(true);
    painter.setPen(edgePen);
    painter.drawLine(QPointF(bandLeft, area.top()), QPointF(bandLeft, area.bottom()));
    painter.drawLine(QPointF(bandRight, area.top()), QPointF(bandRight, area.bottom()));
    painter.restore();

    const int count = plot::columnCount(source.frameCount, area.width(), devicePixelRatioF());
    const std::vector<plot::ColumnExtremes>& reduced = m_Columns.columns(source, count);
    const int peak = std::max(plot::peakOf(reduced), 1);
    plot::waveformLines(reduced, area.left(), area.width(), plot::amplitudeCentreY(area),
                        plot::amplitudeHalfHeight(area) / peak, m_Lines);

    // The same lines drawn twice: grey left of the strike front, the strike colour from it on.
    const double frontX =
        std::clamp(xOfFrame(m_Record.startIndex), double(area.left()), double(area.right() + 1));
    painter.setBrush(Qt::NoBrush);
    painter.save();
    painter.setClipRect(QRectF(area.left(), area.top(), frontX - area.left(), area.height()));
    painter.setPen(plot::waveformPen(plot::leadIn(), 1.0));
    painter.drawLines(m_Lines.data(), static_cast<int>(m_Lines.size()));
    painter.restore();
    painter.save();
    painter.setClipRect(QRectF(frontX, area.top(), area.right() + 1 - frontX, area.height()));
    painter.setPen(plot::waveformPen(plot::strike(), 1.0));
    painter.drawLines(m_Lines.data(), static_cast<int>(m_Lines.size()));
    painter.restore();

    plot::drawFrame(painter, area);
}

void SignalOverview::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_LastFrame = -1;
    centreOnMouse(event->position().x());
}

void SignalOverview::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    centreOnMouse(event->position().x());
}

void SignalOverview::centreOnMouse(double x) {
    if (plot::sourceBeingRecorded(m_Record)) return;
    const int frame = frameAt(x);
    if (frame < 0 || frame == m_LastFrame) return;
    m_LastFrame = frame;
    m_Stretch.centreOn(frame);
    update();
    emit stretchChanged();
}

}  // namespace tomaro
