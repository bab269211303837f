#include "widgets/UserMessageBox.h"

#include "widgets/QtText.h"

namespace tomaro {

QMessageBox::Icon messageBoxIcon(UserMessage::Severity severity) {
    switch (severity) {
        case UserMessage::Severity::Information:
            return QMessageBox::Information;
        case UserMessage::Severity::Warning:
            return QMessageBox::Warning;
        case UserMessage::Severity::Error:
            break;
    }
    return QMessageBox::Critical;
}

void showUserMessage(QWidget* parent, const UserMessage& message) {
    QMessageBox box(messageBoxIcon(message.severity), toQString(message.caption),
                    toQString(message.text), QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tomaro
