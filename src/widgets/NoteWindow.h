#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QWidget>
#include <array>
#include <memory>
#include <string_view>

#include "tuning/NoteFont.h"

namespace tomaro {

class Readout;

// The large-note window ("Ноту крупно"): the read-out's lines in their colours on white, from
// (10, 10) downwards, in the largest Times New Roman (Liberation Serif or another metric-compatible
// serif where it is missing) of the cache of heights 14, 16, ..., 212 px whose block fits the
// window with a 10 px margin. An empty line is half as high as " ". The font is chosen again on
// every paint, so a resize or new lines take effect at once.
//
// A tool window: it floats over the main window, which shows and hides it with show() and hide()
// (these emit nothing). Closing it (its close button, or close()) hides it and emits closed(); the
// main window then unchecks "Ноту крупно" and writes `m_IsShowNotaDlg` 0. The readout must outlive
// the window. User-interface thread only.
class NoteWindow : public QWidget {
    Q_OBJECT

public:
    explicit NoteWindow(const Readout& readout, QWidget* parent = nullptr);
    ~NoteWindow() override;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Pixel height (14..212) of the font the lines are drawn in at the window's current size.
    int chosenFontHeightPx() const;
    // The font of cache index 0..99 (height 2 * index + 14 px).
    const QFont& noteFont(int fontIndex) const;

signals:
    // The user closed the window.
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct CachedFont {
        QFont font;
        QFontMetrics metrics;
    };
    const CachedFont& cached(int fontIndex) const;
    TextExtent measure(int fontIndex, std::string_view text) const;
    int chooseFontIndex() const;

    const Readout& m_Readout;
    // Filled on demand: a font and its metrics are made the first time a height is tried.
    mutable std::array<std::unique_ptr<CachedFont>, kNoteFontCount> m_Fonts;
    mutable double m_PixelSizePerHeight = 0.0;  // font pixel size giving 1 px of line height
};

}  // namespace tomaro
