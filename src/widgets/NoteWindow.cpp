#include "widgets/NoteWindow.h"

#include <QCloseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "language/TranslatedText.h"
#include "tuning/Readout.h"
#include "widgets/PlotPainting.h"

namespace tomaro {
namespace {

// Times New Roman first; the metric-compatible free serifs stand in for it where it is missing.
QFont noteFamilyFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

NoteWindow::NoteWindow(const Readout& readout, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_Readout(readout) {
    i18n::setWindowTitle(this, this, QT_TR_NOOP("Tomaro — нота крупно"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

NoteWindow::~NoteWindow() = default;

QSize NoteWindow::minimumSizeHint() const { return {160, 90}; }

QSize NoteWindow::sizeHint() const { return {560, 380}; }

const NoteWindow::CachedFont& NoteWindow::cached(int fontIndex) const {
    fontIndex = std::clamp(fontIndex, 0, kNoteFontCount - 1);
    std::unique_ptr<CachedFont>& slot = m_Fonts[static_cast<std::size_t>(fontIndex)];
    if (!slot) {
        // The cache's heights are line heights (ascent + descent), as the fonts of the older
        // drawing interface were sized; the pixel size is the em height that gives them.
        if (m_PixelSizePerHeight <= 0.0) {
            QFont probe = noteFamilyFont();
            probe.setPixelSize(200);
            const int probeHeight = QFontMetrics(probe).height();
            m_PixelSizePerHeight = probeHeight > 0 ? 200.0 / probeHeight : 1.0;
        }
        QFont font = noteFamilyFont();
        const int height = noteFontHeightPx(fontIndex);
        font.setPixelSize(std::max(1, static_cast<int>(std::floor(height * m_PixelSizePerHeight))));
        slot = std::make_unique<CachedFont>(CachedFont{font, QFontMetrics(font)});
    }
    return *slot;
}

const QFont& NoteWindow::noteFont(int fontIndex) const { return cached(fontIndex).font; }

TextExtent NoteWindow::measure(int fontIndex, std::string_view text) const {
    const QFontMetrics& metrics = cached(fontIndex).metrics;
    return {metrics.horizontalAdvance(fromUtf8(text)), metrics.height()};
}

int NoteWindow::chooseFontIndex() const {
    const auto& lines = m_Readout.lines();
    return chooseNoteFontIndex(
        lines, [this](int index, std::string_view text) { return measure(index, text); }, width(),
        height());
}

int NoteWindow::chosenFontHeightPx() const { return noteFontHeightPx(chooseFontIndex()); }

void NoteWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int fontIndex = chooseFontIndex();
    const CachedFont& chosen = cached(fontIndex);
    painter.setFont(chosen.font);
    auto measureText = [this](int index, std::string_view text) { return measure(index, text); };
    int y = kNoteMarginPx;
    for (const ReadoutLine& line : m_Readout.lines()) {
        if (!line.text.empty()) {
            painter.setPen(plot::toQColor(line.color));
            painter.drawText(kNoteMarginPx, y + chosen.metrics.ascent(), fromUtf8(line.text));
        }
        y += noteLineAdvancePx(line, fontIndex, measureText);
    }
}

void NoteWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

}  // namespace tomaro
