#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 texts and Windows-1251, the single-byte code page of kit
// files, done by the C library's iconv. Any thread (each call opens its own converter).
namespace tomaro::encoding {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// Empty optional when the input holds a byte or character the other side cannot represent
// (0x98 is unassigned in Windows-1251; most of Unicode has no Windows-1251 form).
std::optional<std::string> cp1251ToUtf8(std::string_view text);
std::optional<std::string> utf8ToCp1251(std::string_view text);

}  // namespace tomaro::encoding
