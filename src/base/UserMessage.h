#pragma once

#include <string>

namespace tomaro {

// The caption of the messages about the program's own files and devices: its name, the same in
// every language.
inline constexpr char kProgramCaption[] = "Tomaro";

// A message for the user that the core returns instead of showing it: the one shape in which
// the core hands a problem (or a notice) to the user. Functions that may fail return
// std::optional<UserMessage>, empty on success; results that carry more keep one such member.
// The text and the caption are UTF-8 and already in the current language (see
// settings/Language.h). The windows show every message through one function
// (widgets/UserMessageBox.h), tomaro-analyze prints it through one (cli/MessageLine.h).
struct UserMessage {
    // How the window's message box marks the message: Information with the information icon,
    // Warning with the warning icon (the program goes on without what failed), Error with the
    // critical icon (a file refused, a device or a write that failed).
    enum class Severity { Information, Warning, Error };

    std::string text;
    std::string caption;  // the title of the message box; tomaro-analyze does not print it
    Severity severity = Severity::Error;

    bool operator==(const UserMessage&) const = default;
};

}  // namespace tomaro
