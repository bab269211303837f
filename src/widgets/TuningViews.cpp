#include "widgets/TuningViews.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "kit/Kit.h"
#include "kit/NumberFormat.h"
#include "tuning/ReadoutText.h"
#include "widgets/QtText.h"

namespace tomaro {
namespace {

const QColor kBackground(18, 20, 24);
const QColor kText(235, 238, 242);
const QColor kDim(150, 156, 166);

QString hertz(double hz) { return toQString(readout::numberText(hz)) + TuningView::tr(" Гц"); }

}  // namespace

QColor adviceColor(TuneAdvice advice) {
    switch (advice) {
        case TuneAdvice::Ok:
            return QColor(70, 200, 110);
        case TuneAdvice::Tighten:
            return QColor(235, 90, 80);
        case TuneAdvice::Loosen:
            return QColor(90, 160, 245);
        case TuneAdvice::None:
            break;
    }
    return QColor(120, 126, 136);
}

QColor tightAxisColor() { return QColor(170, 70, 210); }

QColor slackAxisColor() { return QColor(200, 160, 230); }

TuningView::TuningView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TuningView::showReading(const TuningReading& reading, bool rejected, int toleranceCents,
                             const QString& targetName) {
    m_Reading = reading;
    m_Rejected = rejected;
    m_ToleranceCents = toleranceCents;
    m_TargetName = targetName;
    update();
}

void TuningView::setAdviceSuffix(const QString& suffix) {
    if (suffix == m_AdviceSuffix) return;
    m_AdviceSuffix = suffix;
    update();
}

QString TuningView::adviceLabel() const {
    if (!m_Reading.valid) return {};
    QString advice;
    switch (m_Reading.advice) {
        case TuneAdvice::Tighten:
            advice = QStringLiteral("▲ ") + tr("подтянуть");
            break;
        case TuneAdvice::Loosen:
            advice = QStringLiteral("▼ ") + tr("ослабить");
            break;
        case TuneAdvice::Ok:
            advice = tr("в допуске");
            break;
        case TuneAdvice::None:
            return {};
    }
    if (m_Reading.rod <= 0) return advice;
    // A rod's advice names its rod, and how far, unsigned: "винт 2: ▲ подтянуть 7 ¢".
    if (m_Reading.advice != TuneAdvice::Ok) {
        advice += QStringLiteral(" %1 ¢").arg(std::lround(m_Reading.adviceCents));
        if (!m_AdviceSuffix.isEmpty()) advice += QLatin1Char(' ') + m_AdviceSuffix;
    }
    return tr("винт %1: ").arg(m_Reading.rod) + advice;
}

QString TuningView::readingLine() const {
    if (!m_Reading.valid) return {};
    QString line = hertz(m_Reading.measuredHz);
    if (m_Reading.targetHz > 0.0) {
        line += QStringLiteral("  →  ") + hertz(m_Reading.targetHz);
        if (!m_TargetName.isEmpty()) line += QStringLiteral(" (") + m_TargetName + ')';
    }
    return line + QStringLiteral("   ") + toQString(numbers::signedFixed(m_Reading.cents, 1)) +
           QStringLiteral(" ¢");
}

QFont TuningView::adviceFont() const {
    QFont advice = font();
    advice.setBold(true);
    advice.setPixelSize(std::max(14, static_cast<int>(height() * 0.075)));
    // Smaller when the window is narrow (or the advice long, with its turn), so that it stays
    // whole.
    const QString label = adviceLabel();
    const double room = width() * 0.96;
    const double labelWidth = QFontMetricsF(advice).horizontalAdvance(label);
    if (!label.isEmpty() && labelWidth > room) {
        advice.setPixelSize(std::max(6, static_cast<int>(advice.pixelSize() * room / labelWidth)));
        // Rounding of glyph widths: one step smaller until it fits.
        while (advice.pixelSize() > 6 && QFontMetricsF(advice).horizontalAdvance(label) > room) {
            advice.setPixelSize(advice.pixelSize() - 1);
        }
    }
    return advice;
}

int TuningView::advicePixelSize() const { return adviceFont().pixelSize(); }

QSize TuningView::minimumSizeHint() const { return {360, 240}; }

QRectF TuningView::noteArea() const { return QRectF(0, height() * 0.02, width(), height() * 0.56); }

int TuningView::notePixelSize() const {
    const QRectF area = noteArea();
    const QString name = m_Reading.valid ? toQString(m_Reading.noteName) : QStringLiteral("Cоль#");
    const QString octave = QString::number(m_Reading.valid ? m_Reading.octave : -1);
    // The name at 90 % of the area's height, smaller only when the width needs it; the octave
    // beside it at half that size.
    int size = std::max(8, static_cast<int>(area.height() * 0.9));
    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(size);
    QFont small = font;
    small.setPixelSize(std::max(6, size / 2));
    const double textWidth = QFontMetricsF(font).horizontalAdvance(name) +
                             QFontMetricsF(small).horizontalAdvance(octave) + size * 0.15;
    const double room = area.width() * 0.94;
    if (textWidth > room) size = std::max(8, static_cast<int>(size * room / textWidth));
    return size;
}

void TuningView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), kBackground);
    const double w = width();
    const double h = height();
    const QColor stateColor = adviceColor(m_Reading.valid ? m_Reading.advice : TuneAdvice::None);

    // The note: name and octave, centred.
    const QRectF area = noteArea();
    const int size = notePixelSize();
    QFont big = font();
    big.setBold(true);
    big.setPixelSize(size);
    QFont small = big;
    small.setPixelSize(std::max(6, size / 2));
    if (m_Reading.valid) {
        const QString name = toQString(m_Reading.noteName);
        const QString octave = QString::number(m_Reading.octave);
        const double nameWidth = QFontMetricsF(big).horizontalAdvance(name);
        const double total =
            nameWidth + size * 0.15 + QFontMetricsF(small).horizontalAdvance(octave);
        const double left = (w - total) / 2;
        const double baseline = area.center().y() + QFontMetricsF(big).capHeight() / 2;
        painter.setFont(big);
        painter.setPen(m_Rejected ? kDim : kText);
        painter.drawText(QPointF(left, baseline), name);
        painter.setFont(small);
        painter.setPen(kDim);
        painter.drawText(QPointF(left + nameWidth + size * 0.15, baseline), octave);
    } else {
        painter.setFont(big);
        painter.setPen(kDim);
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("—"));
    }

    // The bar from -50 to +50 with the green zone and the needle.
    const QRectF bar(w * 0.06, h * 0.62, w * 0.88, std::max(10.0, h * 0.07));
    auto xOf = [&](double cents) {
        return bar.left() + (std::clamp(cents, -50.0, 50.0) + 50.0) / 100.0 * bar.width();
    };
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(44, 48, 56));
    painter.drawRoundedRect(bar, 6, 6);
    const double tolerance = std::min<double>(m_ToleranceCents, 50.0);
    QColor zone = adviceColor(TuneAdvice::Ok);
    zone.setAlpha(110);
    painter.setBrush(zone);
    painter.drawRect(
        QRectF(xOf(-tolerance), bar.top(), xOf(tolerance) - xOf(-tolerance), bar.height()));
    QFont ticks = font();
    ticks.setPixelSize(std::max(10, static_cast<int>(h * 0.03)));
    painter.setFont(ticks);
    painter.setPen(kDim);
    for (int cents : {-50, -25, 0, 25, 50}) {
        const double x = xOf(cents);
        painter.drawLine(QPointF(x, bar.bottom()), QPointF(x, bar.bottom() + 6));
        painter.drawText(QRectF(x - 40, bar.bottom() + 6, 80, ticks.pixelSize() * 1.4),
                         Qt::AlignHCenter | Qt::AlignTop,
                         cents > 0 ? QStringLiteral("+%1").arg(cents) : QString::number(cents));
    }
    if (m_Reading.valid) {
        const double x = xOf(m_Reading.cents);
        painter.setPen(QPen(m_Rejected ? kDim : stateColor, std::max(4.0, w * 0.006)));
        painter.drawLine(QPointF(x, bar.top() - h * 0.03), QPointF(x, bar.bottom() + h * 0.01));
    }

    // Frequencies, deviation and advice.
    QFont line = font();
    line.setPixelSize(std::max(12, static_cast<int>(h * 0.055)));
    painter.setFont(line);
    const double rowTop = h * 0.76;
    const double rowHeight = line.pixelSize() * 1.4;
    if (m_Reading.valid) {
        const QString numbers = readingLine();
        // Smaller when the window is narrow, so that the line stays whole.
        const double numbersWidth = QFontMetricsF(line).horizontalAdvance(numbers);
        if (numbersWidth > w * 0.96) {
            line.setPixelSize(
                std::max(8, static_cast<int>(line.pixelSize() * w * 0.96 / numbersWidth)));
            painter.setFont(line);
        }
        painter.setPen(kText);
        painter.drawText(QRectF(0, rowTop, w, rowHeight), Qt::AlignCenter, numbers);
        const QFont advice = adviceFont();
        painter.setFont(advice);
        painter.setPen(stateColor);
        painter.drawText(QRectF(0, rowTop + rowHeight, w, advice.pixelSize() * 1.4),
                         Qt::AlignCenter, adviceLabel());
    }
    if (m_Rejected) {
        painter.setFont(line);
        painter.setPen(adviceColor(TuneAdvice::Tighten));
        painter.drawText(QRectF(0, 0, w - 12, rowHeight), Qt::AlignRight | Qt::AlignTop,
                         tr("удар отклонён"));
    }
}

