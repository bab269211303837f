#include "widgets/SpectrumView.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "kit/DrumTypes.h"
#include "kit/Kit.h"
#include "language/TranslatedText.h"
#include "tuning/Color.h"
#include "tuning/Readout.h"
#include "tuning/ReadoutText.h"
#include "tuning/ReferenceSwitches.h"
#include "widgets/PlotPainting.h"
#include "widgets/QtText.h"

namespace tomaro {
namespace {

// The search range as the analysis searches it (held to its limits).
std::pair<double, double> searchRangeHz(const AnalysisSettings& settings) {
    return {std::clamp<double>(settings.findF0(), Analyzer::kMinSearchHz, Analyzer::kMaxSearchHz),
            std::clamp<double>(settings.findF1(), Analyzer::kMinSearchHz, Analyzer::kMaxSearchHz)};
}

// Labelled frequencies of the axis, and the unlabelled ones between them.
constexpr std::array<double, 7> kMajorTicksHz = {20, 50, 100, 200, 500, 1000, 2000};
constexpr std::array<double, 18> kMinorTicksHz = {
    30, 40, 60, 70, 80, 90, 300, 400, 600, 700, 800, 900, 1100, 1200, 1300, 1400, 1500, 1700};
constexpr int kRightMargin = 18;  // the last label, "2000", is centred on the right edge

QString hertzText(double frequencyHz) {
    return toQString(readout::numberText(frequencyHz)) +
           QCoreApplication::translate("tomaro::SpectrumView", " Гц");
}

// A label with a white backing so it stays readable over the curve and the grid.
void drawBackedText(QPainter& painter, const QRectF& box, const QString& text,
                    const QColor& color) {
    painter.fillRect(box.adjusted(-2, 0, 2, 0), QColor(255, 255, 255, 170));
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

SpectrumView::SpectrumView(Analyzer& analyzer, const AnalysisSettings& settings, const Kit& kit,
                           const ReferenceSwitches& switches, const Readout& readout,
                           QWidget* parent)
    : QWidget(parent),
      m_Analyzer(analyzer),
      m_Settings(settings),
      m_Kit(kit),
      m_Switches(switches),
      m_Readout(readout) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    i18n::setToolTip(this, this,
                     QT_TR_NOOP("Щелчок выбирает частоту: поиск пойдёт к ближайшему пику"));
}

QSize SpectrumView::minimumSizeHint() const { return {320, 160}; }

QSize SpectrumView::sizeHint() const { return {640, 280}; }

QRect SpectrumView::plotRect() const { return plot::plotArea(rect(), kRightMargin); }

double SpectrumView::frequencyAt(double x) const {
    const QRect area = plotRect();
    return kMinHz * std::pow(kMaxHz / kMinHz, (x - area.left()) / area.width());
}

double SpectrumView::xOfFrequency(double frequencyHz) const {
    const QRect area = plotRect();
    return area.left() + std::log(frequencyHz / kMinHz) / std::log(kMaxHz / kMinHz) * area.width();
}

bool SpectrumView::hasSpectrum() const {
    const AnalysisResult& result = m_Analyzer.result();
    return std::isfinite(result.sampleRateHz) && result.sampleRateHz > 0.0 &&
           result.stretchEnd > result.stretchStart;
}

std::vector<SpectrumView::Marker> SpectrumView::markers() const {
    std::vector<Marker> list;
    const NearestReference& nearest = m_Readout.nearest();
    const bool haveNearest = nearest.referenceHz != kNoReferenceHz;
    const double singleHz = m_Kit.singleReferenceHz();
    if (singleHz != 0.0) {
        list.push_back({singleHz, plot::toQColor(kSingleReferenceColor), tr("эталон"),
                        haveNearest && nearest.drum == -1 && nearest.referenceHz == singleHz});
    }
    const int drums = m_Kit.count();
    for (int kind = 0; kind < kReferenceKindCount; ++kind) {
        if (!m_Switches.isOn(kind)) continue;
        for (int drum = 0; drum < drums; ++drum) {
            const bool isNearest = haveNearest && drum == nearest.drum && kind == nearest.kind;
            if (!m_Kit.isShown(drum) && !isNearest) continue;
            const double referenceHz = m_Kit.referenceHz(drum, kind);
            if (referenceHz == 0.0) continue;
            list.push_back({referenceHz, plot::toQColor(drumColor(drum, drums)),
                            toQString(readout::referenceOwner(kind, m_Kit.drumName(drum))),
                            isNearest});
        }
    }
    // With the overtone transfer the nearest reference is the drum's fundamental, which may be
    // switched off; it is still the one the read-out compares with, so it is drawn.
    const bool marked =
        std::any_of(list.begin(), list.end(), [](const Marker& m) { return m.nearest; });
    if (haveNearest && !marked && nearest.drum >= 0 && nearest.drum < drums) {
        list.push_back({nearest.referenceHz, plot::toQColor(drumColor(nearest.drum, drums)),
                        toQString(drums::shownName(m_Kit.drumName(nearest.drum))), true});
    }
    return list;
}

void SpectrumView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = plotRect();
    plot::drawBackground(painter, rect());

