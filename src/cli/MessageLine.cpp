#include "cli/MessageLine.h"

#include <ostream>

namespace tomaro {

std::string messageLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

void sayMessage(std::ostream& err, const UserMessage& message, std::string_view subject) {
    err << "tomaro-analyze: ";
    if (!subject.empty()) err << subject << ": ";
    err << messageLine(message.text) << '\n';
}

}  // namespace tomaro
