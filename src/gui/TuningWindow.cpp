#include "gui/TuningWindow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "devices/Player.h"
#include "gui/DrumChoice.h"
#include "gui/KitPlanWindow.h"
#include "gui/LugNoticeText.h"
#include "gui/LugQualityText.h"
#include "gui/TwoHeadsWindow.h"
#include "kit/DrumTypes.h"
#include "language/TranslatedText.h"
#include "tuning/ReadoutText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"
#include "widgets/SpectrumView.h"
#include "widgets/StrikeQualityViews.h"
#include "widgets/TuningViews.h"
#include "widgets/TurnBar.h"
#include "widgets/UserMessageBox.h"

namespace tomaro {
namespace {

QString hertz(double hz) { return toQString(readout::numberText(hz)) + TuningWindow::tr(" Гц"); }

// A dim-stage scheme for the whole window: light text on near-black.
QPalette darkPalette(QPalette palette) {
    const QColor window(28, 31, 36);
    const QColor base(38, 42, 48);
    const QColor text(228, 232, 238);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, base);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(200, 140, 30));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 116, 126));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 116, 126));
    return palette;
}

}  // namespace

TuningWindow::TuningWindow(Tuner& tuner, Player& player, QWidget* parent)
    : QWidget(parent, Qt::Window), m_Tuner(tuner), m_Player(player) {
    setObjectName(QStringLiteral("tuningWindow"));
    i18n::setWindowTitle(this, this, QT_TR_NOOP("Настройка"));
    setPalette(darkPalette(palette()));
    setAutoFillBackground(true);
    setMinimumSize(720, 480);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildTopBar());
    auto* body = new QHBoxLayout;
    auto* readingColumn = new QVBoxLayout;
    m_View = new TuningView(this);
    m_View->setObjectName(QStringLiteral("tuningView"));
    readingColumn->addWidget(m_View, 1);
    m_QualityLine = new QualityLine(this);
    m_QualityLine->setObjectName(QStringLiteral("tuningQualityLine"));
    m_SeriesLine = new SeriesLine(this);
    m_SeriesLine->setObjectName(QStringLiteral("tuningSeriesLine"));
    m_QualityLine->setOnDark(true);
    m_SeriesLine->setOnDark(true);
    readingColumn->addWidget(m_QualityLine);
    readingColumn->addWidget(m_SeriesLine);
    // The lines grow with the view: read from the drum stool as the advice is.
    m_View->installEventFilter(this);
    body->addLayout(readingColumn, 3);
    m_LugPanel = buildLugPanel();
    body->addWidget(m_LugPanel, 2);
    layout->addLayout(body, 1);

    connect(m_SeriesLine, &SeriesLine::clearRequested, this, [this] {
        m_Tuner.clearSeries();
        emit tunerChanged();
    });
    connect(&m_Player, &Player::finished, this, &TuningWindow::refresh);
    auto* fullScreen = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(fullScreen, &QShortcut::activated, this, &TuningWindow::toggleFullScreen);
    m_Tuner.lugTuning().setTapsEnabled(false);
    setLugMode(m_Tuner.lugMode());
    resize(1100, 720);
}

