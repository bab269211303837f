#pragma once

#include <QLabel>
#include <QWidget>

#include "analysis/StrikeQuality.h"

class QPushButton;

namespace tomaro {

class PitchTrack;
class Stretch;
class Analyzer;
struct StrikeRecord;

// The quality line under the read-out: the verdict in its colour, its reasons in words, the
// tone's share of the sound, the decay and the glide (qualitytext::qualityLine()). Empty before
// the first strike.
// User-interface thread only.
class QualityLine : public QLabel {
    Q_OBJECT

public:
    explicit QualityLine(QWidget* parent = nullptr);
    // Shows the quality of the strike on screen; `lastAcceptedHz` is the last reading that was
    // not rejected (0: none), named beside a rejection.
    void showQuality(const QualityReport& report, double lastAcceptedHz);
    // Shows a line built elsewhere (lug mode's judgement of a tap) in its verdict's colour.
    void showVerdict(const QString& text, Verdict verdict);
    void clearQuality();
    // On a dark ground (the tuning view) the verdicts take brighter colours.
    void setOnDark(bool onDark) { m_OnDark = onDark; }

private:
    bool m_OnDark = false;
};

// The series line: "серия: 4 удара, 110.62 Гц ± 0.8 · стабильно" (the stable mark in green) and
// the "Новая серия" button, which asks for the series to be cleared. User-interface thread only.
class SeriesLine : public QWidget {
    Q_OBJECT

public:
    explicit SeriesLine(QWidget* parent = nullptr);
    void showSeries(int count, double medianHz, double spreadCents, bool stable);
    QString text() const;
    // On a dark ground (the tuning view) the stable mark takes a brighter green.
    void setOnDark(bool onDark) { m_OnDark = onDark; }

signals:
    void clearRequested();

private:
    QLabel* m_Label;
    QPushButton* m_Button;
    bool m_OnDark = false;
};

// The pitch along the strike (PitchTrack): cents from the main frequency against the time from
// the strike front, with the analysed stretch marked and the series median as a dashed line. It
// shows the glide after the hit and where the pitch settles. The objects must outlive the widget;
// the main window repaints it after each analysis. User-interface thread only.
class PitchTrackView : public QWidget {
    Q_OBJECT

public:
    PitchTrackView(const PitchTrack& track, const Analyzer& analyzer, const StrikeRecord& record,
                   const Stretch& stretch, QWidget* parent = nullptr);

    // The frequency the track is drawn against (the main frequency; 0: no track) and the series
    // median (0: none).
    void setFrequencies(double mainHz, double seriesMedianHz);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PitchTrack& m_Track;
    const Analyzer& m_Analyzer;
    const StrikeRecord& m_Record;
    const Stretch& m_Stretch;
    double m_MainHz = 0.0;
    double m_SeriesHz = 0.0;
};

}  // namespace tomaro
