#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "base/UserMessage.h"

namespace tomaro {

// A message's text as one line of tomaro-analyze's output: without the line breaks and spaces it
// ends with, which lay out the window's message box ("не могу открыть файл !!! \n").
std::string messageLine(std::string text);

// The one way tomaro-analyze says a message of the core (or of the sound device) on standard
// error: "tomaro-analyze: ", then `subject` and ": " when there is one (the file, or what
// failed), then messageLine() of the text, then a line break. The caption belongs to the
// window's message box and is not printed.
void sayMessage(std::ostream& err, const UserMessage& message, std::string_view subject = {});

}  // namespace tomaro
