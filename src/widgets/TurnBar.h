#pragma once

#include <QWidget>

#include "tuning/TurnModel.h"

class QLabel;
class QPushButton;

namespace tomaro {

class Tuner;

// Lug mode's turns of the key: the advice of the rod last tapped (or clicked) with its turn ("≈ ¼
// оборота") once the drum and head are calibrated, buttons ⅛ ¼ ½ to mark the turn just made on
// that rod (the next tap of that rod calibrates: TurnModel), and "Забыть". The calibrations are
// kept per drum and head in section "Turns". follow() after every strike and change of drum or
// head. User-interface thread only.
class TurnBar : public QWidget {
    Q_OBJECT

public:
    explicit TurnBar(Tuner& tuner, QWidget* parent = nullptr);

    // Follows the Tuner: another drum or head loads its model; a new tap of the marked rod
    // calibrates it; the advice line is built again.
    void follow();
    // The turn made on the advised rod, in eighths (a button).
    void markTurn(int eighths);
    // A click on rod `lug` (1..count): its advice is shown and the buttons act on it until the
    // next strike.
    void chooseRod(int lug);
    // The rod the advice and the buttons are for: the rod clicked, else the rod last tapped; 0
    // for none (not measured).
    int advisedRod() const;
    void forget();
    const TurnModel& model() const { return m_Model; }
    // "≈ ¼ оборота" for an advice of `cents` once calibrated; empty before.
    QString turnText(double cents) const;
    // The advice line as shown.
    QString adviceText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void store();

    Tuner& m_Tuner;
    TurnModel m_Model;
    int m_DrumType = -2;  // the model's drum (-1: none chosen; -2: not loaded yet)
    DrumHead m_Head = DrumHead::Batter;
    int m_ChosenRod = 0;        // the rod clicked (0: follow the taps)
    double m_ChosenAtHz = 0.0;  // the last lug reading when it was clicked: a new strike ends it
    QLabel* m_Line = nullptr;
    QPushButton* m_Buttons[3] = {};
    QPushButton* m_ForgetButton = nullptr;
};

}  // namespace tomaro
