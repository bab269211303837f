#pragma once

#include <QWidget>
#include <optional>

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
// pitch bend beside those of the strike before the heads last changed (a head measured at another
// pitch, or a target written), so that what a change did to the sound shows. "Сделать целью Пл2"
// writes that target as the drum's resonant overtone reference. It shows the Tuner;
// referencesChanged() after it wrote into the kit. User-interface thread only.
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

    // What one strike of the drum did: its sustain and its pitch after the hit.
    struct StrikeShape {
        double frequencyHz = 0.0;
        double decaySec = 0.0;  // NaN: no decay measured
        double bendCents = 0.0;
    };
    void takeStrike();
    QString shapeText(const StrikeShape& shape) const;
    int m_ShapeDrum = -1;  // the drum the strikes below belong to
    std::optional<StrikeShape> m_Last;
    std::optional<StrikeShape> m_Before;  // the last strike before the heads changed
    double m_LastBatterHz = 0.0;          // the heads when m_Last was struck
    double m_LastResoHz = 0.0;
    bool m_TargetWritten = false;  // since m_Last was struck
};

}  // namespace tomaro
