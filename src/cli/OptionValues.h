#pragma once

#include <array>
#include <string>
#include <string_view>

// The values of tomaro-analyze's options as typed: whole numbers, decimals and switches. Pure
// functions, any thread; each returns false, leaving `value` unspecified, for text it does not
// take whole.
namespace tomaro::optionvalues {

// A whole number within the range of int.
bool parseInt(const std::string& text, int& value);
// A whole number; one beyond the range of int is held to INT_MIN or INT_MAX, as the dialog's
// fields hold what is typed, and the caller then clamps it to the search range.
bool parseSaturatedInt(const std::string& text, int& value);
// A finite decimal number; a decimal comma counts as a point.
bool parseNumber(std::string text, double& value);
// "0" or "1".
bool parseSwitch(std::string_view text, bool& on);
// "F0,M1,M2": three switches separated by commas.
bool parseSwitches(std::string_view text, std::array<bool, 3>& switches);

}  // namespace tomaro::optionvalues
