#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "base/UserMessage.h"

class QWidget;

namespace tomaro {

class Profile;

// What a file dialog of the references dialog asks the user for.
struct FileChoice {
    QString title;
    QString initialPath;    // folder and file name to start from
    QStringList filters;    // "Tomaro - файлы (*.TKit)", "Все файлы (*.*)"
    QString defaultSuffix;  // added to a typed name without one ("TKit")
};

// The modal windows the references dialog opens, as functions, so that tests answer them without
// a modal loop. An empty member stands for the standard window below. User-interface thread only.
struct KitDialogServices {
    // A message box with the message's text, caption and icon (showUserMessage); returns once it
    // is dismissed.
    std::function<void(QWidget* parent, const UserMessage& message)> showMessage;
    // A save dialog that asks before overwriting; the chosen path, or empty when cancelled.
    std::function<QString(QWidget* parent, const FileChoice& choice)> chooseFileToSave;
    // An open dialog that accepts only existing files; the chosen path, or empty when cancelled.
    std::function<QString(QWidget* parent, const FileChoice& choice)> chooseFileToOpen;
    // The kit selection ("Состав барабанной установки"); true when the user confirmed it, which
    // has stored the new presence flags in the profile.
    std::function<bool(QWidget* parent, Profile& profile)> selectKit;

    // This set with every empty member filled by the standard window.
    KitDialogServices withStandardWindows() const;

    static QString showSaveDialog(QWidget* parent, const FileChoice& choice);
    static QString showOpenDialog(QWidget* parent, const FileChoice& choice);
    static bool showKitSelection(QWidget* parent, Profile& profile);
};

}  // namespace tomaro
