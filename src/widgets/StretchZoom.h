#pragma once

#include <QWidget>
#include <vector>

#include "widgets/PlotPainting.h"

namespace tomaro {

struct StrikeRecord;
class Stretch;
class Analyzer;

// The analysed stretch close up: its samples normalised to their peak, and over them, on the same
// scale, the waveform the analysis fitted to them (drawn only while it belongs to the stretch
// shown, i.e. until the stretch moves and the next analysis runs). A horizontal drag moves the
// stretch with the signal: dragging to the right shows earlier samples.
//
// The record, the stretch and the analyzer must outlive the widget. User-interface thread only.
class StretchZoom : public QWidget {
    Q_OBJECT

public:
    StretchZoom(const StrikeRecord& record, Stretch& stretch, const Analyzer& analyzer,
                QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // The area the stretch is drawn in, in widget coordinates; drags are measured against its
    // width.
    QRect plotRect() const;
    // Whether the fitted waveform is drawn (it matches the stretch shown).
    bool showsFit() const;

signals:
    // The stretch was dragged; the analysis is due.
    void stretchChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void drawLegend(QPainter& painter, const QRect& area, bool withFit);

    const StrikeRecord& m_Record;
    Stretch& m_Stretch;
    const Analyzer& m_Analyzer;
    std::vector<plot::ColumnExtremes> m_Signal;
    std::vector<plot::ColumnExtremes> m_Fit;
    std::vector<QLineF> m_Lines;
    bool m_Dragging = false;
    double m_LastX = 0.0;
};

}  // namespace tomaro
