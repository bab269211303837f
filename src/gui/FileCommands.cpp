#include "gui/FileCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "gui/AppServices.h"
#include "gui/ImportCommand.h"
#include "tuning/OpenFileState.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

// The open dialog's texts are the main window's.
QString windowText(const char* source) {
    return QCoreApplication::translate("tomaro::CMainDlg", source);
}

}  // namespace

FileCommands::FileCommands(Tuner& tuner, Profile& profile, const AppServices& services,
                           QWidget& window)
    : m_Tuner(tuner), m_Profile(profile), m_Services(services), m_Window(window) {}

void FileCommands::chooseAndOpen() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || !QDir(music).exists()) music = QDir::homePath();
    // The folder and name are stored in the file system's bytes.
    const OpenFileState state =
        OpenFileState::load(m_Profile, QFile::encodeName(music).toStdString());
    const QString path = m_Services.chooseOpenFile(
        &m_Window, windowText(QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Выбирите файл")),
        QFile::decodeName(QByteArray::fromStdString(state.initialPath())),
        windowText(QT_TRANSLATE_NOOP("tomaro::CMainDlg", "WAV - файлы (*.wav);;Все файлы (*.*)")));
    openChosen(path);
}

void FileCommands::openChosen(const QString& path) {
    openChosen(QFile::encodeName(QDir::toNativeSeparators(path)));
}

void FileCommands::openChosen(const QByteArray& path) {
    if (QFile::decodeName(path).size() < static_cast<qsizetype>(kMinimumPathLength)) return;
    OpenFileState::remember(m_Profile, path.toStdString());
    open(path);
}

void FileCommands::open(const QString& path) { open(QFile::encodeName(path)); }

void FileCommands::open(const QByteArray& path) {
    const WavLoadResult result = m_Tuner.loadFile(path.toStdString());
    if (!result.ok) {
        if (result.message) m_Services.message(&m_Window, *result.message);
        return;
    }
    emit loaded();
}

void FileCommands::chooseAndImport() {
    const bool imported = runImportCommand(&m_Window, m_Profile, m_Services, m_Tuner,
                                           [this] { emit soundReleased(); });
    if (imported) emit loaded();
}

}  // namespace tomaro
