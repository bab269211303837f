#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;
class QSpinBox;

namespace tomaro {

class CaptureDevice;
class DeviceChoice;
class LevelMeter;
class Profile;
class Tuner;

// The main window's group "Вход": the input device, the threshold ("Порог", handed to the Tuner,
// which stores it) with the level bar that marks it, the line that says lug mode is on, and the
// buttons of files and playback, whose clicks go to their owners. Its texts are the main
// window's (context "tomaro::CMainDlg"). User-interface thread only.
class InputGroup : public QGroupBox {
    Q_OBJECT

public:
    InputGroup(Tuner& tuner, CaptureDevice& capture, Profile& profile, QWidget* parent = nullptr);

    DeviceChoice& devices() { return *m_Devices; }
    QPushButton& playButton() { return *m_PlayButton; }
    QPushButton& stopButton() { return *m_StopButton; }

    // The level bar at the recorder's last input level.
    void showLevel();
    // The lug-mode line ("По винтам: 12\", ударный пластик"); empty hides it, its place stays.
    void showLugStatus(const QString& text);

signals:
    void openRequested();    // "Открыть WAV..."
    void importRequested();  // "Импорт звука..."

private:
    Tuner& m_Tuner;
    DeviceChoice* m_Devices = nullptr;
    QSpinBox* m_ThresholdSpin = nullptr;
    LevelMeter* m_LevelMeter = nullptr;
    QLabel* m_LugStatus = nullptr;
    QPushButton* m_PlayButton = nullptr;
    QPushButton* m_StopButton = nullptr;
};

}  // namespace tomaro
