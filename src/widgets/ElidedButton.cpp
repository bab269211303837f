#include "widgets/ElidedButton.h"

#include <QEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tomaro {

ElidedButton::ElidedButton(QWidget* parent) : QPushButton(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

// Any width will do: the text is cut to fit. The height is a button's for one line of text.
// (QPushButton's own hints call each other, so neither is used here.)
QSize ElidedButton::minimumSizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QSize text(fontMetrics().averageCharWidth() * 12, fontMetrics().height());
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, text, this);
}

QSize ElidedButton::sizeHint() const { return minimumSizeHint(); }

void ElidedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this) * 2 + 4;
    option.text = fontMetrics().elidedText(text(), Qt::ElideRight, width() - margin);
    painter.drawControl(QStyle::CE_PushButton, option);
}

void ElidedButton::setCaption(const QString& caption) {
    setText(caption);
    updateToolTip();
}

void ElidedButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    updateToolTip();
}

bool ElidedButton::event(QEvent* event) {
    const bool handled = QPushButton::event(event);
    if (event->type() == QEvent::FontChange) updateToolTip();
    return handled;
}

void ElidedButton::updateToolTip() {
    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin) * 2 + 4;
    setToolTip(fontMetrics().horizontalAdvance(text()) > width() - margin ? text() : QString());
}

}  // namespace tomaro