QWidget* TuningWindow::buildTopBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(i18n::label(bar, this, QT_TR_NOOP("Настраиваю:")));
    m_DrumChoice = new DrumChoice(m_Tuner, bar);
    m_DrumChoice->setObjectName(QStringLiteral("tuningDrumChoice"));
    connect(m_DrumChoice, &DrumChoice::drumChosen, this, &TuningWindow::tunerChanged);
    row->addWidget(m_DrumChoice);
    row->addSpacing(12);
    row->addWidget(i18n::label(bar, this, QT_TR_NOOP("Допуск: ±")));
    m_ToleranceSpin = new QSpinBox(bar);
    m_ToleranceSpin->setObjectName(QStringLiteral("toleranceSpin"));
    m_ToleranceSpin->setRange(1, 50);
    m_ToleranceSpin->setSuffix(QStringLiteral(" ¢"));
    m_ToleranceSpin->setValue(m_Tuner.toleranceCents());
    i18n::setToolTip(m_ToleranceSpin, this,
                     QT_TR_NOOP("Зелёная зона: отклонение в сотых долях полутона"));
    connect(m_ToleranceSpin, &QSpinBox::valueChanged, this, [this](int cents) {
        m_Tuner.setToleranceCents(cents);
        refresh();
    });
    row->addWidget(m_ToleranceSpin);
    row->addStretch(1);
    m_ToneButton = i18n::withText(new QPushButton(bar), this, QT_TR_NOOP("Эталонный тон"));
    m_ToneButton->setObjectName(QStringLiteral("toneButton"));
    i18n::setToolTip(m_ToneButton, this, QT_TR_NOOP("Прослушать целевую частоту (1 с)"));
    connect(m_ToneButton, &QPushButton::clicked, this, &TuningWindow::playTone);
    row->addWidget(m_ToneButton);
    m_LugButton = i18n::withText(new QPushButton(bar), this, QT_TR_NOOP("По винтам"));
    m_LugButton->setObjectName(QStringLiteral("lugModeButton"));
    m_LugButton->setCheckable(true);
    i18n::setToolTip(m_LugButton, this,
                     QT_TR_NOOP("Выровнять пластик: удары у каждого винта по очереди"));
    connect(m_LugButton, &QPushButton::toggled, this, &TuningWindow::setLugMode);
    row->addWidget(m_LugButton);
    auto* heads = i18n::withText(new QPushButton(bar), this, QT_TR_NOOP("Два пластика"));
    heads->setObjectName(QStringLiteral("twoHeadsButton"));
    connect(heads, &QPushButton::clicked, this, &TuningWindow::showTwoHeads);
    row->addWidget(heads);
    auto* plan = i18n::withText(new QPushButton(bar), this, QT_TR_NOOP("Интервалы и план"));
    plan->setObjectName(QStringLiteral("kitPlanButton"));
    connect(plan, &QPushButton::clicked, this, &TuningWindow::showKitPlan);
    row->addWidget(plan);
    auto* fullScreen =
        i18n::withText(new QPushButton(bar), this, QT_TR_NOOP("Во весь экран (F11)"));
    connect(fullScreen, &QPushButton::clicked, this, &TuningWindow::toggleFullScreen);
    row->addWidget(fullScreen);
    return bar;
}

