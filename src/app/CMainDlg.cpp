#include "app/CMainDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/DrumChoice.h"
#include "app/ElidedButton.h"
#include "app/ImportCommand.h"
#include "app/OpenFileState.h"
#include "app/ReadoutPanel.h"
#include "app/SnapshotsWindow.h"
#include "app/StepField.h"
#include "app/TuningWindow.h"
#include "audio/CaptureDevice.h"
#include "audio/Player.h"
#include "display/LevelMeter.h"
#include "display/NearestReference.h"
#include "display/NoteWindow.h"
#include "display/ReadoutText.h"
#include "display/SignalOverview.h"
#include "display/SpectrumView.h"
#include "display/StretchZoom.h"
#include "display/StrikeQualityViews.h"
#include "kit/CDlgPresets.h"
#include "language/LanguageChoice.h"
#include "language/TranslatedText.h"
#include "serial/PortSelector.h"
#include "serial/SerialPort.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kMainSection = "CMainDlg";
constexpr const char* kDeviceKey = "m_WaveInDevice";
constexpr const char* kNoteWindowSection = "Options";
constexpr const char* kNoteWindowKey = "m_IsShowNotaDlg";
constexpr const char* kNoDevice = QT_TRANSLATE_NOOP("tomaro::CMainDlg", "Нет (не слушать)");

