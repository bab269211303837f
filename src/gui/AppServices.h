#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "base/UserMessage.h"

namespace tomaro {

// The modal pieces of the main window, replaceable so that tests never block on them.
struct AppServices {
    // Shows a message in a message box (showUserMessage by default).
    std::function<void(QWidget* parent, const UserMessage& message)> message;
    // Asks for a WAV file to open; returns the chosen path or an empty string.
    std::function<QString(QWidget* parent, const QString& title, const QString& initialPath,
                          const QString& filters)>
        chooseOpenFile;

    // Runs a modal dialog (the references dialog) to its end.
    std::function<void(QDialog& dialog)> runDialog;

    // Fills the members left empty with the real dialogs.
    static AppServices withDefaults(AppServices services);
};

}  // namespace tomaro
