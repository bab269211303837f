#pragma once

#include <QWidget>
#include <vector>

#include "kit/KitPlanner.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tomaro {

class Tuner;

// The window "Интервалы и план": the kit's drums in size order with their last good fundamental
// and the interval up to the next smaller drum, measured against planned (the references), in the
// read-out's colours; and the planner: a scheme (fourths, major or minor thirds, or steps of one's
// own), the start note (the lowest tom's, or the highest's), the proposed notes with a warning
// outside a size's usual range (the snare's and the kick's sizes set here, kept in the settings),
// "Записать в эталоны" and its undo. It shows the Tuner and writes only the kit's notes;
// referencesChanged() after that. User-interface thread only.
class KitPlanWindow : public QWidget {
    Q_OBJECT

public:
    explicit KitPlanWindow(Tuner& tuner, QWidget* parent = nullptr);

    void refresh();
    // The plan as the controls ask for it now (the start note unreadable: false).
    bool currentPlan(kitplan::KitPlan& plan) const;
    // "Записать в эталоны": the plan's notes become the kit's references; false when there is
    // no valid plan. "Отменить запись" puts the notes before it back.
    bool writePlan();
    bool undoPlan();

signals:
    void referencesChanged();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showKit();
    void showPlan();
    void storeKit();
    void storeSizes();
    // The drum's name, the snare's and the kick's with their size when given (`Бочка 22"`).
    QString drumLabel(int position) const;

    Tuner& m_Tuner;
    QTableWidget* m_KitTable = nullptr;
    QComboBox* m_SchemeCombo = nullptr;
    QLineEdit* m_StepsEdit = nullptr;
    QLineEdit* m_StartEdit = nullptr;
    QCheckBox* m_FromTopBox = nullptr;
    QCheckBox* m_SnareBox = nullptr;
    QCheckBox* m_KickBox = nullptr;
    // The snare's and the kick's diameters, kept in the settings; the lowest value is "—".
    QSpinBox* m_SnareSize = nullptr;
    QSpinBox* m_KickSize = nullptr;
    QTableWidget* m_PlanTable = nullptr;
    QLabel* m_PlanLine = nullptr;
    QPushButton* m_WriteButton = nullptr;
    QPushButton* m_UndoButton = nullptr;
    std::vector<int> m_NotesBefore;  // the kit's notes before the last written plan
};

}  // namespace tomaro