LugDiagram::LugDiagram(QWidget* parent) : QWidget(parent) {}

void LugDiagram::setRods(std::vector<LugRod> rods, int selected, LugPatternView pattern) {
    m_Rods = std::move(rods);
    m_Selected = selected;
    m_Pattern = pattern;
    update();
}

QString LugDiagram::rodLabel(int lug) const {
    if (lug < 1 || lug > static_cast<int>(m_Rods.size())) return {};
    const LugRod& rod = m_Rods[lug - 1];
    if (rod.hz <= 0.0) return QStringLiteral("—");
    // The reading against the head's reference (signed, as the frequencies give it), then the
    // advice as an arrow and an unsigned size: one number per line.
    const double cents = std::abs(rod.readingCents) < 0.05 ? 0.0 : rod.readingCents;
    QString label = QStringLiteral("%1 %2%3 ¢")
                        .arg(hertz(rod.hz))
                        .arg(cents > 0 ? QStringLiteral("+") : QString())
                        .arg(cents, 0, 'f', 1);
    switch (rod.advice) {
        case TuneAdvice::Tighten:
            label += QStringLiteral("\n▲ %1 ¢").arg(std::lround(rod.adviceCents));
            break;
        case TuneAdvice::Loosen:
            label += QStringLiteral("\n▼ %1 ¢").arg(std::lround(rod.adviceCents));
            break;
        case TuneAdvice::Ok:
            label += QLatin1Char('\n') + tr("ок");
            break;
        case TuneAdvice::None:
            break;
    }
    if (rod.tapAgain) label += QStringLiteral(" ?");
    return label;
}

