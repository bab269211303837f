#include "widgets/StepSpin.h"

#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QWheelEvent>

namespace tomaro {

StepSpin::StepSpin(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setFocusPolicy(Qt::StrongFocus);
}

void StepSpin::stepBy(int steps) {
    if (steps != 0) emit stepped(steps);
}

QSize StepSpin::sizeHint() const {
    // Only the arrows: the width of the style's button column plus the frame, the height of an
    // ordinary spin box so that rows line up with the edits beside it.
    QSize base = QAbstractSpinBox::sizeHint();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    option.rect = QRect(QPoint(0, 0), base);
    QRect up = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
    return {up.width() + 2 * frame + 2, base.height()};
}

QSize StepSpin::minimumSizeHint() const { return sizeHint(); }

QAbstractSpinBox::StepEnabled StepSpin::stepEnabled() const {
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

void StepSpin::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();  // goes on to the scroll area
        return;
    }
    QAbstractSpinBox::wheelEvent(event);
}

QValidator::State StepSpin::validate(QString& input, int&) const {
    return input.isEmpty() ? QValidator::Acceptable : QValidator::Invalid;
}

}  // namespace tomaro
