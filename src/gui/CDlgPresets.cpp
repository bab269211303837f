#include "gui/CDlgPresets.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>

#include "gui/DrumRows.h"
#include "gui/PresetsColumn.h"
#include "kit/Kit.h"
#include "kit/Notes.h"
#include "settings/Profile.h"
#include "widgets/QtText.h"
#include "widgets/RowsScrollArea.h"
#include "widgets/StepSpin.h"

namespace tomaro {
namespace {

using namespace presets;

constexpr int kWindowFrameAllowance = 60;  // px the title bar and frame take from the screen
constexpr int kMinimumVisibleRows = 3;

constexpr const char* kKitSelectionTip = QT_TRANSLATE_NOOP(
    "tomaro::CDlgPresets", "Указать, какие барабаны присутствуют в ударной установке");
constexpr const char* kSingleReferenceTip =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets", "Вы можете указать произвольную эталонную частоту");

constexpr const char* kSaveTitle =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets", "Выбирите файл для сохранения настроек барабанов");
constexpr const char* kLoadTitle =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets", "Выбирите файл c настройками барабаной установки");
// The name the save dialog offers before the user saved a kit; stored only once chosen.
constexpr const char* kDefaultKitFileName =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets", "Мои барабаны Tomaro.TKit");

// The widest of the texts a label column can show, so that columns do not jump while editing.
template <typename TextOf>
int widestText(const QFontMetrics& metrics, int first, int last, TextOf textOf) {
    int widest = 0;
    for (int value = first; value <= last; ++value) {
        widest = std::max(widest, metrics.horizontalAdvance(toQString(textOf(value))));
    }
    return widest;
}

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

CDlgPresets::CDlgPresets(Kit& kit, Profile& profile, std::function<void()> kitChanged,
                         QWidget* parent, KitDialogServices services)
    : QDialog(parent),
      m_Editor(kit, profile),
      m_Profile(profile),
      m_Services(services.withStandardWindows()) {
    m_Editor.setChangeObserver(std::move(kitChanged));
    setWindowTitle(tr("Tomaro эталонные частоты для настройки"));

    m_RowsArea = new RowsScrollArea(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createHeader());
    layout->addSpacing(2);
    layout->addWidget(m_RowsArea, 1);
    layout->addSpacing(6);
    layout->addWidget(createOptions());
    layout->addSpacing(6);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(createKitButtons());
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    buildRows();
}

CDlgPresets::~CDlgPresets() = default;

QWidget* CDlgPresets::createHeader() {
    auto* header = new QWidget(this);
    m_HeaderGrid = new QGridLayout(header);
    m_HeaderGrid->setContentsMargins(0, 0, 0, 0);
    m_HeaderGrid->setSpacing(0);
    auto heading = [&](const QString& text, int column, int span = 1) {
        auto* label = new QLabel(text, header);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        m_HeaderGrid->addWidget(label, 0, column, 1, span);
        return label;
    };
    heading(tr("Опорный\nбарабан"), kDrumColumn)->setToolTip(tr(DrumRows::kReferenceTip));
    heading(tr("Нота"), kNoteColumn, kNoteSpinColumn - kNoteColumn + 1);
    heading(tr("Частота,\nГц"), kFrequencyColumn)->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    m_IntervalHeading = heading(QString(), kIntervalColumn);
    m_IntervalHeading->setObjectName(QStringLiteral("intervalHeading"));
    m_IntervalHeading->setToolTip(tr(DrumRows::kIntervalTip));
    QLabel* shown = heading(tr("На\nспектре"), kShownColumn);
    shown->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    shown->setToolTip(tr(DrumRows::kShownTip));
    heading(tr("Обертон\nударного пластика"), kOvertone1Column)
        ->setToolTip(tr(DrumRows::kOvertone1Tip));
    heading(tr("Обертон\nрезонансного пластика"), kOvertone2Column)
        ->setToolTip(tr(DrumRows::kOvertone2Tip));
    return header;
}

QWidget* CDlgPresets::createOptions() {
    auto* options = new QWidget(this);
    auto* grid = new QGridLayout(options);
    grid->setContentsMargins(0, 0, 0, 0);

    m_LatinNames = new QCheckBox(tr("Латинские обозначения нот и октав"), options);
    m_LatinNames->setObjectName(QStringLiteral("latinNamesBox"));
    connect(m_LatinNames, &QCheckBox::toggled, this, [this](bool latin) {
        m_Editor.setLatinNames(latin);
        refresh();
    });

    m_IntervalsFromPrevious = new QCheckBox(
        tr("Показывать интервалы между соседними барабанами (иначе от опорного)"), options);
    m_IntervalsFromPrevious->setObjectName(QStringLiteral("intervalsFromPreviousBox"));
    connect(m_IntervalsFromPrevious, &QCheckBox::toggled, this, [this](bool fromPrevious) {
        m_Editor.setIntervalsFromPrevious(fromPrevious);
        refresh();
    });

    const Kit& kit = m_Editor.kit();
    m_SingleReferenceBox = new QCheckBox(tr("Задать эталонную частоту, Гц"), options);
    m_SingleReferenceBox->setObjectName(QStringLiteral("singleReferenceBox"));
    m_SingleReferenceBox->setToolTip(tr(kSingleReferenceTip));
    m_SingleReferenceBox->setChecked(kit.singleReferenceHz() > 0.0);
    m_SingleReferenceEdit = new QLineEdit(toQString(kit.singleReferenceText()), options);
    m_SingleReferenceEdit->setObjectName(QStringLiteral("singleReferenceEdit"));
    m_SingleReferenceEdit->setToolTip(tr(kSingleReferenceTip));
    m_SingleReferenceEdit->setFixedWidth(
        m_SingleReferenceEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000.0000")) + 12);
    m_SingleReferenceSpin = new StepSpin(options);
    m_SingleReferenceSpin->setObjectName(QStringLiteral("singleReferenceSpin"));
    m_SingleReferenceSpin->setToolTip(tr(DrumRows::kSemitoneTip));
    connect(m_SingleReferenceSpin, &StepSpin::stepped, this, &CDlgPresets::stepSingleReference);
    auto enableSingleReference = [this](bool enabled) {
        m_SingleReferenceEdit->setEnabled(enabled);
        m_SingleReferenceSpin->setEnabled(enabled);
    };
    connect(m_SingleReferenceBox, &QCheckBox::toggled, this, enableSingleReference);
    enableSingleReference(m_SingleReferenceBox->isChecked());

    auto* single = new QHBoxLayout;
    single->setSpacing(4);
    single->addWidget(m_SingleReferenceBox);
    single->addSpacing(4);
    single->addWidget(m_SingleReferenceEdit);
    single->addWidget(m_SingleReferenceSpin);
    single->addStretch(1);

    grid->setVerticalSpacing(4);
    grid->addWidget(m_LatinNames, 0, 0);
    grid->addWidget(m_IntervalsFromPrevious, 1, 0);
    grid->addLayout(single, 2, 0);
    grid->setColumnStretch(1, 1);
    return options;
}

QWidget* CDlgPresets::createKitButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [&](const QString& text, const char* name, void (CDlgPresets::*action)()) {
        auto* pushButton = new QPushButton(text, box);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setAutoDefault(false);
        connect(pushButton, &QPushButton::clicked, this, action);
        row->addWidget(pushButton);
        return pushButton;
    };
    button(tr("Выбор барабанов в установке..."), "kitSelectionButton", &CDlgPresets::selectKit)
        ->setToolTip(tr(kKitSelectionTip));
    row->addSpacing(12);
    button(tr("Сохранить настройки..."), "saveKitButton", &CDlgPresets::saveKitFile);
    button(tr("Загрузить настройки..."), "loadKitButton", &CDlgPresets::loadKitFile);
    return box;
}

void CDlgPresets::buildRows() {
    m_Rows = new DrumRows(m_Editor);
    connect(m_Rows, &DrumRows::edited, this, &CDlgPresets::refresh);
    connect(m_Rows, &DrumRows::overtoneMenuRequested, this, &CDlgPresets::popUpOvertoneMenu);
    m_RowsArea->setWidget(m_Rows);  // deletes the rows of an earlier kit

    alignColumns();
    orderTabs();
    refresh();
    fitToScreen();
}

void CDlgPresets::alignColumns() {
    // Each column is as wide as the widest thing it may ever hold, in the rows or the heading;
    // both grids get the same widths.
    std::array<int, kColumnCount> widths{};
    for (int column = 0; column < kColumnCount; ++column) widths[column] = gapWidth(column);
    auto widen = [&](int column, int width) { widths[column] = std::max(widths[column], width); };
    auto hintWidth = [](const QWidget* widget) {
        return widget->sizeHint().expandedTo(widget->minimumSize()).width();
    };

    const QFontMetrics metrics = fontMetrics();
    QFont bold = font();
    bold.setBold(true);
    m_Rows->widenColumns(widths, bold);
    for (bool latin : {false, true}) {
        widen(kNoteColumn, widestText(metrics, notes::kMinNote, notes::kMaxNote,
                                      [latin](int note) { return notes::name(note, latin); }));
    }
    widen(kFrequencyColumn,
          widestText(metrics, notes::kMinNote, notes::kMaxNote, &notes::frequencyText));
    widen(kIntervalColumn, widestText(metrics, -24, 24, &notes::intervalText));

    for (int index = 0; index < m_HeaderGrid->count(); ++index) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        m_HeaderGrid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QWidget* heading = m_HeaderGrid->itemAt(index)->widget();
        if (columnSpan == 1 && heading != nullptr) widen(column, hintWidth(heading));
    }
    // The interval heading changes with the interval option; keep room for both texts.
    for (const char* text : {"Полутонов от предыдущего", "Полутонов от опорного",
                             "Semitones from the previous", "Semitones from the base"}) {
        widen(kIntervalColumn, metrics.horizontalAdvance(QString::fromUtf8(text)));
    }

