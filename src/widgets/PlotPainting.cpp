#include "widgets/PlotPainting.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "audio/StrikeRecord.h"

namespace tomaro::plot {

QColor background() { return QColor(255, 255, 255); }
QColor frame() { return QColor(196, 201, 209); }
QColor grid() { return QColor(226, 229, 234); }
QColor minorGrid() { return QColor(241, 243, 246); }
QColor label() { return QColor(96, 102, 112); }
QColor title() { return QColor(52, 58, 68); }
QColor band() { return QColor(255, 193, 7, 46); }
QColor bandEdge() { return QColor(222, 150, 0); }
QColor strike() { return QColor(31, 78, 140); }
QColor leadIn() { return QColor(160, 166, 176); }
QColor fit() { return QColor(226, 74, 28); }
QColor spectrum() { return QColor(44, 56, 78); }
QColor measured() { return QColor(0, 146, 76); }

QColor toQColor(Rgb color) { return QColor(color.red, color.green, color.blue); }

QRect plotArea(const QRect& widget, int rightMargin) {
    QRect area = widget.adjusted(kLeftMargin, kTopMargin, -rightMargin, -kBottomMargin);
    if (area.width() < 1) area.setWidth(1);
    if (area.height() < 1) area.setHeight(1);
    return area;
}

QFont tickFont(const QFont& base) {
    QFont font = base;
    font.setPixelSize(11);
    return font;
}

QFont titleFont(const QFont& base) {
    QFont font = base;
    font.setPixelSize(12);
    font.setWeight(QFont::DemiBold);
    return font;
}

void drawBackground(QPainter& painter, const QRect& widget) {
    painter.fillRect(widget, background());
}

void drawTitle(QPainter& painter, const QRect& plot, const QString& text) {
    painter.save();
    painter.setFont(titleFont(painter.font()));
    painter.setPen(title());
    QRectF box(plot.left(), 0, plot.width(), plot.top());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.restore();
}

void drawFrame(QPainter& painter, const QRect& plot) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(frame());
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    painter.restore();
}

void drawPlaceholder(QPainter& painter, const QRect& plot, const QString& text) {
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QSizeF size(metrics.horizontalAdvance(text) + 20.0, metrics.height() + 8.0);
    const QRectF box(QPointF(plot.center().x() + 0.5 - size.width() / 2.0,
                             plot.center().y() + 0.5 - size.height() / 2.0),
                     size);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 225));
    painter.drawRoundedRect(box, 4.0, 4.0);
    painter.setPen(QColor(150, 156, 166));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

void drawXLabel(QPainter& painter, const QRect& plot, double x, const QString& text, int minX,
                int maxX) {
    QFontMetricsF metrics(painter.font());
    const double width = metrics.horizontalAdvance(text);
    double left = std::clamp(x - width / 2.0, static_cast<double>(minX), maxX - width);
    QRectF box(left, plot.bottom() + 3, width, kBottomMargin - 3);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
}

void drawYLabel(QPainter& painter, const QRect& plot, double y, const QString& text) {
    QFontMetricsF metrics(painter.font());
    const double height = metrics.height();
    QRectF box(0, y - height / 2.0, plot.left() - 5, height);
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
}

void drawTimeAxis(QPainter& painter, const QRect& plot, const QRect& widget, double firstSec,
                  double lastSec) {
    const double span = lastSec - firstSec;
    if (!(span > 0.0) || !std::isfinite(span)) return;
    const double step = tickStep(firstSec, lastSec, std::max(2, plot.width() / 80));
    painter.save();
    painter.setFont(tickFont(painter.font()));
    QPen gridPen(grid());
    gridPen.setCosmetic(true);
    for (double t : ticks(firstSec, lastSec, step)) {
        const double x = plot.left() + (t - firstSec) / span * plot.width();
        painter.setPen(gridPen);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(label());
        drawXLabel(painter, plot, x, tickText(t, step), widget.left() + 1, widget.right());
    }
    painter.restore();
}

double amplitudeCentreY(const QRect& plot) { return plot.top() + plot.height() / 2.0; }

double amplitudeHalfHeight(const QRect& plot) { return std::max(plot.height() / 2.0 - 4.0, 1.0); }

void drawAmplitudeGrid(QPainter& painter, const QRect& plot) {
    const double centre = amplitudeCentreY(plot);
    const double half = amplitudeHalfHeight(plot);
    painter.save();
    painter.setFont(tickFont(painter.font()));
    QPen minorPen(minorGrid());
    minorPen.setCosmetic(true);
    QPen majorPen(grid());
    majorPen.setCosmetic(true);
    for (double level : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
        const double y = centre - level * half;
        painter.setPen(level == 0.0 ? majorPen : minorPen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        if (level == 0.5 || level == -0.5) continue;
        painter.setPen(label());
        drawYLabel(painter, plot, y, QString::number(static_cast<int>(level)));
    }
    painter.restore();
}

double tickStep(double lo, double hi, int maxCount) {
    const double span = hi - lo;
    if (!(span > 0.0) || !std::isfinite(span) || maxCount < 1) return 1.0;
    const double raw = span / maxCount;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= raw) return factor * power;
    }
    return 10.0 * power;
}

std::vector<double> ticks(double lo, double hi, double step) {
    std::vector<double> values;
    if (!(step > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) return values;
    const double first = std::ceil(lo / step - 1e-9);
    for (double n = first; n * step <= hi + step * 1e-9 && values.size() < 1000; n += 1.0) {
        // -0 prints as "-0"; a tick at zero is plain 0.
        values.push_back(n == 0.0 ? 0.0 : n * step);
    }
    return values;
}

QString tickText(double value, double step) {
    int decimals = 0;
    if (step > 0.0 && step < 1.0) decimals = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    decimals = std::clamp(decimals, 0, 6);
    if (std::abs(value) < step * 1e-6) return QStringLiteral("0");
    return QString::number(value, 'f', decimals);
}

void waveformLines(const std::vector<ColumnExtremes>& columns, double left, double width,
                   double centreY, double yScale, std::vector<QLineF>& lines) {
    lines.clear();
    const double count = static_cast<double>(columns.size());
    QPointF previous;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ColumnExtremes& column = columns[c];
        const double x = left + (static_cast<double>(c) + 0.5) * width / count;
        const QPointF first(x, centreY - (column.minFirst ? column.min : column.max) * yScale);
        const QPointF second(x, centreY - (column.minFirst ? column.max : column.min) * yScale);
        if (c > 0) lines.emplace_back(previous, first);
        if (column.min != column.max) lines.emplace_back(first, second);
        previous = second;
    }
}

QPen waveformPen(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

bool sourceBeingRecorded(const StrikeRecord& record) {
    const int counter = record.counter.load(std::memory_order_acquire);
    return counter != -1 && counter < kStrikeLength && !record.readsInPlace();
}

int columnCount(int count, int widthPx, double devicePixelRatio) {
    const double ratio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0.0
                             ? std::min(devicePixelRatio, 4.0)
                             : 1.0;
    const int pixels = std::max(1, static_cast<int>(std::lround(widthPx * ratio)));
    return std::clamp(count, 0, pixels);
}

}  // namespace tomaro::plot
