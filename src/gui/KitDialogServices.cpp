#include "gui/KitDialogServices.h"

#include <QFileDialog>
#include <QMessageBox>

#include "gui/CDlgBaraSelect.h"
#include "widgets/QtText.h"

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
    if (!services.showMessage) services.showMessage = &showMessageBox;
    if (!services.chooseFileToSave) services.chooseFileToSave = &showSaveDialog;
    if (!services.chooseFileToOpen) services.chooseFileToOpen = &showOpenDialog;
    if (!services.selectKit) services.selectKit = &showKitSelection;
    return services;
}

void KitDialogServices::showMessageBox(QWidget* parent, const UserMessage& message) {
    QMessageBox::Icon icon =
        message.icon == UserMessage::Icon::Error ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox box(icon, toQString(message.caption), toQString(message.text), QMessageBox::Ok,
                    parent);
    box.exec();
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