    for (QGridLayout* grid : {m_HeaderGrid, m_Rows->grid()}) {
        for (int column = 0; column < kColumnCount; ++column) {
            grid->setColumnMinimumWidth(column, widths[column]);
            grid->setColumnStretch(column, column == kFill ? 1 : 0);
        }
    }
}

void CDlgPresets::orderTabs() {
    // Rows are rebuilt after the rest of the dialog; Tab still goes through them first, row by
    // row from left to right, then to the options and the buttons.
    QList<QWidget*> chain = m_Rows->tabChain();
    chain << m_LatinNames << m_IntervalsFromPrevious << m_SingleReferenceBox
          << m_SingleReferenceEdit << m_SingleReferenceSpin;
    for (const char* name : {"kitSelectionButton", "saveKitButton", "loadKitButton"}) {
        chain << findChild<QPushButton*>(QString::fromLatin1(name));
    }
    for (QAbstractButton* button :
         findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->buttons()) {
        chain << button;
    }
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void CDlgPresets::fitToScreen() {
    const QScreen* screen = this->screen();
    int available = screen != nullptr ? screen->availableGeometry().height() : 768;
    m_RowsArea->setVisibleHeightLimit(std::numeric_limits<int>::max() / 2);
    layout()->invalidate();
    int others = layout()->sizeHint().height() - m_RowsArea->sizeHint().height();
    int rowHeight = m_Rows->rowCount() == 0 ? 0 : m_Rows->sizeHint().height() / m_Rows->rowCount();
    int limit =
        std::max(available - kWindowFrameAllowance - others, kMinimumVisibleRows * rowHeight);
    m_RowsArea->setVisibleHeightLimit(limit);
    layout()->invalidate();
    // An explicit size: left alone, a dialog is shown at most two thirds of the screen high.
    resize(sizeHint());
}

void CDlgPresets::refresh() {
    const Kit& kit = m_Editor.kit();
    m_Rows->refresh(palette());
    m_IntervalHeading->setText(toQString(m_Editor.intervalHeading()));
    QSignalBlocker blockLatin(m_LatinNames);
    QSignalBlocker blockIntervals(m_IntervalsFromPrevious);
    m_LatinNames->setChecked(kit.latinNames());
    m_IntervalsFromPrevious->setChecked(kit.intervalsFromPrevious());
}

std::unique_ptr<QMenu> CDlgPresets::createOvertoneMenu(int row) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("overtoneMenu_") + QString::number(row));
    for (const OvertoneMenuItem& item : m_Editor.overtoneMenu(row)) {
        QAction* action = menu->addAction(toQString(item.text));
        connect(action, &QAction::triggered, this, [this, row, item] {
            m_Editor.chooseOvertoneMenuItem(row, item);
            refresh();
        });
    }
    return menu;
}

