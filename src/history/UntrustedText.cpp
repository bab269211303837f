#include "history/UntrustedText.h"

namespace tomaro::history {
namespace {

// The length of the well-formed UTF-8 sequence at `at` (Unicode 15, table 3-7), 0 when there is
// none.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;
    if (first >= 0xc2 && first <= 0xdf) {
        length = 2;
    } else if (first >= 0xe0 && first <= 0xef) {
        length = 3;
        if (first == 0xe0) low = 0xa0;
        if (first == 0xed) high = 0x9f;
    } else if (first >= 0xf0 && first <= 0xf4) {
        length = 4;
        if (first == 0xf0) low = 0x90;
        if (first == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf) return 0;
    }
    return length;
}

}  // namespace

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inBadRun = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            if (!inBadRun) out += "\xef\xbf\xbd";
            inBadRun = true;
            ++at;
            continue;
        }
        inBadRun = false;
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

}  // namespace tomaro::history
