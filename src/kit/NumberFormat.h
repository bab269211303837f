#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Number texts and number parsing that never depend on the process locale: the decimal separator
// is always '.', whatever LC_NUMERIC says (the window's toolkit may set a decimal-comma locale).
// Formatting follows the C library's printf in the "C" locale digit for digit. Any thread.
namespace tomaro::numbers {

// printf("%0.*f", decimals, value). decimals 0..17. A value that rounds to zero reads "0" (or
// "0.0"...), never "-0": a deviation of -0.3 cents is no deviation to show.
std::string fixed(double value, int decimals);

// printf("%+0.*f", decimals, value): the sign is always shown ("+0.0", "-3.2"), and a value that
// rounds to zero reads "+0".
std::string signedFixed(double value, int decimals);

// signedFixed(value, 0): "+0", "-3".
std::string signedWhole(double value);

// printf("%.*g", precision, value). precision 1..17; "%g" is precision 6.
std::string general(double value, int precision = 6);

// Removes trailing '0' characters that stand after a decimal point, then the point itself when it
// has become the last character ("123.40" -> "123.4", "12.00" -> "12"). Text without a point is
// returned unchanged.
std::string trimZeros(std::string text);

// A number at the start of a text, as the C library's strtod reads it in the "C" locale: optional
// leading white space, an optional sign, then digits with an optional point and exponent (or
// "inf"/"nan"). `length` counts the characters used, white space included; 0 when no number.
struct Scanned {
    double value = 0.0;
    std::size_t length = 0;
};
Scanned scanDouble(std::string_view text);

// Like scanDouble for a decimal integer ("%d"); a number that does not fit an int is no number.
struct ScannedInt {
    int value = 0;
    std::size_t length = 0;
};
ScannedInt scanInt(std::string_view text);

// atof: the leading number of a text, 0 when there is none.
double leadingNumber(std::string_view text);

// True for the characters isspace() accepts in the "C" locale.
constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace tomaro::numbers
