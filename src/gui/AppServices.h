#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <functional>

namespace tomaro {

// The modal pieces of the main window, replaceable so that tests never block on them.
struct AppServices {
    // Shows a message box.
    std::function<void(QWidget* parent, const QString& text, const QString& caption,
                       QMessageBox::Icon icon)>
        message;
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
