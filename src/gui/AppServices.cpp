#include "gui/AppServices.h"

#include <QFileDialog>

#include "widgets/UserMessageBox.h"

namespace tomaro {

AppServices AppServices::withDefaults(AppServices services) {
    if (!services.message) services.message = &showUserMessage;
    if (!services.chooseOpenFile) {
        services.chooseOpenFile = [](QWidget* parent, const QString& title,
                                     const QString& initialPath, const QString& filters) {
            QFileDialog dialog(parent, title, initialPath, filters);
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setDefaultSuffix(QStringLiteral("wav"));
            dialog.selectFile(initialPath);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return QString();
            return dialog.selectedFiles().first();
        };
    }
    if (!services.runDialog) services.runDialog = [](QDialog& dialog) { dialog.exec(); };
    return services;
}

}  // namespace tomaro
