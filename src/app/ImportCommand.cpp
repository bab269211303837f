#include "app/ImportCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "app/AppServices.h"
#include "app/OpenFileState.h"
#include "audio/AudioImport.h"

namespace tomaro {

bool runImportCommand(QWidget* parent, Profile& profile, const AppServices& services,
                      StrikeRecorder& recorder) {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || !QDir(music).exists()) music = QDir::homePath();
    // File names in the file system's bytes, as the open command keeps them.
    const OpenFileState state =
        OpenFileState::load(profile, QFile::encodeName(music).toStdString(), kImportSoundKeys);
    const QString filters =
        QCoreApplication::translate("tomaro::ImportCommand", "Звуковые файлы (%1);;Все файлы (*.*)")
            .arg(QLatin1String(importFilePatterns()));
    const QString path = services.chooseOpenFile(
        parent, QCoreApplication::translate("tomaro::ImportCommand", "Выберите звуковой файл"),
        QFile::decodeName(QByteArray::fromStdString(state.initialPath())), filters);
    if (path.size() < static_cast<qsizetype>(kMinimumPathLength)) return false;
    const std::string bytes = QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
    OpenFileState::remember(profile, bytes, kImportSoundKeys);

    const WavLoadResult result = importSoundFile(bytes, recorder);
    if (!result.ok) {
        const QMessageBox::Icon icon = result.icon == MessageIcon::Information
                                           ? QMessageBox::Information
                                           : QMessageBox::Critical;
        services.message(parent, QString::fromStdString(result.message), QStringLiteral("Tomaro"),
                         icon);
    }
    return result.ok;
}

}  // namespace tomaro
