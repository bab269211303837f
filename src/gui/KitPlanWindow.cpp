#include "gui/KitPlanWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "history/HistoryStore.h"
#include "kit/DrumTypes.h"
#include "kit/Notes.h"
#include "kit/ShellSizes.h"
#include "language/TranslatedText.h"
#include "tuning/KitOverview.h"
#include "tuning/ReadoutText.h"
#include "tuning/Tuner.h"
#include "widgets/QtText.h"
#include "widgets/TuningViews.h"

namespace tomaro {

namespace {

QString hertz(double hz) { return toQString(readout::numberText(hz)) + KitPlanWindow::tr(" Гц"); }

QString signedCents(double cents) {
    const long rounded = std::lround(cents);
    return (rounded > 0 ? QStringLiteral("+") : QString()) + QString::number(rounded) +
           QStringLiteral(" ¢");
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// A note as the references table names it, with its scientific name beside it.
QString noteName(int note, bool latin) {
    return toQString(notes::name(note, latin)) + QStringLiteral(" (") +
           toQString(kitplan::scientificName(note)) + QStringLiteral(")");
}

}  // namespace

KitPlanWindow::KitPlanWindow(Tuner& tuner, QWidget* parent)
    : QWidget(parent, Qt::Window), m_Tuner(tuner) {
    i18n::setWindowTitle(this, this, QT_TR_NOOP("Интервалы и план"));
    auto* layout = new QVBoxLayout(this);

    auto* kitBox = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("Установка"));
    auto* kitLayout = new QVBoxLayout(kitBox);
    m_KitTable = new QTableWidget(0, 5, kitBox);
    m_KitTable->setObjectName(QStringLiteral("planKitTable"));
    m_KitTable->verticalHeader()->hide();
    m_KitTable->horizontalHeader()->setStretchLastSection(true);
    kitLayout->addWidget(m_KitTable);
    layout->addWidget(kitBox, 1);

