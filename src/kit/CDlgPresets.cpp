#include "kit/CDlgPresets.h"

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
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>

#include "kit/DrumTypes.h"
#include "kit/Kit.h"
#include "kit/Notes.h"
#include "kit/QtText.h"
#include "kit/StepSpin.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

// Grid columns shared by the heading strip and the rows, so that both line up. Gaps are columns
// of their own (the grids have no spacing), so each gap can have its own width and the row
// backgrounds run unbroken from edge to edge; kFill takes any spare width.
enum Column {
    kPadLeft,
    kDrumColumn,
    kGapBeforeNote,
    kNoteColumn,
    kGapBeforeNoteSpin,
    kNoteSpinColumn,
    kGapBeforeFrequency,
    kFrequencyColumn,
    kGapBeforeInterval,
    kIntervalColumn,
    kGapBeforeShown,
    kShownColumn,
    kGapBeforeOvertone1,
    kOvertone1Column,
    kGapBeforeOvertone2,
    kOvertone2Column,
    kGapBeforeMenu,
    kMenuColumn,
    kPadRight,
    kFill,
    kColumnCount
};

// Width in px of a padding or gap column; 0 for the columns that hold controls.
int gapWidth(int column) {
    switch (column) {
        case kPadLeft:
        case kPadRight:
            return 8;
        case kGapBeforeNoteSpin:
            return 4;
        case kGapBeforeOvertone2:
        case kGapBeforeMenu:
            return 6;
        case kGapBeforeNote:
        case kGapBeforeFrequency:
        case kGapBeforeInterval:
        case kGapBeforeShown:
        case kGapBeforeOvertone1:
            return 14;
        default:
            return 0;
    }
}

constexpr int kRowPadding = 6;             // px added to the tallest control of a row
constexpr int kWindowFrameAllowance = 60;  // px the title bar and frame take from the screen
constexpr int kMinimumVisibleRows = 3;

constexpr const char* kReferenceTip = QT_TRANSLATE_NOOP(
    "tomaro::CDlgPresets",
    "Выбор опорного барабана, при изменении частоты которого автоматически изменяются частоты "
    "остальных с сохранением интервалов. Также можно смотреть интервалы от каждого барабана до "
    "опорного");
constexpr const char* kIntervalTip =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets",
                      "Интервал в полутонах: либо от 'опорного' барабана, либо от предыдущего");
constexpr const char* kShownTip = QT_TRANSLATE_NOOP(
    "tomaro::CDlgPresets",
    "Отображать данный барабан на спектре и использовать его для поиска опорной частоты (как "
    "ближайшей из выбранных к измеренной)");
constexpr const char* kOvertone1Tip = QT_TRANSLATE_NOOP(
    "tomaro::CDlgPresets",
    "Коэффициент для перехода от основной частоты к частоте обертона ударного (top) пластика "
    "(0.5..10), либо соответствующая частота в Гц (20..20000)");
constexpr const char* kOvertone2Tip = QT_TRANSLATE_NOOP(
    "tomaro::CDlgPresets",
    "Коэффициент для перехода от основной частоты к частоте обертона резонансного (bottom) "
    "пластика (0.5..10), либо соответствующая частота в Гц (20..20000)");
constexpr const char* kMenuTip =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets",
                      "Выбор вариантов частот обертонов для различных типов настройки барабана");
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

QString rowName(const char* stem, int row) {
    return QString::fromLatin1(stem) + QLatin1Char('_') + QString::number(row);
}

// The widest of the texts a label column can show, so that columns do not jump while editing.
template <typename TextOf>
int widestText(const QFontMetrics& metrics, int first, int last, TextOf textOf) {
    int widest = 0;
    for (int value = first; value <= last; ++value) {
        widest = std::max(widest, metrics.horizontalAdvance(toQString(textOf(value))));
    }
    return widest;
}

