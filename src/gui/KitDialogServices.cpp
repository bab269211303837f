#include "gui/KitDialogServices.h"

#include <QFileDialog>

#include "gui/CDlgBaraSelect.h"
#include "widgets/UserMessageBox.h"

namespace tomaro {
namespace {

QString runFileDialog(QWidget* parent, const FileChoice& choice, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, choice.title, choice.initialPath);
    dialog.setNameFilters(choice.filters);
    dialog.setDefaultSuffix(choice.defaultSuffix);
    dialog.setAcceptMode(mode);
    // Saving asks before overwriting (QFileDialog's default for AcceptSave); opening needs a
    // file that exists.
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

}  // namespace

KitDialogServices KitDialogServices::withStandardWindows() const {
    KitDialogServices services = *this;
    if (!services.showMessage) services.showMessage = &showUserMessage;
    if (!services.chooseFileToSave) services.chooseFileToSave = &showSaveDialog;
    if (!services.chooseFileToOpen) services.chooseFileToOpen = &showOpenDialog;
    if (!services.selectKit) services.selectKit = &showKitSelection;
    return services;
}

QString KitDialogServices::showSaveDialog(QWidget* parent, const FileChoice& choice) {
    return runFileDialog(parent, choice, QFileDialog::AcceptSave);
}

QString KitDialogServices::showOpenDialog(QWidget* parent, const FileChoice& choice) {
    return runFileDialog(parent, choice, QFileDialog::AcceptOpen);
}

bool KitDialogServices::showKitSelection(QWidget* parent, Profile& profile) {
    CDlgBaraSelect dialog(profile, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tomaro