    auto* planBox = i18n::withText(new QGroupBox(this), this, QT_TR_NOOP("План"));
    auto* planLayout = new QVBoxLayout(planBox);
    auto* row = new QHBoxLayout;
    row->addWidget(i18n::label(planBox, this, QT_TR_NOOP("Схема:")));
    m_SchemeCombo = new QComboBox(planBox);
    m_SchemeCombo->setObjectName(QStringLiteral("planSchemeCombo"));
    i18n::setItems(m_SchemeCombo, this,
                   {QT_TR_NOOP("кварты"), QT_TR_NOOP("большие терции"), QT_TR_NOOP("малые терции"),
                    QT_TR_NOOP("свои шаги")});
    row->addWidget(m_SchemeCombo);
    m_StepsEdit = new QLineEdit(QStringLiteral("5,4"), planBox);
    m_StepsEdit->setObjectName(QStringLiteral("planStepsEdit"));
    i18n::setToolTip(m_StepsEdit, this,
                     QT_TR_NOOP("Шаги в полутонах через запятую; последний повторяется"));
    m_StepsEdit->setMaximumWidth(100);
    row->addWidget(m_StepsEdit);
    row->addSpacing(12);
    row->addWidget(i18n::label(planBox, this, QT_TR_NOOP("От ноты:")));
    m_StartEdit = new QLineEdit(QStringLiteral("A2"), planBox);
    m_StartEdit->setObjectName(QStringLiteral("planStartEdit"));
    i18n::setToolTip(m_StartEdit, this, QT_TR_NOOP("Нота (A2, C#3) или частота в Гц"));
    m_StartEdit->setMaximumWidth(90);
    row->addWidget(m_StartEdit);
    m_FromTopBox = i18n::withText(new QCheckBox(planBox), this, QT_TR_NOOP("от верхнего тома"));
    m_FromTopBox->setObjectName(QStringLiteral("planFromTopBox"));
    row->addWidget(m_FromTopBox);
    m_SnareBox = i18n::withText(new QCheckBox(planBox), this, QT_TR_NOOP("с малым"));
    m_SnareBox->setObjectName(QStringLiteral("planSnareBox"));
    row->addWidget(m_SnareBox);
    m_KickBox = i18n::withText(new QCheckBox(planBox), this, QT_TR_NOOP("с бочкой"));
    m_KickBox->setObjectName(QStringLiteral("planKickBox"));
    row->addWidget(m_KickBox);
    row->addStretch(1);
    planLayout->addLayout(row);
    auto* sizeRow = new QHBoxLayout;
    const drumsizes::ShellSizes sizes = drumsizes::ShellSizes::load(m_Tuner.profile());
    const auto sizeBox = [&](const char* label, const char* name, int lo, int hi, int value) {
        sizeRow->addWidget(i18n::label(planBox, this, label));
        auto* box = new QSpinBox(planBox);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(lo - 1, hi);
        box->setSpecialValueText(QStringLiteral("—"));
        box->setSuffix(QStringLiteral("\""));
        box->setValue(value > 0 ? value : lo - 1);
        sizeRow->addWidget(box);
        return box;
    };
    m_SnareSize =
        sizeBox(QT_TR_NOOP("Размер малого:"), "planSnareSize", drumsizes::ShellSizes::kSnareMin,
                drumsizes::ShellSizes::kSnareMax, sizes.snareInch);
    sizeRow->addSpacing(12);
    m_KickSize =
        sizeBox(QT_TR_NOOP("Размер бочки:"), "planKickSize", drumsizes::ShellSizes::kKickMin,
                drumsizes::ShellSizes::kKickMax, sizes.kickInch);
    sizeRow->addStretch(1);
    planLayout->addLayout(sizeRow);
    m_PlanTable = new QTableWidget(0, 4, planBox);
    m_PlanTable->setObjectName(QStringLiteral("planTable"));
    m_PlanTable->verticalHeader()->hide();
    m_PlanTable->horizontalHeader()->setStretchLastSection(true);
    planLayout->addWidget(m_PlanTable);
    m_PlanLine = new QLabel(planBox);
    m_PlanLine->setObjectName(QStringLiteral("planLine"));
    m_PlanLine->setWordWrap(true);
    planLayout->addWidget(m_PlanLine);
    auto* buttons = new QHBoxLayout;
    m_WriteButton =
        i18n::withText(new QPushButton(planBox), this, QT_TR_NOOP("Записать в эталоны"));
    m_WriteButton->setObjectName(QStringLiteral("planWriteButton"));
    m_UndoButton = i18n::withText(new QPushButton(planBox), this, QT_TR_NOOP("Отменить запись"));
    m_UndoButton->setObjectName(QStringLiteral("planUndoButton"));
    m_UndoButton->setEnabled(false);
    buttons->addWidget(m_WriteButton);
    buttons->addWidget(m_UndoButton);
    buttons->addStretch(1);
    planLayout->addLayout(buttons);
    layout->addWidget(planBox, 1);

