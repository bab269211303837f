#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QWidget;

namespace tomaro {

struct AppServices;
class Profile;
class Tuner;

// The main window's file commands. "Открыть WAV..." asks for a WAV file with the services' file
// dialog, starting where the last file was chosen, remembers the choice (section "OPEN") and loads
// it into the Tuner; a path chosen elsewhere ("Open with", the command line) is remembered and
// loaded the same way. "Импорт звука..." runs the sound import (runImportCommand). A file that
// loads is said by loaded() (its analysis is due); one refused is said in a message box over
// `window`, with its own texts in the main window's context ("tomaro::CMainDlg"). Paths are taken
// in the file system's own bytes (QByteArray), which keep a name that is not valid in the system's
// encoding, or as Qt shows them (QString, converted with QFile::encodeName). The objects given
// must outlive it. User-interface thread only.
class FileCommands : public QObject {
    Q_OBJECT

public:
    FileCommands(Tuner& tuner, Profile& profile, const AppServices& services, QWidget& window);

    // The open command: asks for a file, remembers the choice, loads it.
    void chooseAndOpen();
    // Remembers the folder and name of `path` for the open dialog, then loads it; a path shorter
    // than a file name can be is nothing chosen.
    void openChosen(const QByteArray& path);
    void openChosen(const QString& path);
    // Loads `path` without remembering it.
    void open(const QByteArray& path);
    void open(const QString& path);
    // The sound import: asks for a sound file of any format libsndfile reads and loads it.
    void chooseAndImport();

signals:
    // A new strike stands in the record: its analysis is due.
    void loaded();
    // The import gave back the long sound of an earlier import before decoding: none is shown.
    void soundReleased();

private:
    Tuner& m_Tuner;
    Profile& m_Profile;
    const AppServices& m_Services;
    QWidget& m_Window;
};

}  // namespace tomaro