QWidget* TuningWindow::buildLugPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("lugPanel"));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* setup = new QHBoxLayout;
    m_HeadCombo = new QComboBox(panel);
    m_HeadCombo->setObjectName(QStringLiteral("headCombo"));
    m_HeadCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    i18n::setItems(m_HeadCombo, this,
                   {QT_TR_NOOP("ударный пластик"), QT_TR_NOOP("резонансный пластик")});
    connect(m_HeadCombo, &QComboBox::activated, this, [this](int entry) {
        m_Tuner.setLugHead(entry == 1 ? DrumHead::Resonant : DrumHead::Batter);
        refresh();
    });
    setup->addWidget(m_HeadCombo);
    setup->addWidget(i18n::label(panel, this, QT_TR_NOOP("Винтов:")));
    m_CountSpin = new QSpinBox(panel);
    m_CountSpin->setObjectName(QStringLiteral("lugCountSpin"));
    m_CountSpin->setRange(lugs::kMinCount, lugs::kMaxCount);
    m_CountSpin->setKeyboardTracking(false);
    connect(m_CountSpin, &QSpinBox::valueChanged, this, [this](int count) {
        m_Tuner.setLugCount(count);
        refresh();
    });
    setup->addWidget(m_CountSpin);
    m_OrderCombo = new QComboBox(panel);
    m_OrderCombo->setObjectName(QStringLiteral("lugOrderCombo"));
    i18n::setItems(m_OrderCombo, this, {QT_TR_NOOP("звездой"), QT_TR_NOOP("по часовой")});
    i18n::setToolTip(m_OrderCombo, this, QT_TR_NOOP("Звездой: противоположные винты по очереди"));
    connect(m_OrderCombo, &QComboBox::activated, this, [this](int entry) {
        m_Tuner.setLugOrder(entry == 1 ? LugOrder::Clockwise : LugOrder::Star);
        refresh();
    });
    setup->addWidget(m_OrderCombo);
    setup->addStretch(1);
    column->addLayout(setup);
    auto* actions = new QHBoxLayout;
    auto* centre = i18n::withText(new QPushButton(panel), this, QT_TR_NOOP("Удар в центр"));
    centre->setObjectName(QStringLiteral("lugCentreButton"));
    i18n::setToolTip(centre, this,
                     QT_TR_NOOP("Следующий удар — в центр пластика: по его основному тону "
                                "находится полоса винтов, если у пластика нет цели"));
    connect(centre, &QPushButton::clicked, this, [this] {
        m_Tuner.lugTuning().requestCentreStrike();
        refresh();
    });
    actions->addWidget(centre);
    actions->addStretch(1);
    auto* reset = i18n::withText(new QPushButton(panel), this, QT_TR_NOOP("Заново"));
    reset->setObjectName(QStringLiteral("lugResetButton"));
    connect(reset, &QPushButton::clicked, this, [this] {
        m_Tuner.lugTuning().reset();
        refresh();
    });
    actions->addWidget(reset);
    auto* exportButton = i18n::withText(new QPushButton(panel), this, QT_TR_NOOP("Экспорт CSV..."));
    exportButton->setObjectName(QStringLiteral("lugExportButton"));
    connect(exportButton, &QPushButton::clicked, this, &TuningWindow::chooseExportFile);
    actions->addWidget(exportButton);
    column->addLayout(actions);

    m_Diagram = new LugDiagram(panel);
    m_Diagram->setObjectName(QStringLiteral("lugDiagram"));
    // A click on a rod selects it for the next tap, shows its advice and puts the turn buttons on
    // it.
    connect(m_Diagram, &LugDiagram::rodClicked, this, [this](int lug) {
        m_Tuner.selectLug(lug);
        m_TurnBar->chooseRod(lug);
        refresh();
    });
    i18n::setToolTip(m_Diagram, this,
                     QT_TR_NOOP("Сплошная фиолетовая линия — ось, по которой пластик туже, "
                                "пунктир — по которой слабее. Винты: красный — подтянуть, синий — "
                                "ослабить, зелёный — в допуске, серый — не замерен. Щелчок по "
                                "винту — его совет, и кнопки оборотов для него"));
    column->addWidget(m_Diagram, 3);
    m_HeadLine = new QLabel(panel);
    m_HeadLine->setObjectName(QStringLiteral("lugHeadLine"));
    m_HeadLine->setWordWrap(true);
    QFont bigger = m_HeadLine->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.4);
    bigger.setBold(true);
    m_HeadLine->setFont(bigger);
    column->addWidget(m_HeadLine);
    m_NoticeLine = new QLabel(panel);
    m_NoticeLine->setObjectName(QStringLiteral("lugNoticeLine"));
    m_NoticeLine->setWordWrap(true);
    m_NoticeLine->setFont(bigger);
    column->addWidget(m_NoticeLine);
    m_PreviousLine = new QLabel(panel);
    m_PreviousLine->setObjectName(QStringLiteral("lugPreviousLine"));
    m_PreviousLine->setWordWrap(true);
    column->addWidget(m_PreviousLine);
    m_TurnBar = new TurnBar(m_Tuner, panel);
    m_TurnBar->setObjectName(QStringLiteral("turnBar"));
    column->addWidget(m_TurnBar);
    auto* hint = i18n::label(
        panel, this,
        QT_TR_NOOP("Ударяйте в 2–3 см от подсвеченного винта, приглушив другой пластик."));
    hint->setWordWrap(true);
    column->addWidget(hint);
    // Above the centre the microphone sits where the (1,1) pair's nodal lines cross: it hears the
    // head's (0,n) modes, alike at every rod, and hardly the pair the rods are read on.
    auto* microphone = i18n::label(
        panel, this,
        QT_TR_NOOP("Микрофон — над краем пластика у винта, не над центром: над центром тон "
                   "винтов почти не слышен."));
    microphone->setObjectName(QStringLiteral("lugMicrophoneHint"));
    microphone->setWordWrap(true);
    column->addWidget(microphone);
    auto* blind = i18n::label(
        panel, this,
        QT_TR_NOOP("По высоте тона не видно, что одна сторона пластика туже другой: проверьте "
                   "это, затянув все винты пальцами и дав каждому одинаковое число оборотов."));
    blind->setObjectName(QStringLiteral("lugBlindSpot"));
    blind->setWordWrap(true);
    column->addWidget(blind);
    m_Spectrum = new SpectrumView(m_Tuner.analyzer(), m_Tuner.settings(), m_Tuner.kit(),
                                  m_Tuner.switches(), m_Tuner.readout(), panel);
    m_Spectrum->setObjectName(QStringLiteral("lugSpectrum"));
    connect(m_Spectrum, &SpectrumView::frequencyPicked, this, &TuningWindow::analysisRequested);
    column->addWidget(m_Spectrum, 2);
    return panel;
}

