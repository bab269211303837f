#pragma once

#include <QAbstractSpinBox>

namespace tomaro {

// A spin control that holds no value: its arrows, the Up/Down and PageUp/PageDown keys and the
// mouse wheel only report steps (up positive; PageUp/PageDown count as ten). The wheel steps only
// while the spin has focus, so that scrolling a list of rows does not change them in passing. The
// references dialog uses it to move a note by semitones and to step the free reference frequency.
// Nothing can be typed into it.
class StepSpin : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit StepSpin(QWidget* parent = nullptr);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void stepped(int steps);

protected:
    StepEnabled stepEnabled() const override;
    void wheelEvent(QWheelEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;
};

}  // namespace tomaro