    const auto [f0, f1] = searchRangeHz(m_Settings);
    QString title = tr("Спектр, дБ · частота, Гц");
    if (f0 < f1) {
        title += tr(" · поиск %1–%2 Гц")
                     .arg(toQString(readout::numberText(f0)), toQString(readout::numberText(f1)));
    }
    plot::drawTitle(painter, area, title);

    drawSearchRange(painter, area);
    drawLugBand(painter, area);
    drawAxes(painter, area);
    if (hasSpectrum()) drawCurve(painter, area);
    drawMarkers(painter, area);
    if (hasSpectrum()) {
        drawMeasured(painter, area);
    } else {
        plot::drawPlaceholder(painter, area, tr("Нет спектра"));
    }
    drawHover(painter, area);
    plot::drawFrame(painter, area);
}

void SpectrumView::drawSearchRange(QPainter& painter, const QRect& area) {
    const auto [f0, f1] = searchRangeHz(m_Settings);
    // The analysis searches nothing when the range is empty or reversed.
    if (!(f0 < f1)) return;
    const double left = xOfFrequency(std::max(f0, kMinHz));
    const double right = xOfFrequency(std::min(f1, kMaxHz));
    if (!(left < right)) return;
    painter.fillRect(QRectF(left, area.top(), right - left, area.height()), plot::band());
}

void SpectrumView::drawAxes(QPainter& painter, const QRect& area) {
    painter.save();
    painter.setFont(plot::tickFont(font()));
    QPen minorPen(plot::minorGrid());
    minorPen.setCosmetic(true);
    QPen majorPen(plot::grid());
    majorPen.setCosmetic(true);
    painter.setPen(minorPen);
    for (double hz : kMinorTicksHz) {
        const double x = xOfFrequency(hz);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    for (int db = 10; db < kRangeDb; db += 20) {
        const double y = area.top() + db / kRangeDb * area.height();
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    for (double hz : kMajorTicksHz) {
        const double x = xOfFrequency(hz);
        painter.setPen(majorPen);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        // Short ticks below the plot carry the labels.
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3));
        painter.setPen(plot::label());
        plot::drawXLabel(painter, area, x, QString::number(static_cast<int>(hz)), 1, width() - 1);
    }
    for (int db = 0; db <= kRangeDb; db += 20) {
        const double y = area.top() + db / kRangeDb * area.height();
        painter.setPen(majorPen);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(plot::label());
        plot::drawYLabel(painter, area, std::clamp(y, area.top() + 6.0, area.bottom() - 6.0),
                         db == 0 ? QString::fromUtf8("0") : QString::number(-db));
    }
    painter.restore();
}

void SpectrumView::drawCurve(QPainter& painter, const QRect& area) {
    const double rate = m_Analyzer.result().sampleRateHz;
    const double binHz = rate / Analyzer::kSpectrumSize;
    const int lastBin = Analyzer::kUsedBins - 1;
    const int first = std::clamp(static_cast<int>(std::floor(kMinHz / binHz)), 1, lastBin);
    const int last = std::clamp(static_cast<int>(std::ceil(kMaxHz / binHz)), first, lastBin);

    // The strongest bin inside the axis range sets the top of the scale.
    double topPower = 0.0;
    for (int bin = first; bin <= last; ++bin) {
        const double hz = bin * binHz;
        if (hz >= kMinHz && hz <= kMaxHz) topPower = std::max(topPower, m_Analyzer.power(bin));
    }
    if (!(topPower > 0.0) || !std::isfinite(topPower)) {
        plot::drawPlaceholder(painter, area, tr("Тишина"));
        return;
    }
    const double topDb = 10.0 * std::log10(topPower);
    const double floorDb = topDb - kRangeDb;
    auto yOf = [&](double power) {
        const double db = power > 0.0 ? std::max(10.0 * std::log10(power), floorDb) : floorDb;
        return area.top() + (topDb - db) / kRangeDb * area.height();
    };

    // Where several bins fall into one device pixel the strongest one stands for them.
    const double ratio = std::max(devicePixelRatioF(), 1.0);
    m_Points.clear();
    long long column = 0;
    bool open = false;
    double bestPower = 0.0;
    double bestX = 0.0;
    for (int bin = first; bin <= last; ++bin) {
        const double x = xOfFrequency(bin * binHz);
        const double power = m_Analyzer.power(bin);
        const long long binColumn = std::llround(std::floor(x * ratio));
        if (open && binColumn == column) {
            if (power > bestPower) {
                bestPower = power;
                bestX = x;
            }
            continue;
        }
        if (open) m_Points.emplace_back(bestX, yOf(bestPower));
        open = true;
        column = binColumn;
        bestPower = power;
        bestX = x;
    }
    if (open) m_Points.emplace_back(bestX, yOf(bestPower));
    if (m_Points.empty()) return;

    QPainterPath line;
    line.moveTo(m_Points.front());
    for (std::size_t i = 1; i < m_Points.size(); ++i) line.lineTo(m_Points[i]);
    QPainterPath fill = line;
    fill.lineTo(m_Points.back().x(), area.bottom() + 1);
    fill.lineTo(m_Points.front().x(), area.bottom() + 1);
    fill.closeSubpath();

    painter.save();
    painter.setClipRect(area);
    QColor fillColor = plot::spectrum();
    fillColor.setAlpha(26);
    painter.fillPath(fill, fillColor);
    QPen pen(plot::spectrum(), 1.2);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(line);
    painter.restore();
}

void SpectrumView::drawMarkers(QPainter& painter, const QRect& area) {
    std::vector<Marker> list = markers();
    painter.save();
    QFont labelFont = plot::tickFont(font());
    QFont nearestFont = labelFont;
    nearestFont.setBold(true);

    // The nearest reference: a band from it to the measured frequency shows the deviation. When
    // an overtone is read as its drum's fundamental the two lie far apart by design: no band.
    const double measuredHz = m_Analyzer.result().mainFrequencyHz;
    const bool carried = m_Readout.nearest().displayedHz != measuredHz;
    for (const Marker& marker : list) {
        if (!marker.nearest || !hasSpectrum() || !(measuredHz > 0.0) || carried) continue;
        const double a =
            std::clamp(xOfFrequency(marker.frequencyHz), double(area.left()), double(area.right()));
        const double b =
            std::clamp(xOfFrequency(measuredHz), double(area.left()), double(area.right()));
        QColor tint = marker.color;
        tint.setAlpha(40);
        painter.fillRect(QRectF(std::min(a, b), area.top(), std::abs(b - a), area.height()), tint);
    }

    // Lines first, the nearest one last so it stays on top.
    std::stable_sort(list.begin(), list.end(),
                     [](const Marker& a, const Marker& b) { return !a.nearest && b.nearest; });
    painter.setClipRect(QRect(area.left(), 0, area.width(), height()));
    for (const Marker& marker : list) {
        if (marker.frequencyHz < kMinHz || marker.frequencyHz > kMaxHz) continue;
        const double x = xOfFrequency(marker.frequencyHz);
        QPen pen(marker.color, marker.nearest ? 2.6 : 1.3);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        if (marker.nearest) {
            // A pointer hanging from the top edge.
            QPainterPath arrow;
            arrow.moveTo(x - 6, area.top());
            arrow.lineTo(x + 6, area.top());
            arrow.lineTo(x, area.top() + 9);
            arrow.closeSubpath();
            painter.fillPath(arrow, marker.color);
        }
    }

    // Labels run upwards along their lines, right of them; a label that would overlap one
    // already placed moves further down.
    struct Placed {
        double left, right, top, bottom;
    };
    std::vector<Placed> placed;
    std::vector<std::size_t> order(list.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (list[a].nearest != list[b].nearest) return list[a].nearest;
        return list[a].frequencyHz < list[b].frequencyHz;
    });
    for (std::size_t index : order) {
        const Marker& marker = list[index];
        if (marker.frequencyHz < kMinHz || marker.frequencyHz > kMaxHz) continue;
        painter.setFont(marker.nearest ? nearestFont : labelFont);
        QFontMetricsF metrics(painter.font());
        const QString text =
            marker.nearest ? marker.label + QString::fromUtf8(" · ") + hertzText(marker.frequencyHz)
                           : marker.label;
        const double length = metrics.horizontalAdvance(text) + 4.0;
        const double thickness = metrics.height();
        const double x = xOfFrequency(marker.frequencyHz);
        // Right of the line, or left of it near the right edge.
        double left = x + 3.0;
        if (left + thickness > area.right()) left = x - 3.0 - thickness;
        double top = area.top() + (marker.nearest ? 12.0 : 6.0);
        for (bool moved = true; moved;) {
            moved = false;
            for (const Placed& other : placed) {
                const bool acrossX = left < other.right && left + thickness > other.left;
                const bool acrossY = top < other.bottom && top + length > other.top;
                if (acrossX && acrossY) {
                    top = other.bottom + 4.0;
                    moved = true;
                }
            }
        }
        if (top + length > area.bottom() - 4.0) continue;
        placed.push_back({left, left + thickness, top, top + length});
        painter.save();
        painter.translate(left, top + length);
        painter.rotate(-90.0);
        // Light palette entries (the lavender one) are darkened for the text only.
        const QColor textColor =
            marker.color.lightness() > 160 ? marker.color.darker(150) : marker.color;
        drawBackedText(painter, QRectF(0, 0, length, thickness), text, textColor);
        painter.restore();
    }
    painter.restore();
}

