#pragma once

#include <QGroupBox>

class QLabel;

namespace tomaro {

class QualityLine;
class SeriesLine;
class Tuner;

// The read-out at the top of the main window's controls: the measured frequency large (or "нет
// тона" for a strike without a tone), the note with its deviation, the nearest reference, the
// strike's quality line and the series line with its "Новая серия" button. It only shows the
// Tuner; the window asks it to after every change. User-interface thread only.
class ReadoutPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ReadoutPanel(QWidget* parent = nullptr);

    // Shows what the tuner holds now.
    void showReading(const Tuner& tuner);

signals:
    void clearSeriesRequested();  // "Новая серия"

private:
    QLabel* m_FrequencyLabel = nullptr;
    QLabel* m_NoteLabel = nullptr;
    QLabel* m_NearestLabel = nullptr;
    QualityLine* m_QualityLine = nullptr;
    SeriesLine* m_SeriesLine = nullptr;
};

}  // namespace tomaro
