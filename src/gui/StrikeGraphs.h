#pragma once

#include <QSplitter>

namespace tomaro {

class PitchTrackView;
class SignalOverview;
class SpectrumView;
class StretchZoom;
class Tuner;

// The main window's graphs, top to bottom: the signal with the analysed stretch, the stretch
// zoomed with the fitted tone, the spectrum with the kit's references, and the pitch over time.
// They draw the Tuner's objects, which outlive them. A click or a drag that moves the stretch, or
// a peak picked on the spectrum, is said by analysisRequested(). User-interface thread only.
class StrikeGraphs : public QSplitter {
    Q_OBJECT

public:
    explicit StrikeGraphs(Tuner& tuner, QWidget* parent = nullptr);

    // The pitch view's lines: the main frequency (none without a tone) and the series median.
    void showFrequencies();
    // Repaints every graph.
    void updateGraphs();

signals:
    void analysisRequested();

private:
    Tuner& m_Tuner;
    SignalOverview* m_Overview = nullptr;
    StretchZoom* m_Zoom = nullptr;
    SpectrumView* m_Spectrum = nullptr;
    PitchTrackView* m_PitchView = nullptr;
};

}  // namespace tomaro