void TuningWindow::setLugMode(bool on) {
    m_Tuner.setLugMode(on);
    const QSignalBlocker block(m_LugButton);
    m_LugButton->setChecked(on);
    m_LugPanel->setVisible(on);
    // Wide enough that the note keeps a sixth of the height beside the lug panel.
    setMinimumSize(on ? 860 : 720, 480);
    refresh();
}

void TuningWindow::refresh() {
    m_DrumChoice->reload();
    {
        const QSignalBlocker block(m_ToleranceSpin);
        m_ToleranceSpin->setValue(m_Tuner.toleranceCents());
    }
    TuningReading reading = m_Tuner.tuningReading();
    if (m_Tuner.lugMode()) {
        // The rod the turn buttons are on (the last tapped, or the one clicked): its reading
        // against the head's reference in one line, the head fit's advice for it in the other.
        m_TurnBar->follow();
        const int rod = m_TurnBar->advisedRod();
        const LugSession& lugs = m_Tuner.lugs();
        if (rod > 0) {
            TuningReading shown =
                rodReading(rod, lugs.readingHz(rod), lugs.referenceHz(), lugs.deviationCents(rod),
                           lugs.action(rod), m_Tuner.kit().latinNames(), m_Tuner.toleranceCents());
            shown.drum = reading.drum;
            shown.kind = reading.kind;
            reading = shown;
        }
    }
    const bool rejected = m_Tuner.hasResult() && !m_Tuner.quality().accepted();
    QString targetName;
    if (reading.drum >= 0) {
        targetName = toQString(readout::referenceOwner(std::clamp(reading.kind, 0, 2),
                                                       m_Tuner.kit().drumName(reading.drum)));
    } else if (reading.targetHz > 0.0) {
        targetName = m_Tuner.lugMode() ? tr("среднее") : tr("эталон");
    }
    if (recalledTarget(reading)) {
        targetName = tr("%1, снимок «%2»").arg(targetName, toQString(m_Tuner.recall()->info.name));
    }
    if (m_Tuner.lugMode()) m_TurnBar->follow();
    m_View->setAdviceSuffix(m_Tuner.lugMode() && reading.rod > 0
                                ? m_TurnBar->turnText(reading.adviceCents)
                                : QString());
    m_View->showReading(reading, rejected, m_Tuner.toleranceCents(), targetName);
    // In lug mode the line judges the last tap for its rod, in the rod's band; a strike that went
    // to no rod is judged as itself.
    const LugTapVerdict tap = m_Tuner.lugTuning().tapVerdict();
    if (m_Tuner.lugMode() && tap.judged) {
        m_QualityLine->showVerdict(lugQualityText(tap, m_Tuner.quality()), tap.verdict);
    } else if (m_Tuner.hasResult()) {
        m_QualityLine->showQuality(m_Tuner.quality(), m_Tuner.lastAcceptedHz());
    } else {
        m_QualityLine->clearQuality();
    }
    const SeriesState& series = m_Tuner.series().state();
    m_SeriesLine->showSeries(series.count, series.medianHz, series.spreadCents, series.stable);
    m_ToneButton->setEnabled(toneHz() > 0.0 && !m_Player.isPlaying() &&
                             !m_Tuner.recorder().recording());
    if (m_Tuner.lugMode()) showLugs();
    if (m_TwoHeads && m_TwoHeads->isVisible()) m_TwoHeads->refresh();
    if (m_KitPlan && m_KitPlan->isVisible()) m_KitPlan->refresh();
}

// The two windows belong to this one (they close with it) and stay built once opened.
void TuningWindow::showTwoHeads() {
    if (!m_TwoHeads) {
        m_TwoHeads = new TwoHeadsWindow(m_Tuner, this);
        m_TwoHeads->setObjectName(QStringLiteral("twoHeadsWindow"));
        m_TwoHeads->setPalette(QApplication::palette());  // not this window's dark one
        connect(m_TwoHeads, &TwoHeadsWindow::referencesChanged, this,
                &TuningWindow::referencesChanged);
    }
    m_TwoHeads->show();
    m_TwoHeads->raise();
    m_TwoHeads->activateWindow();
}

