#include "gui/DrumRows.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "kit/DrumTypes.h"
#include "kit/Kit.h"
#include "kit/KitEditor.h"
#include "widgets/QtText.h"
#include "widgets/StepSpin.h"

namespace tomaro {
namespace {

using namespace presets;

constexpr int kRowPadding = 6;  // px added to the tallest control of a row

constexpr const char* kMenuTip =
    QT_TRANSLATE_NOOP("tomaro::CDlgPresets",
                      "Выбор вариантов частот обертонов для различных типов настройки барабана");

// The dialog's translation of `text`: the rows speak in its tr() context.
QString presetsText(const char* text) {
    return QCoreApplication::translate("tomaro::CDlgPresets", text);
}

QString rowName(const char* stem, int row) {
    return QString::fromLatin1(stem) + QLatin1Char('_') + QString::number(row);
}

QColor mixed(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - share) + b.redF() * share),
                            static_cast<float>(a.greenF() * (1 - share) + b.greenF() * share),
                            static_cast<float>(a.blueF() * (1 - share) + b.blueF() * share));
}

}  // namespace

DrumRows::DrumRows(KitEditor& editor, QWidget* parent) : QWidget(parent), m_Editor(editor) {
    setObjectName(QStringLiteral("rows"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    m_Grid = new QGridLayout(this);
    m_Grid->setContentsMargins(0, 0, 0, 0);
    m_Grid->setSpacing(0);
    for (int row = 0; row < m_Editor.rowCount(); ++row) addRow(row);
    m_Grid->setRowStretch(m_Editor.rowCount(), 1);
}

void DrumRows::addRow(int row) {
    Row controls;

    // Created first, so the row's controls lie above it.
    controls.background = new QWidget(this);
    controls.background->setBackgroundRole(QPalette::Window);
    controls.background->setAutoFillBackground(true);
    m_Grid->addWidget(controls.background, row, 0, 1, kColumnCount);

    controls.reference =
        new QRadioButton(toQString(drums::shownName(m_Editor.kit().drumName(row))), this);
    controls.reference->setObjectName(rowName("referenceRadio", row));
    controls.reference->setToolTip(presetsText(kReferenceTip));
    connect(controls.reference, &QRadioButton::toggled, this, [this, row](bool checked) {
        if (!checked) return;
        m_Editor.chooseReferenceDrum(row);
        emit edited();
    });

    controls.note = new QLabel(this);
    controls.note->setObjectName(rowName("noteText", row));

    controls.noteSpin = new StepSpin(this);
    controls.noteSpin->setObjectName(rowName("noteSpin", row));
    controls.noteSpin->setToolTip(presetsText(kSemitoneTip));
    connect(controls.noteSpin, &StepSpin::stepped, this, [this, row](int steps) {
        m_Editor.stepNote(row, steps);
        emit edited();
    });

    controls.frequency = new QLabel(this);
    controls.frequency->setObjectName(rowName("frequencyText", row));
    controls.frequency->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    controls.interval = new QLabel(this);
    controls.interval->setObjectName(rowName("intervalText", row));
    controls.interval->setToolTip(presetsText(kIntervalTip));

    controls.shown = new QCheckBox(this);
    controls.shown->setObjectName(rowName("showBox", row));
    controls.shown->setToolTip(presetsText(kShownTip));
    connect(controls.shown, &QCheckBox::toggled, this, [this, row](bool shown) {
        m_Editor.setShown(row, shown);
        emit edited();
    });

    auto overtoneEdit = [&](const char* name, const QString& tip) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(rowName(name, row));
        edit->setToolTip(tip);
        edit->setMinimumWidth(
            edit->fontMetrics().horizontalAdvance(QStringLiteral("1.234=1234.56")) + 14);
        connect(edit, &QLineEdit::editingFinished, this, &DrumRows::applyOvertoneEdits);
        return edit;
    };
    controls.overtone1 = overtoneEdit("overtone1Edit", presetsText(kOvertone1Tip));
    controls.overtone2 = overtoneEdit("overtone2Edit", presetsText(kOvertone2Tip));

    controls.menuButton = new QToolButton(this);
    controls.menuButton->setObjectName(rowName("overtoneMenuButton", row));
    controls.menuButton->setText(QStringLiteral("*"));
    controls.menuButton->setToolTip(presetsText(kMenuTip));
    // Taking focus on a click ends an overtone edit (and applies it) before the menu opens.
    controls.menuButton->setFocusPolicy(Qt::StrongFocus);
    connect(controls.menuButton, &QToolButton::clicked, this,
            [this, row] { emit overtoneMenuRequested(row); });

    // Vertically centred in the padded row; edits and labels fill their column's width.
    const Qt::Alignment middle = Qt::AlignVCenter;
    m_Grid->addWidget(controls.reference, row, kDrumColumn, Qt::AlignLeft | middle);
    m_Grid->addWidget(controls.note, row, kNoteColumn, middle);
    m_Grid->addWidget(controls.noteSpin, row, kNoteSpinColumn, Qt::AlignLeft | middle);
    m_Grid->addWidget(controls.frequency, row, kFrequencyColumn, Qt::AlignRight | middle);
    m_Grid->addWidget(controls.interval, row, kIntervalColumn, middle);
    m_Grid->addWidget(controls.shown, row, kShownColumn, Qt::AlignHCenter | middle);
    m_Grid->addWidget(controls.overtone1, row, kOvertone1Column, middle);
    m_Grid->addWidget(controls.overtone2, row, kOvertone2Column, middle);
    m_Grid->addWidget(controls.menuButton, row, kMenuColumn, Qt::AlignLeft | middle);

    int height = 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{
             controls.reference, controls.noteSpin, controls.overtone1, controls.menuButton}) {
        height = std::max(height, widget->sizeHint().height());
    }
    m_Grid->setRowMinimumHeight(row, height + kRowPadding);
    m_Rows.push_back(controls);
}

QToolButton* DrumRows::menuButton(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    return m_Rows[static_cast<std::size_t>(row)].menuButton;
}

void DrumRows::refresh(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    // The reference row is tinted with the selection colour; the others are faintly striped.
    const QColor referenceColor = mixed(base, palette.color(QPalette::Highlight), 0.22);
    const QColor stripeColor = mixed(base, palette.color(QPalette::Text), 0.035);
    for (int row = 0; row < rowCount(); ++row) {
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
}

void DrumRows::widenColumns(std::array<int, kColumnCount>& widths, const QFont& bold) const {
    auto widen = [&](int column, int width) { widths[column] = std::max(widths[column], width); };
    auto hintWidth = [](const QWidget* widget) {
        return widget->sizeHint().expandedTo(widget->minimumSize()).width();
    };
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
}

QList<QWidget*> DrumRows::tabChain() const {
    QList<QWidget*> chain;
    for (const Row& row : m_Rows) {
        chain << row.reference << row.noteSpin << row.shown << row.overtone1 << row.overtone2
              << row.menuButton;
    }
    return chain;
}

void DrumRows::applyOvertoneEdits() {
    std::vector<OvertoneTexts> texts;
    texts.reserve(m_Rows.size());
    for (const Row& row : m_Rows) {
        texts.push_back({toUtf8(row.overtone1->text()), toUtf8(row.overtone2->text())});
    }
    m_Editor.applyOvertoneTexts(texts);
    emit edited();
}

}  // namespace tomaro
