#include "cli/OptionValues.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tomaro::optionvalues {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

bool parseSaturatedInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || ptr != end) return false;
    if (error == std::errc::result_out_of_range) {
        value =
            text.front() == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        return true;
    }
    return error == std::errc();
}

bool parseNumber(std::string text, double& value) {
    for (char& c : text) {
        if (c == ',') c = '.';
    }
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty() && std::isfinite(value);
}

bool parseSwitch(std::string_view text, bool& on) {
    if (text != "0" && text != "1") return false;
    on = text == "1";
    return true;
}

bool parseSwitches(std::string_view text, std::array<bool, 3>& switches) {
    for (std::size_t i = 0; i < switches.size(); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == switches.size();
        if (last != (comma == std::string_view::npos)) return false;
        if (!parseSwitch(text.substr(0, comma), switches[i])) return false;
        if (!last) text.remove_prefix(comma + 1);
    }
    return true;
}

}  // namespace tomaro::optionvalues