void TuningWindow::showKitPlan() {
    if (!m_KitPlan) {
        m_KitPlan = new KitPlanWindow(m_Tuner, this);
        m_KitPlan->setObjectName(QStringLiteral("kitPlanWindow"));
        m_KitPlan->setPalette(QApplication::palette());
        connect(m_KitPlan, &KitPlanWindow::referencesChanged, this,
                &TuningWindow::referencesChanged);
    }
    m_KitPlan->show();
    m_KitPlan->raise();
    m_KitPlan->activateWindow();
}

void TuningWindow::showLugs() {
    const LugSession& lugs = m_Tuner.lugs();
    {
        const QSignalBlocker blockHead(m_HeadCombo);
        const QSignalBlocker blockCount(m_CountSpin);
        const QSignalBlocker blockOrder(m_OrderCombo);
        m_HeadCombo->setCurrentIndex(m_Tuner.lugTuning().head() == DrumHead::Resonant ? 1 : 0);
        m_CountSpin->setValue(lugs.count());
        m_OrderCombo->setCurrentIndex(lugs.order() == LugOrder::Clockwise ? 1 : 0);
    }
    std::vector<LugRod> rods;
    for (int lug = 1; lug <= lugs.count(); ++lug) {
        rods.push_back({lugs.readingHz(lug), lugs.cents(lug), std::abs(lugs.deviationCents(lug)),
                        lugs.action(lug), lugs.disagrees(lug)});
    }
    const HeadFit& head = lugs.head();
    LugPatternView pattern;
    pattern.shown = head.measured >= 3 && head.splitCents > 0.0;
    pattern.axisDeg = head.axisDeg;
    pattern.splitCents = head.splitCents;
    m_Diagram->setRods(std::move(rods), lugs.selected(), pattern);

    QString line;
    if (lugs.referenceHz() > 0.0) {
        line = (lugs.referenceIsTarget() ? tr("Цель %1") : tr("Среднее %1"))
                   .arg(hertz(lugs.referenceHz()));
    } else {
        line = tr("Цели нет: эталон — среднее по винтам");
    }
    if (lugs.measuredCount() >= 2) {
        line += tr(" · расщепление %1 ¢").arg(lugs.splitCents(), 0, 'f', 1);
        if (pattern.shown && head.patternCents > 0.0) {
            line += tr(" · ось %1°").arg(std::lround(head.axisDeg) % 180);
        }
        if (lugs.even()) line += tr(" · ровно");
    }
    line += tr(" · винт %1").arg(lugs.selected());
    m_HeadLine->setText(line);
    m_NoticeLine->setText(lugNoticeText(m_Tuner));
    m_TurnBar->follow();
    const std::string& previous = m_Tuner.previousLugs();
    LugSession before;
    if (!previous.empty() && before.restoreReadings(previous) && before.measuredCount() >= 2) {
        m_PreviousLine->setText(tr("Прошлый проход: разброс %1 ¢, %2 из %3 винтов")
                                    .arg(before.spreadCents(), 0, 'f', 1)
                                    .arg(before.measuredCount())
                                    .arg(before.count()));
    } else {
        m_PreviousLine->clear();
    }
    const FrequencyBand band = m_Tuner.lugs().band();
    m_Spectrum->setLugBand(band.loHz, band.hiHz, m_Tuner.lugTuning().readingHz());
}

QString TuningWindow::lugStatusText() const {
    if (!m_Tuner.lugMode() || !isVisible()) return {};
    const QString drum =
        m_Tuner.tunedDrum() >= 0
            ? toQString(drums::shownName(m_Tuner.kit().drumName(m_Tuner.tunedDrum())))
            : tr("ближайший эталон");
    const QString head = m_Tuner.lugTuning().head() == DrumHead::Resonant
                             ? tr("резонансный пластик")
                             : tr("ударный пластик");
    QString text = tr("По винтам: %1, %2").arg(drum, head);
    if (!m_Tuner.lugTuning().tapsEnabled())
        text += tr(" — пауза, пока окно «Настройка» не активно");
    return text;
}

void TuningWindow::updateTapsEnabled() {
    // Taps go to the rods only while lug mode is on screen and the window is the active one.
    const bool onScreen = isVisible() && !isMinimized() && isActiveWindow();
    if (onScreen == m_Tuner.lugTuning().tapsEnabled()) return;
    m_Tuner.lugTuning().setTapsEnabled(onScreen);
    emit tunerChanged();
}

bool TuningWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::ActivationChange:
        case QEvent::WindowStateChange:
            updateTapsEnabled();
            break;
        default:
            break;
    }
    return handled;
}

