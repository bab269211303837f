#pragma once

#include <cstddef>
#include <string>

namespace tomaro {

// Writes `value` with `decimals` digits after the point, as printf's "%0.<decimals>f" does in the
// "C" locale (always a '.', whatever locale the process has set), into `out` of `size` bytes,
// NUL-terminated, except that a value that rounds to zero never reads "-0". Returns the length
// written (0 if it does not fit). No allocation.
std::size_t formatFixed(double value, int decimals, char* out, std::size_t size);

// The same as a string, for texts outside the analysis pass.
std::string fixedText(double value, int decimals);

}  // namespace tomaro