QColor mixed(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - share) + b.redF() * share),
                            static_cast<float>(a.greenF() * (1 - share) + b.greenF() * share),
                            static_cast<float>(a.blueF() * (1 - share) + b.blueF() * share));
}

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

// The scroll area of the rows: as tall as the rows while they fit the limit, scrolling beyond.
class RowsScrollArea : public QScrollArea {
public:
    explicit RowsScrollArea(QWidget* parent) : QScrollArea(parent) {
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::StyledPanel);
    }

    void setVisibleHeightLimit(int limit) {
        m_Limit = limit;
        updateGeometry();
    }

    QSize sizeHint() const override {
        if (widget() == nullptr) return QScrollArea::sizeHint();
        QSize rows = widget()->sizeHint();
        int frame = 2 * frameWidth();
        int width = rows.width() + frame;
        if (rows.height() > m_Limit) width += verticalScrollBar()->sizeHint().width();
        return {width, std::min(rows.height(), m_Limit) + frame};
    }
    QSize minimumSizeHint() const override {
        QSize hint = sizeHint();
        return {hint.width(), std::min(hint.height(), 80)};
    }

private:
    int m_Limit = std::numeric_limits<int>::max() / 2;
};

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
    heading(tr("Опорный\nбарабан"), kDrumColumn)->setToolTip(tr(kReferenceTip));
    heading(tr("Нота"), kNoteColumn, kNoteSpinColumn - kNoteColumn + 1);
    heading(tr("Частота,\nГц"), kFrequencyColumn)->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    m_IntervalHeading = heading(QString(), kIntervalColumn);
    m_IntervalHeading->setObjectName(QStringLiteral("intervalHeading"));
    m_IntervalHeading->setToolTip(tr(kIntervalTip));
    QLabel* shown = heading(tr("На\nспектре"), kShownColumn);
    shown->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    shown->setToolTip(tr(kShownTip));
    heading(tr("Обертон\nударного пластика"), kOvertone1Column)->setToolTip(tr(kOvertone1Tip));
    heading(tr("Обертон\nрезонансного пластика"), kOvertone2Column)->setToolTip(tr(kOvertone2Tip));
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
    m_SingleReferenceSpin->setToolTip(tr("± полутон"));
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
    m_Rows.clear();
    auto* body = new QWidget;
    body->setObjectName(QStringLiteral("rows"));
    body->setBackgroundRole(QPalette::Base);
    body->setAutoFillBackground(true);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    for (int row = 0; row < m_Editor.rowCount(); ++row) addRow(grid, row);
    grid->setRowStretch(m_Editor.rowCount(), 1);
    m_RowsArea->setWidget(body);  // deletes the rows of an earlier kit

    alignColumns(grid);
    orderTabs();
    refresh();
    fitToScreen();
}