void TuningWindow::toggleFullScreen() {
    // From the state last asked, not the one read back: the window manager applies a request
    // some time later, and fast presses would otherwise toggle from a state already left.
    m_FullScreenAsked = !m_FullScreenAsked;
    setWindowState(m_FullScreenAsked ? windowState() | Qt::WindowFullScreen
                                     : windowState() & ~Qt::WindowFullScreen);
}

bool TuningWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_View && event->type() == QEvent::Resize) sizeLines();
    return QWidget::eventFilter(watched, event);
}

void TuningWindow::sizeLines() {
    // A third of the advice's size, never below the desktop's usual 13 px.
    QFont font = m_QualityLine->font();
    font.setPixelSize(std::max(13, m_View->advicePixelSize() / 3));
    if (font == m_QualityLine->font()) return;
    m_QualityLine->setFont(font);
    m_SeriesLine->setFont(font);
}

void TuningWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || m_View == nullptr) return;
    i18n::retranslate(this);
    refresh();
}

double TuningWindow::toneHz() const {
    if (m_Tuner.lugMode() && m_Tuner.lugs().referenceHz() > 0.0) {
        return m_Tuner.lugs().referenceHz();
    }
    const double targetHz = m_Tuner.tuningReading().targetHz;
    const int drum = m_Tuner.tunedDrum();
    if (targetHz > 0.0 || drum < 0 || drum >= m_Tuner.kit().count()) return targetHz;
    // Before the first strike the chosen drum's first reference (its note, else an overtone
    // target) is the target, as a strike near it would take it.
    for (int kind = 0; kind < kReferenceKindCount; ++kind) {
        const double hz = m_Tuner.kit().referenceHz(drum, kind);
        if (hz > 0.0) return hz;
    }
    return 0.0;
}

void TuningWindow::playTone() {
    if (const std::optional<UserMessage> error = m_Player.playTone(toneHz())) {
        emit soundError(*error);
    }
    refresh();
}

bool TuningWindow::exportCsv(const QString& path) {
    // Opened without blocking and kept only when it is a regular file: a named pipe would hold
    // the window until something reads it, and a device is no place for the readings. Emptied
    // only once it is known to be a file.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    const QByteArray bytes = QByteArray::fromStdString(m_Tuner.lugTuning().csv(
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString()));
    return file.write(bytes) == bytes.size() && file.flush();
}

bool TuningWindow::recalledTarget(const TuningReading& reading) const {
    const history::Snapshot* recall = m_Tuner.recall();
    if (!recall || reading.drum < 0 || reading.targetHz <= 0.0) return false;
    const history::SnapshotDrum* then = recall->drum(m_Tuner.kit().drumName(reading.drum));
    if (!then) return false;
    const auto same = [&](double hz) { return std::abs(hz - reading.targetHz) < 1e-6; };
    if (then->strike && same(then->strike->frequencyHz)) return true;
    return std::any_of(then->heads.begin(), then->heads.end(),
                       [&](const history::HeadPass& head) { return same(head.meanHz()); });
}

QString TuningWindow::exportFileName() const {
    // "lugs-12-batter.csv", "lugs-Малый-reso.csv": the drum as shown and the head, without the
    // characters some file systems refuse (the inch mark among them) or a dash doubled.
    QString drum;
    if (m_Tuner.tunedDrum() >= 0) {
        drum = toQString(drums::shownName(m_Tuner.kit().drumName(m_Tuner.tunedDrum())));
        drum.replace(QRegularExpression(QStringLiteral("[\\s\\\\/:*?\"<>|\\x00-\\x1f-]+")),
                     QStringLiteral("-"));
        drum.remove(QRegularExpression(QStringLiteral("^-+|-+$")));
    }
    if (drum.isEmpty()) drum = QStringLiteral("any");
    return QStringLiteral("lugs-%1-%2.csv")
        .arg(drum, QString::fromLatin1(lugs::headCode(m_Tuner.lugTuning().head())));
}

void TuningWindow::chooseExportFile() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Экспорт замеров по винтам"),
                                                      exportFileName(), tr("CSV - файлы (*.csv)"));
    if (path.isEmpty()) return;
    if (!exportCsv(path)) {
        showUserMessage(this, UserMessage{toUtf8(tr("Не удалось записать файл %1").arg(path)),
                                          kProgramCaption, UserMessage::Severity::Warning});
    }
}

}  // namespace tomaro