void CDlgPresets::popUpOvertoneMenu(int row) {
    QToolButton* button = m_Rows->menuButton(row);
    if (button == nullptr) return;
    std::unique_ptr<QMenu> menu = createOvertoneMenu(row);
    menu->exec(button->mapToGlobal(QPoint(button->width() / 2, 0)));
}

void CDlgPresets::stepSingleReference(int steps) {
    auto text = KitEditor::stepSingleReferenceText(toUtf8(m_SingleReferenceEdit->text()), steps);
    if (text) m_SingleReferenceEdit->setText(toQString(*text));
}

void CDlgPresets::accept() {
    m_Editor.acceptSingleReference(m_SingleReferenceBox->isChecked(),
                                   toUtf8(m_SingleReferenceEdit->text()));
    QDialog::accept();
}

void CDlgPresets::selectKit() {
    if (!m_Services.selectKit(this, m_Profile)) return;
    m_Editor.reload();
    buildRows();
}

FileChoice CDlgPresets::kitFileChoice(const QString& title) const {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString defaultFolder =
        !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
    QString folder =
        toQString(m_Profile.readString(Kit::kSection, kKitFileFolderKey, toUtf8(defaultFolder)));
    QString name = toQString(
        m_Profile.readString(Kit::kSection, kKitFileNameKey, toUtf8(tr(kDefaultKitFileName))));
    return {title,
            QDir(folder).filePath(name),
            {tr("Tomaro - файлы (*.TKit)"), tr("Все файлы (*.*)")},
            QStringLiteral("TKit")};
}

void CDlgPresets::rememberKitFile(const QString& path) {
    QFileInfo file(path);
    m_Profile.writeString(Kit::kSection, kKitFileFolderKey,
                          toUtf8(QDir::toNativeSeparators(file.absolutePath())));
    m_Profile.writeString(Kit::kSection, kKitFileNameKey, toUtf8(file.fileName()));
}

void CDlgPresets::saveKitFile() {
    QString path = m_Services.chooseFileToSave(this, kitFileChoice(tr(kSaveTitle)));
    if (path.isEmpty()) return;
    rememberKitFile(path);
    if (auto message = m_Editor.saveKitFile(toPath(path))) m_Services.showMessage(this, *message);
}

void CDlgPresets::loadKitFile() {
    QString path = m_Services.chooseFileToOpen(this, kitFileChoice(tr(kLoadTitle)));
    if (path.isEmpty()) return;
    rememberKitFile(path);
    if (auto message = m_Editor.loadKitFile(toPath(path))) {
        m_Services.showMessage(this, *message);
        return;
    }
    buildRows();
}

}  // namespace tomaro
