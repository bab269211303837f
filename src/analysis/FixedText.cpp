#include "analysis/FixedText.h"

#include <charconv>

namespace tomaro {

std::size_t formatFixed(double value, int decimals, char* out, std::size_t size) {
    if (size == 0) return 0;
    auto [end, error] =
        std::to_chars(out, out + size - 1, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        out[0] = '\0';
        return 0;
    }
    *end = '\0';
    // A value that rounds to zero reads "0", never "-0" (as -0.04 would with one decimal).
    if (out[0] == '-') {
        bool zero = true;
        for (const char* c = out + 1; c != end; ++c) zero = zero && (*c == '0' || *c == '.');
        if (zero) {
            for (char* c = out; c != end; ++c) *c = c[1];
            --end;
        }
    }
    return static_cast<std::size_t>(end - out);
}

std::string fixedText(double value, int decimals) {
    char text[400];
    const std::size_t length = formatFixed(value, decimals, text, sizeof text);
    return std::string(text, length);
}

}  // namespace tomaro
