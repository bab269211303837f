#pragma once

#include <QAbstractSpinBox>
#include <optional>

namespace tomaro {

// A number field with spin arrows whose steps the owner interprets (the stretch's delay moves by
// a fifth of the length per step, its length grows by 5 % per step). Typed text is taken on
// Enter or when the field loses focus; a decimal comma is accepted.
class StepField : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit StepField(QWidget* parent = nullptr);

    void stepBy(int steps) override;
    // Shows `text` without emitting anything.
    void setDisplayText(const QString& text);
    // The typed value, if the text is a number.
    std::optional<double> value() const;

signals:
    void stepped(int steps);
    void valueEntered(double value);

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    QString m_Shown;       // the text of the value in use
    bool m_Typed = false;  // the user typed since the value in use was shown
};

}  // namespace tomaro
