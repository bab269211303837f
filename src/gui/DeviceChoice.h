#pragma once

#include <QComboBox>

#include "base/UserMessage.h"

namespace tomaro {

class CaptureDevice;
class Profile;

// "Устройство:": "Нет (не слушать)", the capture device's inputs and "WAVE MAPPER" (the system's
// default input). The entry chosen is stored (section "CMainDlg", key "m_WaveInDevice", as the
// entry's name; the first entry by its Russian name whatever the language) and opened at once.
// Its texts are the main window's (context "tomaro::CMainDlg"). User-interface thread only.
class DeviceChoice : public QComboBox {
    Q_OBJECT

public:
    DeviceChoice(CaptureDevice& capture, Profile& profile, QWidget* parent = nullptr);

    // Lists the inputs and opens the stored one; a stored device that is gone falls back to the
    // system's default input, without a message.
    void fill();

signals:
    // An entry was opened, or failed to open (soundError() came first): the level is due.
    void opened();
    // Opening failed, as the capture device said it.
    void soundError(const tomaro::UserMessage& message);

protected:
    // The first entry's name follows the language.
    void changeEvent(QEvent* event) override;

private:
    void open(int entry);

    CaptureDevice& m_Capture;
    Profile& m_Profile;
};

}  // namespace tomaro
