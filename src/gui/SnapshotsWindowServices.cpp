#include "gui/SnapshotsWindowServices.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "gui/SnapshotsWindow.h"
#include "widgets/UserMessageBox.h"

namespace tomaro {

// The dialogs' texts belong to the snapshots window (their tr() context).
SnapshotsWindowServices SnapshotsWindowServices::withDefaults(SnapshotsWindowServices services) {
    if (!services.askSnapshot) {
        services.askSnapshot = [](QWidget* parent,
                                  const QString& initial) -> std::optional<SnapshotChoice> {
            QDialog dialog(parent);
            dialog.setObjectName(QStringLiteral("snapshotDialog"));
            dialog.setWindowTitle(SnapshotsWindow::tr("Снимок настройки"));
            auto* layout = new QVBoxLayout(&dialog);
            layout->addWidget(new QLabel(SnapshotsWindow::tr("Название снимка:"), &dialog));
            auto* name = new QLineEdit(initial, &dialog);
            name->setObjectName(QStringLiteral("snapshotName"));
            layout->addWidget(name);
            auto* files = new QCheckBox(SnapshotsWindow::tr("включить удары из файлов"), &dialog);
            files->setObjectName(QStringLiteral("withFileStrikes"));
            files->setToolTip(
                SnapshotsWindow::tr("Удары из открытых WAV - файлов не считаются настройкой "
                                    "барабанов, пока вы их не включите"));
            layout->addWidget(files);
            auto* buttons =
                new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
            QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
            QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
            layout->addWidget(buttons);
            if (dialog.exec() != QDialog::Accepted) return std::nullopt;
            return SnapshotChoice{name->text(), files->isChecked()};
        };
    }
    if (!services.askText) {
        services.askText = [](QWidget* parent, const QString& title, const QString& label,
                              const QString& initial) -> std::optional<QString> {
            bool ok = false;
            const QString text =
                QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
            if (!ok) return std::nullopt;
            return text;
        };
    }
    if (!services.chooseSaveFile) {
        services.chooseSaveFile = [](QWidget* parent, const QString& title, const QString& initial,
                                     const QString& filters) {
            return QFileDialog::getSaveFileName(parent, title, initial, filters);
        };
    }
    if (!services.confirm) {
        services.confirm = [](QWidget* parent, const QString& text) {
            return QMessageBox::question(parent, QStringLiteral("Tomaro"), text) ==
                   QMessageBox::Yes;
        };
    }
    if (!services.warn) services.warn = &showUserMessage;
    return services;
}

}  // namespace tomaro
