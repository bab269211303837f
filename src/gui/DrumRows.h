#pragma once

#include <QList>
#include <QWidget>
#include <QtGlobal>
#include <array>
#include <vector>

#include "gui/PresetsColumn.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace tomaro {

class KitEditor;
class StepSpin;

// The drum list of the references dialog (CDlgPresets): one row per kit drum with its reference
// radio, note, note spin, frequency, interval, show box, both overtone edits and the "*" button,
// in the columns of presets::Column. Every change goes through the KitEditor at once and is
// followed by edited(); the "*" button asks for the overtone menu. Texts and tips are the
// dialog's (its tr() context). objectNames as CDlgPresets lists them, row r counting from 0. Made
// anew for every kit the dialog shows. User-interface thread only.
class DrumRows : public QWidget {
    Q_OBJECT

public:
    // Tips of the columns, in the dialog's context; the heading strip shows them too.
    static constexpr const char* kReferenceTip = QT_TRANSLATE_NOOP(
        "tomaro::CDlgPresets",
        "Выбор опорного барабана, при изменении частоты которого автоматически изменяются "
        "частоты остальных с сохранением интервалов. Также можно смотреть интервалы от каждого "
        "барабана до опорного");
    static constexpr const char* kIntervalTip =
        QT_TRANSLATE_NOOP("tomaro::CDlgPresets",
                          "Интервал в полутонах: либо от 'опорного' барабана, либо от предыдущего");
    static constexpr const char* kShownTip = QT_TRANSLATE_NOOP(
        "tomaro::CDlgPresets",
        "Отображать данный барабан на спектре и использовать его для поиска опорной частоты "
        "(как ближайшей из выбранных к измеренной)");
    static constexpr const char* kOvertone1Tip = QT_TRANSLATE_NOOP(
        "tomaro::CDlgPresets",
        "Коэффициент для перехода от основной частоты к частоте обертона ударного (top) "
        "пластика (0.5..10), либо соответствующая частота в Гц (20..20000)");
    static constexpr const char* kOvertone2Tip = QT_TRANSLATE_NOOP(
        "tomaro::CDlgPresets",
        "Коэффициент для перехода от основной частоты к частоте обертона резонансного (bottom) "
        "пластика (0.5..10), либо соответствующая частота в Гц (20..20000)");
    static constexpr const char* kSemitoneTip =
        QT_TRANSLATE_NOOP("tomaro::CDlgPresets", "± полутон");

    // One row per drum of the editor's kit; `editor` must outlive the rows.
    explicit DrumRows(KitEditor& editor, QWidget* parent = nullptr);

    int rowCount() const { return static_cast<int>(m_Rows.size()); }
    QGridLayout* grid() const { return m_Grid; }
    QToolButton* menuButton(int row) const;

    // Every row's texts, checks and background from the editor: the reference row tinted with
    // `palette`'s selection colour, the others faintly striped.
    void refresh(const QPalette& palette);
    // Widens `widths` (px per column) to what the rows' controls need, the reference radio in
    // `bold` (the reference row's font) wherever it is.
    void widenColumns(std::array<int, presets::kColumnCount>& widths, const QFont& bold) const;
    // The rows' controls in Tab order: row by row, from left to right.
    QList<QWidget*> tabChain() const;

signals:
    // A change went to the editor (and is stored): the dialog shows it.
    void edited();
    // The "*" button of `row` was pressed.
    void overtoneMenuRequested(int row);

private:
    struct Row {
        QWidget* background = nullptr;
        QRadioButton* reference = nullptr;
        QLabel* note = nullptr;
        StepSpin* noteSpin = nullptr;
        QLabel* frequency = nullptr;
        QLabel* interval = nullptr;
        QCheckBox* shown = nullptr;
        QLineEdit* overtone1 = nullptr;
        QLineEdit* overtone2 = nullptr;
        QToolButton* menuButton = nullptr;
    };

    void addRow(int row);
    void applyOvertoneEdits();

    KitEditor& m_Editor;
    QGridLayout* m_Grid = nullptr;
    std::vector<Row> m_Rows;
};

}  // namespace tomaro