void SpectrumView::drawMeasured(QPainter& painter, const QRect& area) {
    const double measuredHz = m_Analyzer.result().mainFrequencyHz;
    if (!(measuredHz >= kMinHz && measuredHz <= kMaxHz)) return;
    const double x = xOfFrequency(measuredHz);
    painter.save();
    QPen pen(plot::measured(), 1.6);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));

    QFont font = plot::tickFont(this->font());
    font.setBold(true);
    painter.setFont(font);
    QFontMetricsF metrics(font);
    const QString text = hertzText(measuredHz);
    const double boxWidth = metrics.horizontalAdvance(text) + 12.0;
    const double boxHeight = metrics.height() + 4.0;
    const double left =
        std::clamp(x - boxWidth / 2.0, area.left() + 2.0, area.right() - 2.0 - boxWidth);
    const QRectF box(left, area.bottom() - boxHeight - 6.0, boxWidth, boxHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(plot::measured());
    painter.drawRoundedRect(box, 4.0, 4.0);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

void SpectrumView::setLugBand(double loHz, double hiHz, double readingHz) {
    m_LugLoHz = loHz;
    m_LugHiHz = hiHz;
    m_LugHz = readingHz;
    update();
}

void SpectrumView::drawLugBand(QPainter& painter, const QRect& area) {
    if (!(m_LugLoHz < m_LugHiHz)) return;
    const double left = xOfFrequency(std::clamp(m_LugLoHz, kMinHz, kMaxHz));
    const double right = xOfFrequency(std::clamp(m_LugHiHz, kMinHz, kMaxHz));
    if (!(left < right)) return;
    painter.save();
    const QColor amber(230, 150, 20);
    QColor fill = amber;
    fill.setAlpha(45);
    painter.fillRect(QRectF(left, area.top(), right - left, area.height()), fill);
    painter.setPen(QPen(amber, 1.0, Qt::DashLine));
    painter.drawLine(QPointF(left, area.top()), QPointF(left, area.bottom()));
    painter.drawLine(QPointF(right, area.top()), QPointF(right, area.bottom()));
    painter.setFont(plot::tickFont(font()));
    const QString label = tr("полоса винта");
    const double labelWidth = QFontMetricsF(painter.font()).horizontalAdvance(label) + 6;
    drawBackedText(painter,
                   QRectF(std::min(left + 3, area.right() - labelWidth), area.bottom() - 40,
                          labelWidth, QFontMetricsF(painter.font()).height()),
                   label, amber.darker(150));
    if (m_LugHz >= kMinHz && m_LugHz <= kMaxHz) {
        const double x = xOfFrequency(m_LugHz);
        painter.setPen(QPen(amber.darker(120), 2.0));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter.restore();
}

void SpectrumView::drawHover(QPainter& painter, const QRect& area) {
    if (m_HoverX < area.left() || m_HoverX > area.right()) return;
    painter.save();
    QPen pen(QColor(120, 126, 136), 1.0);
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawLine(QPointF(m_HoverX, area.top()), QPointF(m_HoverX, area.bottom()));
    painter.setFont(plot::tickFont(font()));
    QFontMetricsF metrics(painter.font());
    const QString text = hertzText(frequencyAt(m_HoverX));
    const double width = metrics.horizontalAdvance(text) + 6.0;
    double left = m_HoverX + 4.0;
    if (left + width > area.right()) left = m_HoverX - 4.0 - width;
    drawBackedText(painter,
                   QRectF(left, area.bottom() - metrics.height() - 32.0, width, metrics.height()),
                   text, QColor(70, 76, 86));
    painter.restore();
}

void SpectrumView::mousePressEvent(QMouseEvent* event) {
    const QRect area = plotRect();
    const QPointF position = event->position();
    // Without a spectrum there is nothing to pick from: a pick would wait for a later strike.
    if (!hasSpectrum() || event->button() != Qt::LeftButton || position.x() < area.left() ||
        position.x() > area.right() + 1 || position.y() < area.top() ||
        position.y() > area.bottom() + 1) {
        QWidget::mousePressEvent(event);
        return;
    }
    const double frequencyHz = frequencyAt(position.x());
    m_Analyzer.pickFrequency(frequencyHz);
    emit frequencyPicked(frequencyHz);
}

void SpectrumView::mouseMoveEvent(QMouseEvent* event) {
    m_HoverX = event->position().x();
    update();
    QWidget::mouseMoveEvent(event);
}

void SpectrumView::leaveEvent(QEvent* event) {
    m_HoverX = -1.0;
    update();
    QWidget::leaveEvent(event);
}

}  // namespace tomaro
