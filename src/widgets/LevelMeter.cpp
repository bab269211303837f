#include "widgets/LevelMeter.h"

#include <QPainter>
#include <algorithm>

#include "language/TranslatedText.h"

namespace tomaro {
namespace {

constexpr double kFullScale = 32768.0;

// Width of a bar for a peak, within the widget.
double barWidth(double width, int peak) {
    return std::clamp(width * peak / kFullScale, 0.0, width);
}

}  // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    i18n::setToolTip(this, this, QT_TR_NOOP("Уровень входа: сверху левый канал, снизу правый"));
}

QSize LevelMeter::minimumSizeHint() const { return {80, 14}; }

QSize LevelMeter::sizeHint() const { return {220, 22}; }

void LevelMeter::setLevel(InputLevel level) {
    if (level.leftPeak == m_Level.leftPeak && level.rightPeak == m_Level.rightPeak) return;
    m_Level = level;
    update();
}

void LevelMeter::setThreshold(int threshold) {
    if (threshold == m_Threshold) return;
    m_Threshold = threshold;
    update();
}

void LevelMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double w = width();
    const double upper = height() / 2.0;
    const double lower = height() - upper;
    const bool overload = m_Level.overload();
    const QColor bar = overload ? QColor(255, 0, 0) : QColor(0, 0, 0);
    const QColor rest(211, 211, 211);

    painter.fillRect(rect(), rest);
    painter.fillRect(QRectF(0.0, 0.0, barWidth(w, m_Level.leftPeak), upper), bar);
    painter.fillRect(QRectF(0.0, upper, barWidth(w, m_Level.rightPeak), lower), bar);

    if (m_Threshold >= 0) {
        const double x = std::min(w - 1.0, barWidth(w, m_Threshold));
        painter.fillRect(QRectF(x - 1.0, 0.0, 2.0, height()), QColor(255, 140, 0));
    }

    if (overload) {
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font = this->font();
        font.setBold(true);
        font.setPixelSize(std::clamp(height() - 4, 9, 16));
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 0));
        painter.drawText(rect(), Qt::AlignCenter, tr("Перегрузка"));
    }
}

}  // namespace tomaro