void CDlgPresets::addRow(QGridLayout* grid, int row) {
    QWidget* body = grid->parentWidget();
    Row controls;

    // Created first, so the row's controls lie above it.
    controls.background = new QWidget(body);
    controls.background->setBackgroundRole(QPalette::Window);
    controls.background->setAutoFillBackground(true);
    grid->addWidget(controls.background, row, 0, 1, kColumnCount);

    controls.reference =
        new QRadioButton(toQString(drums::shownName(m_Editor.kit().drumName(row))), body);
    controls.reference->setObjectName(rowName("referenceRadio", row));
    controls.reference->setToolTip(tr(kReferenceTip));
    connect(controls.reference, &QRadioButton::toggled, this, [this, row](bool checked) {
        if (!checked) return;
        m_Editor.chooseReferenceDrum(row);
        refresh();
    });

    controls.note = new QLabel(body);
    controls.note->setObjectName(rowName("noteText", row));

    controls.noteSpin = new StepSpin(body);
    controls.noteSpin->setObjectName(rowName("noteSpin", row));
    controls.noteSpin->setToolTip(tr("± полутон"));
    connect(controls.noteSpin, &StepSpin::stepped, this, [this, row](int steps) {
        m_Editor.stepNote(row, steps);
        refresh();
    });

    controls.frequency = new QLabel(body);
    controls.frequency->setObjectName(rowName("frequencyText", row));
    controls.frequency->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    controls.interval = new QLabel(body);
    controls.interval->setObjectName(rowName("intervalText", row));
    controls.interval->setToolTip(tr(kIntervalTip));

    controls.shown = new QCheckBox(body);
    controls.shown->setObjectName(rowName("showBox", row));
    controls.shown->setToolTip(tr(kShownTip));
    connect(controls.shown, &QCheckBox::toggled, this, [this, row](bool shown) {
        m_Editor.setShown(row, shown);
        refresh();
    });

    auto overtoneEdit = [&](const char* name, const QString& tip) {
        auto* edit = new QLineEdit(body);
        edit->setObjectName(rowName(name, row));
        edit->setToolTip(tip);
        edit->setMinimumWidth(
            edit->fontMetrics().horizontalAdvance(QStringLiteral("1.234=1234.56")) + 14);
        connect(edit, &QLineEdit::editingFinished, this, &CDlgPresets::applyOvertoneEdits);
        return edit;
    };
    controls.overtone1 = overtoneEdit("overtone1Edit", tr(kOvertone1Tip));
    controls.overtone2 = overtoneEdit("overtone2Edit", tr(kOvertone2Tip));

    controls.menuButton = new QToolButton(body);
    controls.menuButton->setObjectName(rowName("overtoneMenuButton", row));
    controls.menuButton->setText(QStringLiteral("*"));
    controls.menuButton->setToolTip(tr(kMenuTip));
    // Taking focus on a click ends an overtone edit (and applies it) before the menu opens.
    controls.menuButton->setFocusPolicy(Qt::StrongFocus);
    connect(controls.menuButton, &QToolButton::clicked, this,
            [this, row] { popUpOvertoneMenu(row); });

    // Vertically centred in the padded row; edits and labels fill their column's width.
    const Qt::Alignment middle = Qt::AlignVCenter;
    grid->addWidget(controls.reference, row, kDrumColumn, Qt::AlignLeft | middle);
    grid->addWidget(controls.note, row, kNoteColumn, middle);
    grid->addWidget(controls.noteSpin, row, kNoteSpinColumn, Qt::AlignLeft | middle);
    grid->addWidget(controls.frequency, row, kFrequencyColumn, Qt::AlignRight | middle);
    grid->addWidget(controls.interval, row, kIntervalColumn, middle);
    grid->addWidget(controls.shown, row, kShownColumn, Qt::AlignHCenter | middle);
    grid->addWidget(controls.overtone1, row, kOvertone1Column, middle);
    grid->addWidget(controls.overtone2, row, kOvertone2Column, middle);
    grid->addWidget(controls.menuButton, row, kMenuColumn, Qt::AlignLeft | middle);

    int height = 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             controls.reference, controls.noteSpin, controls.overtone1, controls.menuButton}) {
        height = std::max(height, widget->sizeHint().height());
    }
    grid->setRowMinimumHeight(row, height + kRowPadding);
    m_Rows.push_back(controls);
}

void CDlgPresets::alignColumns(QGridLayout* rowsGrid) {
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
    for (const Row& row : m_Rows) {
        // The reference row is drawn in bold; leave it room in every row.
        QFont normal = row.reference->font();
        row.reference->setFont(bold);
        widen(kDrumColumn, hintWidth(row.reference));
        row.reference->setFont(normal);
        widen(kNoteSpinColumn, hintWidth(row.noteSpin));
        widen(kShownColumn, hintWidth(row.shown));
        widen(kOvertone1Column, hintWidth(row.overtone1));
        widen(kOvertone2Column, hintWidth(row.overtone2));
        widen(kMenuColumn, hintWidth(row.menuButton));
    }
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

    for (QGridLayout* grid : {m_HeaderGrid, rowsGrid}) {
        for (int column = 0; column < kColumnCount; ++column) {
            grid->setColumnMinimumWidth(column, widths[column]);
            grid->setColumnStretch(column, column == kFill ? 1 : 0);
        }
    }
}

