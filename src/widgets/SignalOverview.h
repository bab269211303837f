#pragma once

#include <QWidget>
#include <vector>

#include "tuning/WaveformColumns.h"
#include "widgets/PlotPainting.h"

namespace tomaro {

struct StrikeRecord;
class Stretch;

// The whole strike at a glance: every frame of the record's source (the live strike with its
// lead-in, or a long file read in place), normalised to its peak, the lead-in before the strike
// front in grey, the analysed stretch as a shaded band. A click (or a drag with the button held)
// centres the stretch on the frame under the mouse.
//
// The source is reduced to the smallest and largest sample of each pixel column; a file of hours
// is drawn from a few runs of frames in each column (OverviewColumns), so that a paint reads some
// two million frames at most whatever the file's length, and its columns are kept between
// repaints. While a live strike is being
// recorded into the strike buffer the widget does not read it and shows that a strike is being
// recorded.
//
// The record and the stretch must outlive the widget. User-interface thread only.
class SignalOverview : public QWidget {
    Q_OBJECT

public:
    SignalOverview(const StrikeRecord& record, Stretch& stretch, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // The area the signal is drawn in, in widget coordinates.
    QRect plotRect() const;
    // The frame under widget x (clamped to the source), -1 when there is no signal.
    int frameAt(double x) const;
    // Widget x of the left edge of a frame.
    double xOfFrame(double frame) const;

signals:
    // The stretch was moved by the mouse; the analysis is due.
    void stretchChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void centreOnMouse(double x);

    const StrikeRecord& m_Record;
    Stretch& m_Stretch;
    OverviewColumns m_Columns;
    std::vector<QLineF> m_Lines;
    int m_LastFrame = -1;
};

}  // namespace tomaro
