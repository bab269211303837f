#pragma once

#include <QGroupBox>

class QCheckBox;
class QComboBox;

namespace tomaro {

class DrumChoice;
class ElidedButton;
class Profile;
class Tuner;

// The main window's group "Эталоны": the button with the kit's caption that opens the references
// dialog, the references the read-out compares with ("Основной тон", "Ударный", "Резонансный"),
// how a strike nearest an overtone reference is shown (handed to the Tuner), "Ноту крупно"
// (section "Options", key "m_IsShowNotaDlg"), and "Настраиваю:" with "Настройка...". Its texts are
// the main window's (context "tomaro::CMainDlg"). User-interface thread only.
class ReferencesGroup : public QGroupBox {
    Q_OBJECT

public:
    ReferencesGroup(Tuner& tuner, Profile& profile, QWidget* parent = nullptr);

    // The references button's caption, and the three switches as the Tuner has them.
    void showReferences(const QString& caption);
    // The drum being tuned as the Tuner has it, with the kit's drums listed again.
    void showTunedDrum();
    bool noteWindowChosen() const;
    // The large-note window was closed: the box is cleared and that is stored.
    void noteWindowClosed();

signals:
    void referencesDialogRequested();
    // A switch was turned: the caption and the read-out are due again.
    void switchesChanged();
    // An overtone is shown another way: the read-out is due again.
    void overtoneTransferChanged();
    void noteWindowChosenChanged(bool shown);
    void drumChosen();
    void tuningWindowRequested();  // "Настройка..."

private:
    Tuner& m_Tuner;
    Profile& m_Profile;
    ElidedButton* m_ReferencesButton = nullptr;
    QCheckBox* m_FundamentalBox = nullptr;
    QCheckBox* m_BatterBox = nullptr;
    QCheckBox* m_ResonantBox = nullptr;
    QComboBox* m_TransferCombo = nullptr;
    QCheckBox* m_NoteWindowBox = nullptr;
    DrumChoice* m_DrumChoice = nullptr;
};

}  // namespace tomaro
