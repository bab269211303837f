#pragma once

#include <QWidget>
#include <functional>

class QComboBox;

namespace tomaro {

class Profile;
class SerialPort;

// The port selector of the main window: the label "Порт" and a list with "Не выбран" followed
// by "COM1".."COM16". It is created hidden, yet its choice is still read from the profile and
// acted on. It owns the choosing rules, so the main window only places it in a layout:
// - at construction it reads `m_PortSelect` in "Options" (default 0; values outside 0..16 mean
//   0), selects that entry and applies it;
// - when the user picks an entry it writes `m_PortSelect` at once and applies it;
// - applying closes the port, then opens COMn at 57600 baud unless "Не выбран" is chosen. On a
//   failure the list shows "Не выбран" again, the stored `m_PortSelect` keeps the user's
//   choice (so the next start tries again) and the error text is shown under "ОШИБКА".
// The selector never closes the port on destruction: the port's owner does. User-interface
// thread only.
class PortSelector : public QWidget {
    Q_OBJECT

public:
    // Shows a failure to the user: UTF-8 texts already converted, `parent` for placement.
    using ErrorDisplay =
        std::function<void(QWidget* parent, const QString& text, const QString& caption)>;

    static constexpr int kPortCount = 16;
    static constexpr int kBaudRate = 57600;

    // `port` and `profile` must outlive the selector. An empty `showError` means showErrorBox.
    PortSelector(SerialPort& port, Profile& profile, QWidget* parent = nullptr,
                 ErrorDisplay showError = {});

    // The default error display: showUserMessage() with the critical icon of an error.
    static void showErrorBox(QWidget* parent, const QString& text, const QString& caption);

private:
    void onUserChoice(int index);
    void applySelection(int index);

    SerialPort& m_Port;
    Profile& m_Profile;
    ErrorDisplay m_ShowError;
    QComboBox* m_Combo;
};

}  // namespace tomaro
