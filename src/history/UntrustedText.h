#pragma once

#include <string>
#include <string_view>

// Values read from a history file are untrusted: another program, an older build or a hand edit
// may have written anything that SQLite accepts. These make them safe to show and to write out.
// Pure functions, any thread.
namespace tomaro::history {

// The text with every byte sequence that is not well-formed UTF-8 (overlong forms, surrogates,
// code points above U+10FFFF, cut sequences) replaced by U+FFFD, one per maximal bad run.
std::string validUtf8(std::string_view text);

// Rod counts the program makes: 4 to 16 rods per head.
inline constexpr int kMinLugCount = 4;
inline constexpr int kMaxLugCount = 16;

}  // namespace tomaro::history
