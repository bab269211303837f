#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

namespace tomaro {

class Analyzer;
class AnalysisSettings;
class Kit;
class Readout;
struct ReferenceSwitches;

// The spectrum of the analysed stretch: power in dB (the strongest bin between 20 and 2000 Hz at
// the top, 80 dB down to the bottom) over a logarithmic frequency axis from 20 to 2000 Hz. Over
// it: the search range, every reference the read-out shows (the free reference, and for each
// switched-on kind the shown drums and the nearest drum) as a line in its drum colour with its
// name, the nearest reference marked, and the measured main frequency with its value.
//
// A click picks the frequency under the mouse for the next analysis (Analyzer::pickFrequency):
// the search then walks uphill from there to the nearest peak.
//
// The objects must outlive the widget; the main window repaints it (update()) after each
// analysis and after the references change. User-interface thread only.
class SpectrumView : public QWidget {
    Q_OBJECT

public:
    static constexpr double kMinHz = 20.0;
    static constexpr double kMaxHz = 2000.0;
    static constexpr double kRangeDb = 80.0;

    SpectrumView(Analyzer& analyzer, const AnalysisSettings& settings, const Kit& kit,
                 const ReferenceSwitches& switches, const Readout& readout,
                 QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // The area the spectrum is drawn in, in widget coordinates.
    QRect plotRect() const;
    // The logarithmic axis: plotRect().left() is 20 Hz, its right edge 2000 Hz, the middle 200 Hz.
    double frequencyAt(double x) const;
    double xOfFrequency(double frequencyHz) const;

    // A reference as drawn: its frequency, colour, label ("16\"", "обер Пл1 16\"", "эталон") and
    // whether it is the nearest one to the measured frequency.
    struct Marker {
        double frequencyHz = 0.0;
        QColor color;
        QString label;
        bool nearest = false;
    };
    // The references drawn now, in the read-out's order.
    std::vector<Marker> markers() const;

    // Lug mode: the band a rod is read in (Hz; loHz >= hiHz: none) and the rod's reading in it
    // (0: none), drawn over the spectrum.
    void setLugBand(double loHz, double hiHz, double readingHz);

signals:
    // The user clicked the spectrum at this frequency (Hz); it is set as the picked frequency of
    // the analyzer, and the analysis is due.
    void frequencyPicked(double frequencyHz);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hasSpectrum() const;
    void drawAxes(QPainter& painter, const QRect& area);
    void drawSearchRange(QPainter& painter, const QRect& area);
    void drawCurve(QPainter& painter, const QRect& area);
    void drawMarkers(QPainter& painter, const QRect& area);
    void drawMeasured(QPainter& painter, const QRect& area);
    void drawHover(QPainter& painter, const QRect& area);
    void drawLugBand(QPainter& painter, const QRect& area);

    Analyzer& m_Analyzer;
    const AnalysisSettings& m_Settings;
    const Kit& m_Kit;
    const ReferenceSwitches& m_Switches;
    const Readout& m_Readout;
    std::vector<QPointF> m_Points;  // the curve, reused between paints
    double m_HoverX = -1.0;         // mouse x over the plot, or -1
    double m_LugLoHz = 0.0;
    double m_LugHiHz = 0.0;
    double m_LugHz = 0.0;
};

}  // namespace tomaro