void CDlgPresets::orderTabs() {
    // Rows are rebuilt after the rest of the dialog; Tab still goes through them first, row by
    // row from left to right, then to the options and the buttons.
    QList<QWidget*> chain;
    for (const Row& row : m_Rows) {
        chain << row.reference << row.noteSpin << row.shown << row.overtone1 << row.overtone2
              << row.menuButton;
    }
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
    int rowHeight = m_Rows.empty() ? 0
                                   : m_RowsArea->widget()->sizeHint().height() /
                                         static_cast<int>(m_Rows.size());
    int limit =
        std::max(available - kWindowFrameAllowance - others, kMinimumVisibleRows * rowHeight);
    m_RowsArea->setVisibleHeightLimit(limit);
    layout()->invalidate();
    // An explicit size: left alone, a dialog is shown at most two thirds of the screen high.
    resize(sizeHint());
}

void CDlgPresets::refresh() {
    const Kit& kit = m_Editor.kit();
    const QPalette palette = this->palette();
    const QColor base = palette.color(QPalette::Base);
    // The reference row is tinted with the selection colour; the others are faintly striped.
    const QColor referenceColor = mixed(base, palette.color(QPalette::Highlight), 0.22);
    const QColor stripeColor = mixed(base, palette.color(QPalette::Text), 0.035);
    for (int row = 0; row < static_cast<int>(m_Rows.size()); ++row) {
        const Row& controls = m_Rows[static_cast<std::size_t>(row)];
        KitRowTexts texts = m_Editor.rowTexts(row);
        {
            QSignalBlocker blockReference(controls.reference);
            QSignalBlocker blockShown(controls.shown);
            controls.reference->setChecked(texts.isReference);
            controls.shown->setChecked(texts.shown);
        }
        QFont font = controls.reference->font();
        font.setBold(texts.isReference);
        controls.reference->setFont(font);
        QPalette background = controls.background->palette();
        background.setColor(QPalette::Window, texts.isReference ? referenceColor
                                              : row % 2 == 1    ? stripeColor
                                                                : base);
        controls.background->setPalette(background);

        controls.note->setText(toQString(texts.noteText));
        controls.frequency->setText(toQString(texts.frequencyText));
        controls.interval->setText(toQString(texts.intervalText));
        for (auto [edit, text] : {std::pair{controls.overtone1, &texts.overtone1Text},
                                  std::pair{controls.overtone2, &texts.overtone2Text}}) {
            QString shown = toQString(*text);
            if (edit->text() != shown) edit->setText(shown);
        }
    }
    m_IntervalHeading->setText(toQString(m_Editor.intervalHeading()));
    QSignalBlocker blockLatin(m_LatinNames);
    QSignalBlocker blockIntervals(m_IntervalsFromPrevious);
    m_LatinNames->setChecked(kit.latinNames());
    m_IntervalsFromPrevious->setChecked(kit.intervalsFromPrevious());
}

void CDlgPresets::applyOvertoneEdits() {
    std::vector<OvertoneTexts> texts;
    texts.reserve(m_Rows.size());
    for (const Row& row : m_Rows) {
        texts.push_back({toUtf8(row.overtone1->text()), toUtf8(row.overtone2->text())});
    }
    m_Editor.applyOvertoneTexts(texts);
    refresh();
}

std::unique_ptr<QMenu> CDlgPresets::createOvertoneMenu(int row) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(rowName("overtoneMenu", row));
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
    if (row < 0 || row >= static_cast<int>(m_Rows.size())) return;
    QToolButton* button = m_Rows[static_cast<std::size_t>(row)].menuButton;
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