QString qs(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

CMainDlg::CMainDlg(Profile& profile, AppServices services, QWidget* parent)
    : QMainWindow(parent),
      m_Profile(profile),
      m_Services(AppServices::withDefaults(std::move(services))),
      m_Tuner(profile) {
    setObjectName(QStringLiteral("CMainDlg"));
    m_Capture = std::make_unique<CaptureDevice>(m_Tuner.recorder());
    m_Player = std::make_unique<Player>(m_Tuner.recorder());
    m_SerialPort = std::make_unique<SerialPort>();

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
    panelLayout->addWidget(buildInputGroup());
    panelLayout->addWidget(buildAnalysisGroup());
    panelLayout->addWidget(buildReferencesGroup());
    m_History = new HistoryBar(m_Tuner, HistoryBar::defaultStorePath(), {}, panel);
    connect(m_History, &HistoryBar::tunerChanged, this, &CMainDlg::refreshViews);
    panelLayout->addWidget(m_History);
    panelLayout->addWidget(
        new PortSelector(*m_SerialPort, profile, panel,
                         [this](QWidget* parent, const QString& text, const QString& caption) {
                             m_Services.message(parent, text, caption, QMessageBox::Critical);
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
    layout->addWidget(buildGraphs(), 1);
    setCentralWidget(central);
    resize(1200, 760);

    connect(m_Capture.get(), &CaptureDevice::strikeProgress, this, &CMainDlg::step);
    connect(m_Capture.get(), &CaptureDevice::bufferProcessed, this, [this] {
        m_LevelMeter->setLevel(m_Tuner.recorder().level());
        if (m_Tuner.noteInputPeak(m_Tuner.recorder().level().leftPeak)) refreshViews();
    });
    connect(m_Capture.get(), &CaptureDevice::deviceLost, this, [this](const QString& text) {
        m_LevelMeter->setLevel(m_Tuner.recorder().level());
        step();
        showSoundError(text);
    });
    connect(m_Player.get(), &Player::finished, this, [this] {
        updatePlayButton();
        m_StopButton->setEnabled(false);
    });

    m_Tuner.recorder().setCaptionHook(
        [this](const std::string& caption) { setWindowTitle(qs(caption)); });
    fillDevices();
    referencesUpdate();
    showStretch();
    setNoteWindowShown(m_NoteWindowBox->isChecked());
    step();
    // Told once the window stands, e.g. that the settings file was damaged and where its copy is.
    if (const std::string notice = profile.takeNotice(); !notice.empty()) {
        QMetaObject::invokeMethod(
            this,
            [this, text = qs(notice)] {
                m_Services.message(this, text, QStringLiteral("Tomaro"), QMessageBox::Warning);
            },
            Qt::QueuedConnection);
    }
}

CMainDlg::~CMainDlg() {
    if (m_NoteWindow) m_NoteWindow->disconnect(this);
    m_Player->stop();
    m_Capture->close();
    // The widgets go first: a field losing focus now must not reach the tuner as it goes.
    delete takeCentralWidget();
}

QWidget* CMainDlg::buildInputGroup() {
    auto* box = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Вход"));
    auto* form = new QFormLayout(box);
    m_DeviceCombo = new QComboBox(box);
    m_DeviceCombo->setObjectName(QStringLiteral("deviceCombo"));
    m_DeviceCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_DeviceCombo->setMinimumContentsLength(18);
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Устройство:")), m_DeviceCombo);

    m_ThresholdSpin = new QSpinBox(box);
    m_ThresholdSpin->setObjectName(QStringLiteral("thresholdSpin"));
    m_ThresholdSpin->setRange(0, 32768);
    m_ThresholdSpin->setSingleStep(250);
    m_ThresholdSpin->setKeyboardTracking(false);
    m_ThresholdSpin->setValue(m_Tuner.recorder().threshold());
    i18n::setToolTip(
        m_ThresholdSpin, this,
        QT_TR_NOOP("Удар начинается с отсчёта, модуль которого больше порога (0..32768)"));
    connect(m_ThresholdSpin, &QSpinBox::valueChanged, this, [this](int value) {
        m_Tuner.setThreshold(value);
        m_LevelMeter->setThreshold(value);
    });
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Порог:")), m_ThresholdSpin);

    m_LevelMeter = new LevelMeter(box);
    m_LevelMeter->setObjectName(QStringLiteral("levelMeter"));
    m_LevelMeter->setThreshold(m_Tuner.recorder().threshold());
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Уровень:")), m_LevelMeter);
    // The line's two lines keep their place while it is hidden: its coming and going must not
    // move the controls below it under the pointer.
    auto* lugPlace = new QWidget(box);
    auto* lugLayout = new QVBoxLayout(lugPlace);
    lugLayout->setContentsMargins(0, 0, 0, 0);
    m_LugStatus = new QLabel(lugPlace);
    m_LugStatus->setObjectName(QStringLiteral("lugStatusLine"));
    m_LugStatus->setWordWrap(true);
    m_LugStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_LugStatus->setVisible(false);
    lugLayout->addWidget(m_LugStatus);
    lugPlace->setFixedHeight(2 * m_LugStatus->fontMetrics().lineSpacing());
    form->addRow(lugPlace);

    auto* buttons = new QHBoxLayout;
    auto* open = i18n::withText(new QPushButton(box), this, QT_TR_NOOP("Открыть WAV..."));
    open->setObjectName(QStringLiteral("openButton"));
    connect(open, &QPushButton::clicked, this, &CMainDlg::chooseAndOpenFile);
    auto* importSound = i18n::withText(new QPushButton(box), this, QT_TR_NOOP("Импорт звука..."));
    importSound->setObjectName(QStringLiteral("importButton"));
    connect(importSound, &QPushButton::clicked, this, &CMainDlg::chooseAndImportFile);
    m_PlayButton = i18n::withText(new QPushButton(box), this, QT_TR_NOOP("▶ Прослушать"));
    m_PlayButton->setObjectName(QStringLiteral("playButton"));
    m_StopButton = i18n::withText(new QPushButton(box), this, QT_TR_NOOP("■ Стоп"));
    m_StopButton->setObjectName(QStringLiteral("stopButton"));
    m_StopButton->setEnabled(false);
    connect(m_PlayButton, &QPushButton::clicked, this, &CMainDlg::play);
    connect(m_StopButton, &QPushButton::clicked, m_Player.get(), &Player::stop);
    buttons->addWidget(open);
    buttons->addWidget(importSound);
    buttons->addWidget(m_PlayButton);
    buttons->addWidget(m_StopButton);
    form->addRow(buttons);

    connect(m_DeviceCombo, &QComboBox::activated, this, [this](int entry) {
        m_Profile.writeString(kMainSection, kDeviceKey,
                              m_DeviceCombo->itemData(entry).toString().toStdString());
        openDevice(entry);
    });
    return box;
}

QWidget* CMainDlg::buildAnalysisGroup() {
    auto* box = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Анализ"));
    auto* form = new QFormLayout(box);

    m_WindowCombo = new QComboBox(box);
    m_WindowCombo->setObjectName(QStringLiteral("windowCombo"));
    i18n::setItems(
        m_WindowCombo, this,
        {QT_TR_NOOP("П - образное"), QT_TR_NOOP("Гаусс 1/e"), QT_TR_NOOP("Гаусс 1/e^3")});
    connect(m_WindowCombo, &QComboBox::currentIndexChanged, this, [this](int kind) {
        m_Tuner.settings().setWindowKind(kind);
        analysisChanged();
    });
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Окно:")), m_WindowCombo);

    // Both fields act on the stretch: the arrows by its step rules, typed values directly.
    auto stretchField = [&](const char* name, void (Stretch::*spin)(int),
                            void (Stretch::*set)(double)) {
        auto* field = new StepField(box);
        field->setObjectName(QLatin1String(name));
        connect(field, &StepField::stepped, this, [this, spin](int steps) {
            (m_Tuner.stretch().*spin)(steps);
            analysisChanged();
        });
        connect(field, &StepField::valueEntered, this, [this, set](double value) {
            (m_Tuner.stretch().*set)(value);
            analysisChanged();
        });
        return field;
    };
    m_DelayField = stretchField("delayField", &Stretch::spinDelay, &Stretch::setDelaySec);
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Задержка от фронта:")), m_DelayField);
    m_LengthField = stretchField("lengthField", &Stretch::spinLength, &Stretch::setLengthSec);
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Длина области анализа")), m_LengthField);

    auto* range = new QHBoxLayout;
    m_FindF0Spin = new QSpinBox(box);
    m_FindF0Spin->setObjectName(QStringLiteral("findF0Spin"));
    m_FindF1Spin = new QSpinBox(box);
    m_FindF1Spin->setObjectName(QStringLiteral("findF1Spin"));
    for (QSpinBox* spin : {m_FindF0Spin, m_FindF1Spin}) {
        // The fields accept anything; the range change clamps and swaps like the analysis does.
        spin->setRange(-100000, 100000);
        spin->setSingleStep(5);
        spin->setKeyboardTracking(false);
        range->addWidget(spin);
        connect(spin, &QSpinBox::valueChanged, this, [this] {
            const auto [f0, f1] =
                m_Tuner.settings().searchRangeChanged(m_FindF0Spin->value(), m_FindF1Spin->value());
            const QSignalBlocker block0(m_FindF0Spin);
            const QSignalBlocker block1(m_FindF1Spin);
            m_FindF0Spin->setValue(f0);
            m_FindF1Spin->setValue(f1);
            analysisChanged();
        });
    }
    range->addWidget(i18n::label(box, this, QT_TR_NOOP("Гц")));
    form->addRow(i18n::label(box, this, QT_TR_NOOP("Поиск:")), range);

    m_DecayBox = i18n::withText(new QCheckBox(box), this, QT_TR_NOOP("Учёт затухания"));
    m_DecayBox->setObjectName(QStringLiteral("decayBox"));
    connect(m_DecayBox, &QCheckBox::toggled, this, [this](bool on) {
        m_Tuner.settings().setDecayAccounting(on);
        analysisChanged();
    });
    form->addRow(m_DecayBox);

    auto* defaults =
        i18n::withText(new QPushButton(box), this, QT_TR_NOOP("Настройки анализа по умолчанию"));
    defaults->setObjectName(QStringLiteral("analysisDefaultsButton"));
    connect(defaults, &QPushButton::clicked, this, [this] {
        m_Tuner.settings().restoreDefaults();
        m_Tuner.stretch().restoreDefaults();
        showAnalysisSettings();
        analysisChanged();
    });
    form->addRow(defaults);
    showAnalysisSettings();
    return box;
}

void CMainDlg::showAnalysisSettings() {
    const AnalysisSettings& settings = m_Tuner.settings();
    const QSignalBlocker blockKind(m_WindowCombo);
    const QSignalBlocker blockDecay(m_DecayBox);
    const QSignalBlocker block0(m_FindF0Spin);
    const QSignalBlocker block1(m_FindF1Spin);
    // Any stored kind other than 0 and 2 is analysed as "Гаусс 1/e", so it shows as that.
    const int kind = settings.windowKind();
    m_WindowCombo->setCurrentIndex(kind == 0 || kind == 2 ? kind : 1);
    m_DecayBox->setChecked(settings.decayAccounting());
    // The range as read (held and swapped like a typed one); stored again only when edited.
    m_FindF0Spin->setValue(settings.findF0());
    m_FindF1Spin->setValue(settings.findF1());
}

QWidget* CMainDlg::buildReferencesGroup() {
    auto* box = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Эталоны"));
    auto* layout = new QVBoxLayout(box);
    m_ReferencesButton = new ElidedButton(box);
    m_ReferencesButton->setObjectName(QStringLiteral("referencesButton"));
    connect(m_ReferencesButton, &QPushButton::clicked, this, &CMainDlg::openReferencesDialog);
    layout->addWidget(m_ReferencesButton);

    auto* boxes = new QHBoxLayout;
    m_FundamentalBox = i18n::withText(new QCheckBox(box), this, QT_TR_NOOP("Основной тон"));
    m_FundamentalBox->setObjectName(QStringLiteral("fundamentalBox"));
    m_BatterBox = i18n::withText(new QCheckBox(box), this, QT_TR_NOOP("Ударный"));
    m_BatterBox->setObjectName(QStringLiteral("batterBox"));
    m_ResonantBox = i18n::withText(new QCheckBox(box), this, QT_TR_NOOP("Резонансный"));
    m_ResonantBox->setObjectName(QStringLiteral("resonantBox"));
    boxes->addWidget(m_FundamentalBox);
    boxes->addWidget(m_BatterBox);
    boxes->addWidget(m_ResonantBox);
    layout->addLayout(boxes);
    connect(m_FundamentalBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().fundamental = on;
        referencesUpdate();
    });
    connect(m_BatterBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().setBatter(on);
        referencesUpdate();
    });
    connect(m_ResonantBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Tuner.switches().setResonant(on);
        referencesUpdate();
    });

    m_TransferCombo = new QComboBox(box);
    m_TransferCombo->setObjectName(QStringLiteral("transferCombo"));
    i18n::setItems(m_TransferCombo, this,
                   {QT_TR_NOOP("Обертон показывать как есть"),
                    QT_TR_NOOP("Обертон пересчитывать в основной тон")});
    m_TransferCombo->setCurrentIndex(m_Tuner.overtoneTransfer() ? 1 : 0);
    i18n::setToolTip(m_TransferCombo, this,
                     QT_TR_NOOP("Если удар ближе всего к эталону обертона, показать частоту "
                                "основного тона барабана"));
    connect(m_TransferCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_Tuner.setOvertoneTransfer(index == 1);
        refreshViews();
    });
    layout->addWidget(m_TransferCombo);

    m_NoteWindowBox = i18n::withText(new QCheckBox(box), this, QT_TR_NOOP("Ноту крупно"));
    m_NoteWindowBox->setObjectName(QStringLiteral("noteWindowBox"));
    m_NoteWindowBox->setChecked(m_Profile.readInt(kNoteWindowSection, kNoteWindowKey, 0) != 0);
    connect(m_NoteWindowBox, &QCheckBox::clicked, this, [this](bool on) {
        m_Profile.writeInt(kNoteWindowSection, kNoteWindowKey, on ? 1 : 0);
        setNoteWindowShown(on);
    });
    layout->addWidget(m_NoteWindowBox);

    auto* tuning = new QHBoxLayout;
    tuning->addWidget(i18n::label(box, this, QT_TR_NOOP("Настраиваю:")));
    m_DrumChoice = new DrumChoice(m_Tuner, box);
    m_DrumChoice->setObjectName(QStringLiteral("drumChoice"));
    connect(m_DrumChoice, &DrumChoice::drumChosen, this, &CMainDlg::refreshViews);
    tuning->addWidget(m_DrumChoice, 1);
    auto* open = i18n::withText(new QPushButton(box), this, QT_TR_NOOP("Настройка..."));
    open->setObjectName(QStringLiteral("tuningButton"));
    connect(open, &QPushButton::clicked, this, &CMainDlg::showTuningWindow);
    tuning->addWidget(open);
    layout->addLayout(tuning);
    return box;
}