    connect(m_SchemeCombo, &QComboBox::currentIndexChanged, this, &KitPlanWindow::showPlan);
    connect(m_StepsEdit, &QLineEdit::textChanged, this, &KitPlanWindow::showPlan);
    connect(m_StartEdit, &QLineEdit::textChanged, this, &KitPlanWindow::showPlan);
    for (QCheckBox* box : {m_FromTopBox, m_SnareBox, m_KickBox}) {
        connect(box, &QCheckBox::toggled, this, &KitPlanWindow::showPlan);
    }
    for (QSpinBox* box : {m_SnareSize, m_KickSize}) {
        connect(box, &QSpinBox::valueChanged, this, [this] {
            storeSizes();
            refresh();
        });
    }
    connect(m_WriteButton, &QPushButton::clicked, this, [this] { writePlan(); });
    connect(m_UndoButton, &QPushButton::clicked, this, [this] { undoPlan(); });
    resize(760, 640);
    refresh();
}

void KitPlanWindow::refresh() {
    // Another kit chosen since the plan was written: its notes are no longer the ones replaced.
    if (!m_NotesBefore.empty() && static_cast<int>(m_NotesBefore.size()) != m_Tuner.kit().count()) {
        m_NotesBefore.clear();
    }
    m_UndoButton->setEnabled(!m_NotesBefore.empty());
    showKit();
    showPlan();
}

void KitPlanWindow::showKit() {
    m_KitTable->setHorizontalHeaderLabels({tr("Барабан"), tr("Основной тон"), tr("Эталон"),
                                           tr("Интервал к соседу: измерен / по плану"),
                                           tr("Отклонение")});
    const Kit& kit = m_Tuner.kit();
    history::Snapshot state;
    const history::HistoryStore* store = m_Tuner.historyStore();
    if (store != nullptr && store->isOpen()) state = store->currentState();
    const std::vector<overview::KitRow> rows = overview::kitRows(kit, state);
    const double tolerance = m_Tuner.toleranceCents();
    m_KitTable->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const overview::KitRow& row = rows[i];
        m_KitTable->setItem(i, 0, cell(drumLabel(row.position)));
        m_KitTable->setItem(
            i, 1, cell(row.fundamentalHz > 0.0 ? hertz(row.fundamentalHz) : tr("нет удара")));
        m_KitTable->setItem(i, 2, cell(noteName(row.note, kit.latinNames())));
        QString interval;
        QString deviation;
        TuneAdvice advice = TuneAdvice::None;
        if (row.hasNeighbour) {
            const QString planned =
                toQString(kitplan::semitonesText(row.plannedSemitones)) + QStringLiteral(" (") +
                toQString(kitplan::intervalNameText(row.plannedSemitones)) + QStringLiteral(")");
            interval =
                (row.measured.valid ? toQString(kitplan::intervalText(row.measured)) : tr("—")) +
                QStringLiteral(" / ") + planned;
            if (row.measured.valid) {
                deviation = signedCents(row.deviationCents);
                // Narrower than planned: the smaller drum is to come up (as a flat reading).
                advice = std::abs(row.deviationCents) <= tolerance ? TuneAdvice::Ok
                         : row.deviationCents < 0.0                ? TuneAdvice::Tighten
                                                                   : TuneAdvice::Loosen;
            }
        }
        m_KitTable->setItem(i, 3, cell(interval));
        auto* deviationItem = cell(deviation);
        if (advice != TuneAdvice::None) deviationItem->setForeground(adviceColor(advice));
        m_KitTable->setItem(i, 4, deviationItem);
    }
    m_KitTable->resizeColumnsToContents();
}

bool KitPlanWindow::currentPlan(kitplan::KitPlan& plan) const {
    kitplan::PlanRequest request;
    const std::optional<int> start = kitplan::parseNote(toUtf8(m_StartEdit->text()));
    if (!start) return false;
    request.startNote = *start;
    request.fromTop = m_FromTopBox->isChecked();
    request.includeSnare = m_SnareBox->isChecked();
    request.includeKick = m_KickBox->isChecked();
    request.sizes = drumsizes::ShellSizes::load(m_Tuner.profile());
    switch (m_SchemeCombo->currentIndex()) {
        case 1:
            request.scheme = kitplan::Scheme::MajorThirds;
            break;
        case 2:
            request.scheme = kitplan::Scheme::MinorThirds;
            break;
        case 3: {
            kitplan::Scheme scheme{};
            if (!kitplan::parseScheme(toUtf8(m_StepsEdit->text().remove(QLatin1Char(' '))), scheme,
                                      request.customSteps) ||
                scheme != kitplan::Scheme::Custom) {
                return false;
            }
            request.scheme = scheme;
            break;
        }
        default:
            request.scheme = kitplan::Scheme::Fourths;
            break;
    }
    plan = kitplan::planKit(m_Tuner.kit(), request);
    return true;
}

