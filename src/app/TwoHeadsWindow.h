#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tomaro {

class Tuner;

// The window "Два пластика": the drum being tuned as its two heads side by side. Each head's (1,1)
// pitch and split from its last lug pass in the tuning history, the interval between them, the
// drum's fundamental from its last good strike, the relation to aim for (unison, resonant higher
// or lower by N semitones: stored per drum in section "Heads") with the resonant head's target it
// gives from the batter's pitch and what it does to the sound, and the last strike's sustain and
// pitch bend. "Сделать целью Пл2" writes that target as the drum's resonant overtone reference.
// It shows the Tuner; referencesChanged() after it wrote into the kit. User-interface thread only.
class TwoHeadsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kSection = "Heads";

    explicit TwoHeadsWindow(Tuner& tuner, QWidget* parent = nullptr);

    // Reads the history and the Tuner again (after a strike, a drum chosen, when shown).
    void refresh();
    // The resonant head's target from the batter's pitch and the chosen relation (0: none).
    double resonantTargetHz() const;
    // Writes resonantTargetHz() as the drum's resonant overtone reference; false when there is
    // no drum or no target.
    bool makeTarget();

signals:
    void referencesChanged();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int relationSemitones() const;
    void relationChanged();

    Tuner& m_Tuner;
    QLabel* m_DrumLine = nullptr;
    QLabel* m_BatterLine = nullptr;
    QLabel* m_ResoLine = nullptr;
    QLabel* m_IntervalLine = nullptr;
    QLabel* m_FundamentalLine = nullptr;
    QComboBox* m_RelationCombo = nullptr;
    QSpinBox* m_SemitoneSpin = nullptr;
    QLabel* m_TargetLine = nullptr;
    QLabel* m_SoundLine = nullptr;
    QLabel* m_StrikeLine = nullptr;
    QPushButton* m_TargetButton = nullptr;
    double m_BatterHz = 0.0;
    double m_ResoHz = 0.0;
};

}  // namespace tomaro
