#include "widgets/StepField.h"

#include <QLineEdit>

namespace tomaro {

StepField::StepField(QWidget* parent) : QAbstractSpinBox(parent) {
    setKeyboardTracking(false);
    setAccelerated(true);
    // Only typed text counts: leaving the field or pressing Enter without an edit stores nothing.
    // The edit's own "modified" flag cannot tell: Enter clears it before editingFinished.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_Typed = true; });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (!m_Typed) return;
        m_Typed = false;
        if (auto typed = value()) {
            emit valueEntered(*typed);
        } else {
            // Not a number: the field shows again what is in use.
            lineEdit()->setText(m_Shown);
        }
    });
}

void StepField::stepBy(int steps) { emit stepped(steps); }

void StepField::setDisplayText(const QString& text) {
    m_Shown = text;
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    m_Typed = false;
}

std::optional<double> StepField::value() const {
    QString text = lineEdit()->text().trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    return number;
}

}  // namespace tomaro