void CMainDlg::showTuningWindow() {
    if (!m_TuningWindow) {
        m_TuningWindow = std::make_unique<TuningWindow>(m_Tuner, *m_Player, this);
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

QWidget* CMainDlg::buildGraphs() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("graphs"));
    splitter->setChildrenCollapsible(false);
    m_Overview = new SignalOverview(m_Tuner.shownStrike(), m_Tuner.stretch(), splitter);
    m_Overview->setObjectName(QStringLiteral("signalOverview"));
    m_Zoom =
        new StretchZoom(m_Tuner.shownStrike(), m_Tuner.stretch(), m_Tuner.analyzer(), splitter);
    m_Zoom->setObjectName(QStringLiteral("stretchZoom"));
    m_Spectrum = new SpectrumView(m_Tuner.analyzer(), m_Tuner.settings(), m_Tuner.kit(),
                                  m_Tuner.switches(), m_Tuner.readout(), splitter);
    m_Spectrum->setObjectName(QStringLiteral("spectrumView"));
    m_PitchView = new PitchTrackView(m_Tuner.pitchTrack(), m_Tuner.analyzer(),
                                     m_Tuner.shownStrike(), m_Tuner.stretch(), splitter);
    m_PitchView->setObjectName(QStringLiteral("pitchTrackView"));
    splitter->addWidget(m_Overview);
    splitter->addWidget(m_Zoom);
    splitter->addWidget(m_Spectrum);
    splitter->addWidget(m_PitchView);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 4);
    splitter->setStretchFactor(3, 3);
    connect(m_Overview, &SignalOverview::stretchChanged, this, &CMainDlg::analysisChanged);
    connect(m_Zoom, &StretchZoom::stretchChanged, this, &CMainDlg::analysisChanged);
    connect(m_Spectrum, &SpectrumView::frequencyPicked, this, &CMainDlg::analysisChanged);
    return splitter;
}

