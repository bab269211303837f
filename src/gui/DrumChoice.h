#pragma once

#include <QComboBox>

namespace tomaro {

class Tuner;

// "Настраиваю:": the nearest reference ("ближайший эталон", the default) or one drum of the kit.
// A choice is handed to the Tuner, which stores it. The main window and the window "Настройка"
// each show one. User-interface thread only.
class DrumChoice : public QComboBox {
    Q_OBJECT

public:
    DrumChoice(Tuner& tuner, QWidget* parent = nullptr);
    // Lists the kit's drums again and shows the Tuner's choice (after a kit change, or a choice
    // made in the other window).
    void reload();

signals:
    void drumChosen();

private:
    Tuner& m_Tuner;
};

}  // namespace tomaro
