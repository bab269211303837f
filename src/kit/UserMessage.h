#pragma once

#include <string>

namespace tomaro {

// A message for the user that a core operation returns instead of showing it; the window shows
// it in a message box with this text, caption and icon.
struct UserMessage {
    enum class Icon { Error, Information };

    std::string text;
    std::string caption;
    Icon icon = Icon::Information;

    bool operator==(const UserMessage&) const = default;
};

}  // namespace tomaro