void CMainDlg::updateGraphs() {
    m_Overview->update();
    m_Zoom->update();
    m_Spectrum->update();
    m_PitchView->update();
    if (m_NoteWindow) m_NoteWindow->update();
}

void CMainDlg::fillDevices() {
    const QStringList names = m_Capture->inputDeviceNames();
    m_DeviceCombo->clear();
    // The stored choice is the entry's data: the first entry is stored by its Russian name.
    m_DeviceCombo->addItem(tr(kNoDevice), QString::fromUtf8(kNoDevice));
    for (const QString& name : names) m_DeviceCombo->addItem(name, name);
    m_DeviceCombo->addItem(QString::fromLatin1(CaptureDevice::kMapperName),
                           QString::fromLatin1(CaptureDevice::kMapperName));
    // A stored device that is gone falls back to the system's default input, without a message.
    const QString stored =
        qs(m_Profile.readString(kMainSection, kDeviceKey, CaptureDevice::kMapperName));
    int entry = m_DeviceCombo->findData(stored);
    if (entry < 0) entry = m_DeviceCombo->count() - 1;
    m_DeviceCombo->setCurrentIndex(entry);
    openDevice(entry);
}

void CMainDlg::openDevice(int entry) {
    const QString error = m_Capture->open(entry);
    if (!error.isEmpty()) showSoundError(error);
    m_LevelMeter->setLevel(m_Tuner.recorder().level());
    step();
}

