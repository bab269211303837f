#pragma once

#include <QString>

#include "gui/AppServices.h"
#include "gui/CMainDlg.h"
#include "history/HistoryStore.h"

namespace tomaro {

class Profile;

// The application object: it owns the tuning history and the main window, and lends the history
// by reference to the window (which lends it to its Tuner, the history bar and the snapshots
// window). The history is made first and goes last, so it outlives everything that uses it; a
// history that cannot be opened is said in the window, which works on without it. Made after the
// QApplication, on the user-interface thread.
class Application {
public:
    // The history at `historyPath` (defaultHistoryPath() in the program; a folder of its own in
    // tests and screenshots), the window over `profile`, which must outlive the object.
    Application(Profile& profile, const QString& historyPath, AppServices services = {});
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    CMainDlg& mainWindow() { return m_MainWindow; }
    history::HistoryStore& history() { return m_History; }

    // Where the program keeps the history: AppDataLocation + "/tomaro.sqlite"
    // (~/.local/share/Harnwick/Tomaro/tomaro.sqlite).
    static QString defaultHistoryPath();

private:
    history::HistoryStore m_History;  // before the window: it outlives it
    CMainDlg m_MainWindow;
};

}  // namespace tomaro
