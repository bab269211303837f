#pragma once

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace tomaro {

class StepField;
class Stretch;
class Tuner;

// The main window's group "Анализ": the spectrum's window ("Окно:"), the analysed stretch's delay
// from the strike front and its length (arrows by the stretch's step rules, or typed values), the
// search range in Hz, "Учёт затухания" and "Настройки анализа по умолчанию". Every change goes to
// the Tuner's settings or stretch, which store it, and is said by changed(). Its texts are the main
// window's (context "tomaro::CMainDlg"). User-interface thread only.
class AnalysisGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit AnalysisGroup(Tuner& tuner, QWidget* parent = nullptr);

    // The stretch's delay and length as the Tuner has them (after an analysis, or after the
    // stretch was moved on the graphs).
    void showStretch();

signals:
    // A setting or the stretch changed: the strike is to be analysed again.
    void changed();

private:
    StepField* makeStretchField(const char* name, void (Stretch::*spin)(int),
                                void (Stretch::*set)(double));
    void showSettings();

    Tuner& m_Tuner;
    QComboBox* m_WindowCombo = nullptr;
    StepField* m_DelayField = nullptr;
    StepField* m_LengthField = nullptr;
    QSpinBox* m_FindF0Spin = nullptr;
    QSpinBox* m_FindF1Spin = nullptr;
    QCheckBox* m_DecayBox = nullptr;
};

}  // namespace tomaro