void CMainDlg::showSoundError(const QString& text) {
    m_Services.message(this, text, tr("wave ошибка"), QMessageBox::Critical);
}

void CMainDlg::scheduleStep() {
    if (m_StepScheduled) return;
    m_StepScheduled = true;
    QMetaObject::invokeMethod(this, &CMainDlg::step, Qt::QueuedConnection);
}

void CMainDlg::step() {
    m_StepScheduled = false;
    const PaintStep result = m_Tuner.paintStep();
    setWindowTitle(qs(result.caption));
    updatePlayButton();
    if (result.analysed) {
        showStretch();
        refreshViews();
        m_History->strikeAnalysed();
        emit analysed();
        // The caption returns to waiting with the new frequency at the next step.
        scheduleStep();
    } else if (!m_Tuner.recorder().recording()) {
        // While a strike is being recorded the graphs show the previous one (or its early
        // reading) unchanged: no repaint for every 25 ms of capture.
        updateGraphs();
    }
}

void CMainDlg::analysisChanged() {
    showStretch();
    m_Tuner.requestAnalysis();
    scheduleStep();
}

void CMainDlg::showStretch() {
    m_DelayField->setDisplayText(qs(m_Tuner.stretch().delayText()));
    m_LengthField->setDisplayText(qs(m_Tuner.stretch().lengthText()));
}

void CMainDlg::referencesUpdate() {
    m_ReferencesButton->setCaption(qs(m_Tuner.referencesUpdate()));
    const ReferenceSwitches& switches = m_Tuner.switches();
    m_FundamentalBox->setChecked(switches.fundamental);
    m_BatterBox->setChecked(switches.batter);
    m_ResonantBox->setChecked(switches.resonant);
    refreshViews();
}