QSize LugDiagram::minimumSizeHint() const { return {220, 220}; }
QSize LugDiagram::sizeHint() const { return {380, 380}; }

double LugDiagram::headRadius() const { return std::min(width(), height()) * 0.30; }

QPointF LugDiagram::rodCentre(int lug) const {
    const int count = std::max<int>(1, static_cast<int>(m_Rods.size()));
    const double angle = 2.0 * std::numbers::pi * (lug - 1) / count;
    const double r = headRadius() * 1.12;
    return {width() / 2.0 + r * std::sin(angle), height() / 2.0 - r * std::cos(angle)};
}

void LugDiagram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), kBackground);
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = headRadius();
    painter.setPen(QPen(QColor(90, 96, 106), 3));
    painter.setBrush(QColor(232, 228, 214));
    painter.drawEllipse(centre, radius, radius);
    if (m_Pattern.shown) {
        // The tight axis of the head's pattern across the head (solid), the slack one at right
        // angles (dashed), in colours of their own: red and blue are the rods' advice.
        auto across = [&](double degrees, const QColor& color, Qt::PenStyle style) {
            const double a = degrees * std::numbers::pi / 180.0;
            const QPointF d(radius * 0.92 * std::sin(a), -radius * 0.92 * std::cos(a));
            painter.setPen(QPen(color, 3, style, Qt::RoundCap));
            painter.drawLine(centre - d, centre + d);
        };
        across(m_Pattern.axisDeg + 90.0, slackAxisColor(), Qt::DashLine);
        across(m_Pattern.axisDeg, tightAxisColor(), Qt::SolidLine);
        QFont figure = font();
        figure.setBold(true);
        figure.setPixelSize(std::max(10, static_cast<int>(radius * 0.16)));
        painter.setFont(figure);
        painter.setPen(QColor(30, 32, 36));
        painter.drawText(QRectF(centre.x() - radius, centre.y() + radius * 0.2, 2 * radius,
                                figure.pixelSize() * 1.4),
                         Qt::AlignCenter,
                         QStringLiteral("%1 ¢").arg(m_Pattern.splitCents, 0, 'f', 1));
    }

    const double dot = std::max(8.0, radius * 0.11);
    QFont number = font();
    number.setBold(true);
    number.setPixelSize(std::max(9, static_cast<int>(dot * 1.1)));
    QFont label = font();
    label.setPixelSize(std::max(9, static_cast<int>(dot * 0.8)));
    for (int lug = 1; lug <= static_cast<int>(m_Rods.size()); ++lug) {
        const LugRod& rod = m_Rods[lug - 1];
        const QPointF at = rodCentre(lug);
        const QColor color = adviceColor(rod.advice);
        if (lug == m_Selected) {
            painter.setPen(QPen(QColor(255, 200, 40), 4));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(at, dot * 1.6, dot * 1.6);
        }
        painter.setPen(QPen(kText, 1.5));
        painter.setBrush(color);
        painter.drawEllipse(at, dot, dot);
        painter.setFont(number);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(at.x() - dot, at.y() - dot, 2 * dot, 2 * dot), Qt::AlignCenter,
                         QString::number(lug));
        // The rod's reading outside the rim, away from the centre.
        const QPointF out = centre + (at - centre) * 1.33;
        painter.setFont(label);
        painter.setPen(rod.hz > 0.0 ? color.lighter(120) : kDim);
        painter.drawText(
            QRectF(out.x() - 70, out.y() - label.pixelSize() * 1.3, 140, label.pixelSize() * 2.6),
            Qt::AlignCenter, rodLabel(lug));
    }
}

void LugDiagram::mousePressEvent(QMouseEvent* event) {
    const double dot = std::max(8.0, headRadius() * 0.11);
    for (int lug = 1; lug <= static_cast<int>(m_Rods.size()); ++lug) {
        const QPointF d = event->position() - rodCentre(lug);
        if (std::hypot(d.x(), d.y()) <= dot * 1.8) {
            emit rodClicked(lug);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

}  // namespace tomaro
