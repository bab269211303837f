#include "app/StepField.h"

#include <QLineEdit>

namespace tomaro {

StepField::StepField(QWidget* parent) : QAbstractSpinBox(parent) {
    setKeyboardTracking(false);
    setAccelerated(true);
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (auto typed = value()) emit valueEntered(*typed);
    });
}

void StepField::stepBy(int steps) { emit stepped(steps); }

void StepField::setDisplayText(const QString& text) {
    if (lineEdit()->text() != text) lineEdit()->setText(text);
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