void CMainDlg::refreshViews() {
    m_Readout->showReading(m_Tuner);
    const bool noTone = m_Tuner.hasResult() && m_Tuner.quality().has(QualityReason::NoTone);
    const double measured = m_Tuner.mainFrequencyHz();
    const SeriesState& series = m_Tuner.series().state();
    m_PitchView->setFrequencies(m_Tuner.hasResult() && !noTone ? measured : 0.0, series.medianHz);
    m_DrumChoice->reload();
    if (m_TuningWindow) m_TuningWindow->refresh();
    m_LugStatus->setText(m_TuningWindow ? m_TuningWindow->lugStatusText() : QString());
    m_LugStatus->setToolTip(m_LugStatus->text());
    m_LugStatus->setVisible(!m_LugStatus->text().isEmpty());
    updatePlayButton();
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
        connect(m_NoteWindow.get(), &NoteWindow::closed, this, [this] {
            m_NoteWindowBox->setChecked(false);
            m_Profile.writeInt(kNoteWindowSection, kNoteWindowKey, 0);
        });
    }
    m_NoteWindow->show();
    m_NoteWindow->raise();
}

void CMainDlg::updatePlayButton() {
    // Nothing to play before the first strike, and a strike being recorded is not stable yet.
    m_PlayButton->setEnabled(m_Tuner.hasStrike() && !m_Tuner.recorder().recording() &&
                             !m_Player->isPlaying());
}

void CMainDlg::play() {
    const Stretch& stretch = m_Tuner.stretch();
    const QString error = m_Player->play((stretch.start() + stretch.end()) / 2);
    if (!error.isEmpty()) {
        showSoundError(error);
        return;
    }
    if (m_Player->isPlaying()) {
        m_PlayButton->setEnabled(false);
        m_StopButton->setEnabled(true);
    }
}

void CMainDlg::chooseAndOpenFile() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || !QDir(music).exists()) music = QDir::homePath();
    // The folder and name are stored in the file system's bytes.
    const OpenFileState state =
        OpenFileState::load(m_Profile, QFile::encodeName(music).toStdString());
    const QString path =
        m_Services.chooseOpenFile(this, tr("Выбирите файл"),
                                  QFile::decodeName(QByteArray::fromStdString(state.initialPath())),
                                  tr("WAV - файлы (*.wav);;Все файлы (*.*)"));
    openChosenFile(path);
}

void CMainDlg::openChosenFile(const QString& path) {
    openChosenFile(QFile::encodeName(QDir::toNativeSeparators(path)));
}

void CMainDlg::openChosenFile(const QByteArray& path) {
    if (QFile::decodeName(path).size() < static_cast<qsizetype>(kMinimumPathLength)) return;
    OpenFileState::remember(m_Profile, path.toStdString());
    openFile(path);
}

void CMainDlg::chooseAndImportFile() {
    const bool imported = runImportCommand(this, m_Profile, m_Services, m_Tuner, [this] {
        refreshViews();
        updateGraphs();
    });
    if (imported) step();
}

void CMainDlg::openFile(const QString& path) { openFile(QFile::encodeName(path)); }

void CMainDlg::openFile(const QByteArray& path) {
    const WavLoadResult result = m_Tuner.loadFile(path.toStdString());
    if (!result.ok) {
        m_Services.message(this, qs(result.message), QStringLiteral("Tomaro"),
                           boxIcon(result.icon));
        return;
    }
    step();
}

void CMainDlg::showAbout() {
    m_Services.message(this,
                       tr("Tomaro 1.6 — тюнер для акустических барабанов.\n\n"
                          "Ударьте по барабану перед микрофоном: Tomaro запишет удар, найдёт "
                          "частоту основного тона, назовёт ноту и сравнит её с эталонами вашей "
                          "установки. Удар можно также открыть из WAV-файла."),
                       tr("О программе Tomaro"), QMessageBox::Information);
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    // The large-note window closes with the program, but stays remembered as open.
    if (m_NoteWindow) m_NoteWindow->disconnect(this);
    m_Player->stop();
    if (m_TuningWindow) m_TuningWindow->close();
    const QString error = m_Capture->close();
    if (!error.isEmpty()) showSoundError(error);
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
    if (event->type() == QEvent::ActivationChange) scheduleStep();
    if (event->type() != QEvent::LanguageChange || m_Readout == nullptr) return;
    // The kept texts of every widget, then the texts the core builds in the new language.
    i18n::retranslate(this);
    m_DeviceCombo->setItemText(0, tr(kNoDevice));
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
