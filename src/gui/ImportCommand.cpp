#include "gui/ImportCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <atomic>
#include <thread>

#include "audio/SoundImport.h"
#include "devices/AudioImport.h"
#include "gui/AppServices.h"
#include "tuning/OpenFileState.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

// Decodes on a worker thread; the user-interface thread runs a local event loop meanwhile, so
// that the window repaints and the progress dialog's "Отмена" is heard.
WavLoadResult decodeWithProgress(QWidget* parent, SoundDecoder& decoder, ImportedSound& sound) {
    std::atomic<int> permille{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    WavLoadResult result;
    QProgressDialog progress(
        QCoreApplication::translate("tomaro::ImportCommand", "Импортирую звук..."),
        QCoreApplication::translate("tomaro::ImportCommand", "Отмена"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("importProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);  // a short sound comes without a flash of the dialog
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QEventLoop loop;
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] { cancelled = true; });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        if (progress.wasCanceled()) cancelled = true;
        if (finished) {
            loop.quit();
        } else if (!cancelled) {
            progress.setValue(permille);
        }
    });
    std::thread worker([&] {
        result = decoder.decode(sound, [&](double share) {
            permille = static_cast<int>(share * 999.0);
            return !cancelled.load();
        });
        finished = true;
    });
    timer.start(20);
    loop.exec();
    worker.join();
    if (cancelled) {
        sound = ImportedSound{};
        return WavLoadResult{};
    }
    return result;
}

}  // namespace

bool runImportCommand(QWidget* parent, Profile& profile, const AppServices& services, Tuner& tuner,
                      const std::function<void()>& soundReleased) {
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

    SoundDecoder decoder;
    WavLoadResult result = decoder.open(bytes);
    if (result.ok) {
        // Two sounds of ten minutes at 500 kHz would not both fit in memory: the old one goes
        // before the new one is decoded.
        tuner.releaseHeldSound();
        if (soundReleased) soundReleased();
        ImportedSound sound;
        result = decodeWithProgress(parent, decoder, sound);
        if (result.ok) result = loadImportedSound(std::move(sound), tuner.recorder());
    }
    // Cancelled, the import says nothing.
    if (!result.ok && result.message) services.message(parent, *result.message);
    return result.ok;
}

}  // namespace tomaro