void KitPlanWindow::showPlan() {
    m_StepsEdit->setEnabled(m_SchemeCombo->currentIndex() == 3);
    m_PlanTable->setHorizontalHeaderLabels(
        {tr("Барабан"), tr("Нота"), tr("Частота"), tr("Обычный диапазон")});
    kitplan::KitPlan plan;
    if (!currentPlan(plan)) {
        m_PlanTable->setRowCount(0);
        m_PlanLine->setText(m_SchemeCombo->currentIndex() == 3
                                ? tr("Шаги: целые числа полутонов 1..24 через запятую, "
                                     "и нота как A2, C#3 или частота в Гц")
                                : tr("Нота: как A2, C#3 или частота в Гц"));
        m_WriteButton->setEnabled(false);
        return;
    }
    const Kit& kit = m_Tuner.kit();
    m_PlanTable->setRowCount(static_cast<int>(plan.drums.size()));
    for (int i = 0; i < static_cast<int>(plan.drums.size()); ++i) {
        const kitplan::PlannedDrum& drum = plan.drums[i];
        m_PlanTable->setItem(i, 0, cell(drumLabel(drum.position)));
        auto* note = cell(noteName(drum.note, kit.latinNames()) +
                          (drum.beyondNotes ? tr(" — по схеме нота вне возможных для барабана")
                           : drum.changed ? QString()
                                          : tr(" — без изменений")));
        if (drum.beyondNotes) note->setForeground(adviceColor(TuneAdvice::Tighten));
        m_PlanTable->setItem(i, 1, note);
        m_PlanTable->setItem(i, 2, cell(hertz(drum.frequencyHz)));
        auto* range = cell(tr("%1–%2 Гц%3")
                               .arg(drum.range.loHz, 0, 'f', 0)
                               .arg(drum.range.hiHz, 0, 'f', 0)
                               .arg(drum.inRange ? QString() : tr(" — вне диапазона")));
        if (!drum.inRange) range->setForeground(adviceColor(TuneAdvice::Tighten));
        m_PlanTable->setItem(i, 3, range);
    }
    m_PlanTable->resizeColumnsToContents();
    if (plan.leavesNotes()) {
        // Never written: the drums it cannot place would keep their notes, and two drums could
        // end on one note. The reason is said instead of a silent grey button.
        QStringList beyond;
        for (const kitplan::PlannedDrum& drum : plan.drums) {
            if (drum.beyondNotes)
                beyond << toQString(drums::shownName(kit.drumName(drum.position)));
        }
        m_PlanLine->setText(tr("План не записывается: от этой ноты схема уводит %1 за пределы "
                               "нот, которые может иметь барабан (%2–%3). Выберите другую "
                               "начальную ноту.")
                                .arg(beyond.join(QStringLiteral(", ")),
                                     toQString(kitplan::scientificName(notes::kMinNote)),
                                     toQString(kitplan::scientificName(notes::kMaxNote))));
    } else {
        m_PlanLine->setText(plan.anyOutOfRange()
                                ? tr("Внимание: есть ноты вне обычного диапазона своего размера")
                                : tr("Все ноты в обычном диапазоне своих размеров"));
    }
    m_WriteButton->setEnabled(!plan.leavesNotes());
}

QString KitPlanWindow::drumLabel(int position) const {
    const Kit& kit = m_Tuner.kit();
    const QString name = toQString(drums::shownName(kit.drumName(position)));
    const int type = kit.drum(position).type;
    const QSpinBox* size = type == drums::kSnare  ? m_SnareSize
                           : type == drums::kKick ? m_KickSize
                                                  : nullptr;
    if (!size || size->value() == size->minimum()) return name;
    return name + QStringLiteral(" %1\"").arg(size->value());
}

void KitPlanWindow::storeSizes() {
    drumsizes::ShellSizes sizes;
    sizes.snareInch = m_SnareSize->value();
    sizes.kickInch = m_KickSize->value();
    sizes.save(m_Tuner.profile());
}

void KitPlanWindow::storeKit() {
    m_Tuner.kit().save(m_Tuner.profile());
    m_Tuner.kitChanged();
    emit referencesChanged();
    refresh();
}

bool KitPlanWindow::writePlan() {
    kitplan::KitPlan plan;
    if (!currentPlan(plan) || plan.leavesNotes()) return false;
    m_NotesBefore = kitplan::applyPlan(m_Tuner.kit(), plan);
    m_UndoButton->setEnabled(true);
    storeKit();
    return true;
}

bool KitPlanWindow::undoPlan() {
    if (m_NotesBefore.empty()) return false;
    kitplan::restoreNotes(m_Tuner.kit(), m_NotesBefore);
    m_NotesBefore.clear();
    m_UndoButton->setEnabled(false);
    storeKit();
    return true;
}

void KitPlanWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

void KitPlanWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        i18n::retranslate(this);
        refresh();
    }
    QWidget::changeEvent(event);
}

}  // namespace tomaro
