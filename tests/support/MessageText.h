#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "base/UserMessage.h"

namespace tomaro {

// A message as a failed expectation shows it.
inline void PrintTo(const UserMessage& message, std::ostream* out) {
    *out << '"' << message.text << "\" (caption \"" << message.caption << "\", severity "
         << static_cast<int>(message.severity) << ')';
}

namespace test {

// The text of a message the core returned, empty when it returned none: what the tests compare
// and print on a failure.
inline std::string messageText(const std::optional<UserMessage>& message) {
    return message ? message->text : std::string();
}

// A refusal of a sound file as the window shows it: caption "Tomaro", the critical icon.
inline UserMessage fileRefusal(std::string text) {
    return UserMessage{std::move(text), kProgramCaption, UserMessage::Severity::Error};
}

}  // namespace test
}  // namespace tomaro
