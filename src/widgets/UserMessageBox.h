#pragma once

#include <QMessageBox>

#include "base/UserMessage.h"

class QWidget;

namespace tomaro {

// The icon of a message's box: Information the information icon, Warning the warning icon, Error
// the critical icon. The one place the windows map a severity to an icon.
QMessageBox::Icon messageBoxIcon(UserMessage::Severity severity);

// The one way the windows show a message of the core, of a device or of their own: a modal
// message box over `parent` with the message's caption as its title, its text, the icon of its
// severity and one OK button. Returns once the user closed it. User-interface thread only.
void showUserMessage(QWidget* parent, const UserMessage& message);

}  // namespace tomaro
