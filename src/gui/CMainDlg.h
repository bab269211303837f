#pragma once

#include <QMainWindow>
#include <memory>

#include "gui/AppServices.h"
#include "tuning/Tuner.h"

class QScrollArea;

namespace tomaro {

class AnalysisGroup;
class CaptureDevice;
class FileCommands;
class HistoryBar;
class InputGroup;
class NoteWindow;
class Profile;
class ReadoutPanel;
class ReferencesGroup;
class SerialPort;
class StepPump;
class StrikeGraphs;
class StrikePlayback;
class TuningWindow;

// The main window: the controls on the left, the graphs on the right, the read-out large at the
// top of the controls. It wires widgets to the Tuner and the devices and holds no analysis, kit or
// file logic of its own. Every setting is read at start-up with its default and written back when
// the user changes it.
class CMainDlg : public QMainWindow {
    Q_OBJECT
public:
    // `history` is lent by the application object, which keeps it beyond the window's life.
    CMainDlg(Profile& profile, history::HistoryStore& history, AppServices services = {},
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    Tuner& tuner() { return m_Tuner; }
    // The window "Настройка", made when first opened (null before).
    TuningWindow* tuningWindow() { return m_TuningWindow.get(); }
    // "Снимки..." and the recall line, with the tuning history.
    HistoryBar* historyBar() { return m_History; }

    // Loads `path` as the open command does after its dialog, without remembering it. The
    // QByteArray forms take the path in the file system's own bytes, which keep a name that is
    // not valid in the system's encoding (Qt cannot hold it in a QString); the QString forms take
    // a name as Qt shows it and convert it with QFile::encodeName.
    void openFile(const QByteArray& path);
    void openFile(const QString& path);
    // The open command for a path chosen elsewhere ("Open with", the command line): remembers
    // its folder and name for the open dialog, then loads it.
    void openChosenFile(const QByteArray& path);
    void openChosenFile(const QString& path);

public slots:
    // The open command: asks for a file, remembers the choice, loads it.
    void chooseAndOpenFile();
    // The sound import: asks for a sound file of any format libsndfile reads and loads it.
    void chooseAndImportFile();
    // Runs one step of the strike state machine now (it also runs before repaints and on every
    // notice from the capture side).
    void step();

signals:
    void analysed();  // a strike or file was analysed and the views show it

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The left panel's column as wide as its texts need, in the current language.
    void fitPanel();
    void showSoundError(const UserMessage& message);
    void analysisChanged();
    void referencesUpdate();
    void refreshViews();
    void updateGraphs();
    void openReferencesDialog();
    void setNoteWindowShown(bool shown);
    void showAbout();
    void showTuningWindow();

    Profile& m_Profile;
    AppServices m_Services;
    Tuner m_Tuner;
    std::unique_ptr<CaptureDevice> m_Capture;
    std::unique_ptr<SerialPort> m_SerialPort;
    std::unique_ptr<StepPump> m_Pump;
    std::unique_ptr<FileCommands> m_Files;
    std::unique_ptr<StrikePlayback> m_Playback;  // its player outlives the window "Настройка"

    ReadoutPanel* m_Readout = nullptr;
    InputGroup* m_Input = nullptr;
    AnalysisGroup* m_Analysis = nullptr;
    ReferencesGroup* m_References = nullptr;
    QScrollArea* m_PanelScroll = nullptr;  // the left panel
    StrikeGraphs* m_Graphs = nullptr;
    std::unique_ptr<NoteWindow> m_NoteWindow;
    std::unique_ptr<TuningWindow> m_TuningWindow;
    HistoryBar* m_History = nullptr;
};

}  // namespace tomaro
