#include "kit/NumberFormat.h"

#include <array>
#include <charconv>
#include <limits>
#include <system_error>

namespace tomaro::numbers {
namespace {

// Large enough for any double printed with up to 17 decimals ("%f" of 1e308 has 309 digits).
constexpr std::size_t kBufferSize = 400;

std::string_view skipSpace(std::string_view text, std::size_t& used) {
    while (used < text.size() && isSpace(text[used])) ++used;
    return text.substr(used);
}

// Consumes one optional sign; false when the sign is '-'.
bool takeSign(std::string_view& text, std::size_t& used) {
    if (text.empty() || (text[0] != '+' && text[0] != '-')) return true;
    bool positive = text[0] == '+';
    text.remove_prefix(1);
    ++used;
    return positive;
}

}  // namespace

std::string fixed(double value, int decimals) {
    std::array<char, kBufferSize> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    // A value that rounds to zero reads "0", never "-0".
    if (!text.empty() && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::string signedFixed(double value, int decimals) {
    std::string text = fixed(value, decimals);
    if (text.empty() || text[0] != '-') text.insert(text.begin(), '+');
    return text;
}

std::string signedWhole(double value) { return signedFixed(value, 0); }

std::string general(double value, int precision) {
    std::array<char, kBufferSize> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::general, precision);
    return std::string(buffer.data(), result.ptr);
}

std::string trimZeros(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

Scanned scanDouble(std::string_view text) {
    std::size_t used = 0;
    std::string_view rest = skipSpace(text, used);
    bool positive = takeSign(rest, used);
    if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) return {};
    double value = 0.0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Like the C library's scan: too large a number reads as infinity, too small as 0.
        const std::string_view number(rest.data(), static_cast<std::size_t>(end - rest.data()));
        const std::size_t exponent = number.find_first_of("eE");
        const bool tiny = exponent != std::string_view::npos && exponent + 1 < number.size() &&
                          number[exponent + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (error != std::errc()) {
        return {};
    }
    used += static_cast<std::size_t>(end - rest.data());
    return {positive ? value : -value, used};
}

ScannedInt scanInt(std::string_view text) {
    std::size_t used = 0;
    std::string_view rest = skipSpace(text, used);
    bool positive = takeSign(rest, used);
    if (rest.empty() || rest[0] < '0' || rest[0] > '9') return {};
    // Read the magnitude wide so that INT_MIN, whose magnitude exceeds INT_MAX, still fits.
    long long magnitude = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude);
    if (error != std::errc()) return {};
    long long value = positive ? magnitude : -magnitude;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return {};
    }
    used += static_cast<std::size_t>(end - rest.data());
    return {static_cast<int>(value), used};
}

double leadingNumber(std::string_view text) { return scanDouble(text).value; }

}  // namespace tomaro::numbers
