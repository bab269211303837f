#include "gui/CMainDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "devices/CaptureDevice.h"
#include "devices/SerialPort.h"
#include "gui/AnalysisGroup.h"
#include "gui/CDlgPresets.h"
#include "gui/DeviceChoice.h"
#include "gui/FileCommands.h"
#include "gui/HistoryBar.h"
#include "gui/InputGroup.h"
#include "gui/ReferencesGroup.h"
#include "gui/SnapshotsWindow.h"
#include "gui/StepPump.h"
#include "gui/StrikeGraphs.h"
#include "gui/StrikePlayback.h"
#include "gui/TuningWindow.h"
#include "language/LanguageChoice.h"
#include "language/TranslatedText.h"
#include "settings/Profile.h"
#include "widgets/NoteWindow.h"
#include "widgets/PortSelector.h"
#include "widgets/QtText.h"
#include "widgets/ReadoutPanel.h"

namespace tomaro {
CMainDlg::CMainDlg(Profile& profile, history::HistoryStore& history, AppServices services,
                   QWidget* parent)
    : QMainWindow(parent),
      m_Profile(profile),
      m_Services(AppServices::withDefaults(std::move(services))),
      m_Tuner(profile) {
    setObjectName(QStringLiteral("CMainDlg"));
    m_Tuner.setHistory(history);
    m_Capture = std::make_unique<CaptureDevice>(m_Tuner.recorder());
    m_SerialPort = std::make_unique<SerialPort>();
    m_Pump = std::make_unique<StepPump>(m_Tuner);
    connect(m_Pump.get(), &StepPump::stepped, this, [this](const QString& caption) {
        setWindowTitle(caption);
        m_Playback->updateButtons();
    });
    connect(m_Pump.get(), &StepPump::analysed, this, [this] {
        m_Analysis->showStretch();
        refreshViews();
        m_History->strikeAnalysed();
        emit analysed();
    });
    connect(m_Pump.get(), &StepPump::unchanged, this, &CMainDlg::updateGraphs);
    m_Files = std::make_unique<FileCommands>(m_Tuner, profile, m_Services, *this);
    connect(m_Files.get(), &FileCommands::loaded, this, &CMainDlg::step);
    connect(m_Files.get(), &FileCommands::soundReleased, this, [this] {
        refreshViews();
        updateGraphs();
    });

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("controlPanel"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_Readout = new ReadoutPanel(panel);
    connect(m_Readout, &ReadoutPanel::clearSeriesRequested, this, [this] {
        m_Tuner.clearSeries();
        refreshViews();
    });
    panelLayout->addWidget(m_Readout);
    m_Input = new InputGroup(m_Tuner, *m_Capture, profile, panel);
    connect(&m_Input->devices(), &DeviceChoice::soundError, this, &CMainDlg::showSoundError);
    connect(&m_Input->devices(), &DeviceChoice::opened, this, [this] {
        m_Input->showLevel();
        step();
    });
    connect(m_Input, &InputGroup::openRequested, m_Files.get(), &FileCommands::chooseAndOpen);
    connect(m_Input, &InputGroup::importRequested, m_Files.get(), &FileCommands::chooseAndImport);
    m_Playback =
        std::make_unique<StrikePlayback>(m_Tuner, m_Input->playButton(), m_Input->stopButton());
    connect(m_Playback.get(), &StrikePlayback::soundError, this, &CMainDlg::showSoundError);
    panelLayout->addWidget(m_Input);
    m_Analysis = new AnalysisGroup(m_Tuner, panel);
    connect(m_Analysis, &AnalysisGroup::changed, this, &CMainDlg::analysisChanged);
    panelLayout->addWidget(m_Analysis);
    m_References = new ReferencesGroup(m_Tuner, profile, panel);
    connect(m_References, &ReferencesGroup::referencesDialogRequested, this,
            &CMainDlg::openReferencesDialog);
    connect(m_References, &ReferencesGroup::switchesChanged, this, &CMainDlg::referencesUpdate);
    connect(m_References, &ReferencesGroup::overtoneTransferChanged, this, &CMainDlg::refreshViews);
    connect(m_References, &ReferencesGroup::noteWindowChosenChanged, this,
            &CMainDlg::setNoteWindowShown);
    connect(m_References, &ReferencesGroup::drumChosen, this, &CMainDlg::refreshViews);
    connect(m_References, &ReferencesGroup::tuningWindowRequested, this,
            &CMainDlg::showTuningWindow);
    panelLayout->addWidget(m_References);
    m_History = new HistoryBar(m_Tuner, history, {}, panel);
    connect(m_History, &HistoryBar::tunerChanged, this, &CMainDlg::refreshViews);
    panelLayout->addWidget(m_History);
    panelLayout->addWidget(new PortSelector(
        *m_SerialPort, profile, panel,
        [this](QWidget* parent, const QString& text, const QString& caption) {
            m_Services.message(
                parent, UserMessage{toUtf8(text), toUtf8(caption), UserMessage::Severity::Error});
        }));
    panelLayout->addStretch(1);
    auto* about = i18n::withText(new QPushButton(panel), this, QT_TR_NOOP("О программе..."));
    about->setObjectName(QStringLiteral("aboutButton"));
    connect(about, &QPushButton::clicked, this, &CMainDlg::showAbout);
    auto* lastRow = new QHBoxLayout;
    lastRow->addWidget(about);
    lastRow->addWidget(new LanguageChoice(profile, panel));
    panelLayout->addLayout(lastRow);
    // Scrolling the panel must not turn the value under the pointer: wheels act on a control
    // only once it has the focus.
    for (QWidget* control : panel->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QComboBox*>(control)) {
            control->setFocusPolicy(Qt::StrongFocus);
            control->installEventFilter(this);
        }
    }

    m_PanelScroll = new QScrollArea(central);
    m_PanelScroll->setWidget(panel);
    m_PanelScroll->setWidgetResizable(true);
    m_PanelScroll->setFrameShape(QFrame::NoFrame);
    m_PanelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fitPanel();
    layout->addWidget(m_PanelScroll);
    m_Graphs = new StrikeGraphs(m_Tuner, central);
    connect(m_Graphs, &StrikeGraphs::analysisRequested, this, &CMainDlg::analysisChanged);
    layout->addWidget(m_Graphs, 1);
    setCentralWidget(central);
    resize(1200, 760);

    connect(m_Capture.get(), &CaptureDevice::strikeProgress, this, &CMainDlg::step);
    connect(m_Capture.get(), &CaptureDevice::bufferProcessed, this, [this] {
        m_Input->showLevel();
        if (m_Tuner.noteInputPeak(m_Tuner.recorder().level().leftPeak)) refreshViews();
    });
    connect(m_Capture.get(), &CaptureDevice::deviceLost, this, [this](const UserMessage& message) {
        m_Input->showLevel();
        step();
        showSoundError(message);
    });

    m_Tuner.recorder().setCaptionHook(
        [this](const std::string& caption) { setWindowTitle(toQString(caption)); });
    m_Input->devices().fill();
    referencesUpdate();
    m_Analysis->showStretch();
    setNoteWindowShown(m_References->noteWindowChosen());
    step();
    // Told once the window stands, e.g. that the settings file was damaged and where its copy is.
    if (std::optional<UserMessage> notice = profile.takeNotice()) {
        QMetaObject::invokeMethod(
            this, [this, notice = std::move(*notice)] { m_Services.message(this, notice); },
            Qt::QueuedConnection);
    }
}

CMainDlg::~CMainDlg() {
    if (m_NoteWindow) m_NoteWindow->disconnect(this);
    m_Playback->stop();
    m_Capture->close();
    // The widgets go first: a field losing focus now must not reach the tuner as it goes.
    delete takeCentralWidget();
}

void CMainDlg::showTuningWindow() {
    if (!m_TuningWindow) {
        m_TuningWindow = std::make_unique<TuningWindow>(m_Tuner, m_Playback->player(), this);
        connect(m_TuningWindow.get(), &TuningWindow::tunerChanged, this, &CMainDlg::refreshViews);
        connect(m_TuningWindow.get(), &TuningWindow::referencesChanged, this,
                &CMainDlg::referencesUpdate);
        connect(m_TuningWindow.get(), &TuningWindow::analysisRequested, this,
                &CMainDlg::analysisChanged);
        connect(m_TuningWindow.get(), &TuningWindow::soundError, this, &CMainDlg::showSoundError);
    }
    m_TuningWindow->refresh();
    m_TuningWindow->show();
    m_TuningWindow->raise();
}

void CMainDlg::updateGraphs() {
    m_Graphs->updateGraphs();
    if (m_NoteWindow) m_NoteWindow->update();
}

void CMainDlg::showSoundError(const UserMessage& message) { m_Services.message(this, message); }

void CMainDlg::step() { m_Pump->step(); }

void CMainDlg::analysisChanged() {
    m_Analysis->showStretch();
    m_Tuner.requestAnalysis();
    m_Pump->schedule();
}

void CMainDlg::referencesUpdate() {
    m_References->showReferences(toQString(m_Tuner.referencesUpdate()));
    refreshViews();
}

void CMainDlg::refreshViews() {
    m_Readout->showReading(m_Tuner);
    m_Graphs->showFrequencies();
    m_References->showTunedDrum();
    if (m_TuningWindow) m_TuningWindow->refresh();
    m_Input->showLugStatus(m_TuningWindow ? m_TuningWindow->lugStatusText() : QString());
    m_Playback->updateButtons();
    updateGraphs();
}

void CMainDlg::openReferencesDialog() {
    CDlgPresets dialog(
        m_Tuner.kit(), m_Profile,
        [this] {
            m_Tuner.kitChanged();  // under the read-out and the series
            refreshViews();
        },
        this);
    m_Services.runDialog(dialog);
    referencesUpdate();
}

void CMainDlg::setNoteWindowShown(bool shown) {
    if (!shown) {
        if (m_NoteWindow) m_NoteWindow->hide();
        return;
    }
    if (!m_NoteWindow) {
        m_NoteWindow = std::make_unique<NoteWindow>(m_Tuner.readout(), this);
        m_NoteWindow->setObjectName(QStringLiteral("noteWindow"));
        connect(m_NoteWindow.get(), &NoteWindow::closed, m_References,
                &ReferencesGroup::noteWindowClosed);
    }
    m_NoteWindow->show();
    m_NoteWindow->raise();
}

void CMainDlg::chooseAndOpenFile() { m_Files->chooseAndOpen(); }

void CMainDlg::chooseAndImportFile() { m_Files->chooseAndImport(); }

void CMainDlg::openChosenFile(const QString& path) { m_Files->openChosen(path); }

void CMainDlg::openChosenFile(const QByteArray& path) { m_Files->openChosen(path); }

void CMainDlg::openFile(const QString& path) { m_Files->open(path); }

void CMainDlg::openFile(const QByteArray& path) { m_Files->open(path); }

void CMainDlg::showAbout() {
    m_Services.message(
        this, UserMessage{toUtf8(tr("Tomaro 1.6 — тюнер для акустических барабанов.\n\n"
                                    "Ударьте по барабану перед микрофоном: Tomaro запишет удар, "
                                    "найдёт частоту основного тона, назовёт ноту и сравнит её с "
                                    "эталонами вашей установки. Удар можно также открыть из "
                                    "WAV-файла.")),
                          toUtf8(tr("О программе Tomaro")), UserMessage::Severity::Information});
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    // The large-note window closes with the program, but stays remembered as open.
    if (m_NoteWindow) m_NoteWindow->disconnect(this);
    m_Playback->stop();
    if (m_TuningWindow) m_TuningWindow->close();
    if (const std::optional<UserMessage> error = m_Capture->close()) showSoundError(*error);
    m_SerialPort->close();
    QMainWindow::closeEvent(event);
}

bool CMainDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && !widget->hasFocus()) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainDlg::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) m_Pump->schedule();
    if (event->type() != QEvent::LanguageChange || m_Readout == nullptr) return;
    // The kept texts of every widget, then the texts the core builds in the new language.
    i18n::retranslate(this);
    m_Tuner.languageChanged();
    referencesUpdate();
    step();
    // Once the panel's own widgets have their new texts too (they hear of the change after the
    // window).
    QMetaObject::invokeMethod(this, &CMainDlg::fitPanel, Qt::QueuedConnection);
}

void CMainDlg::fitPanel() {
    // The horizontal scroll bar is off: a column narrower than the panel would cut it off.
    const int width = m_PanelScroll->widget()->sizeHint().width();
    m_PanelScroll->setMinimumWidth(width + 20);
    m_PanelScroll->setMaximumWidth(width + 40);
}

}  // namespace tomaro
