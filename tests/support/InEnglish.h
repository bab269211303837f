#pragma once

#include <string_view>

#include "settings/Language.h"

namespace tomaro::test {

// Makes English the current language for the life of the guard, then Russian again (the language
// every other test expects).
class InEnglish {
public:
    InEnglish() { setCurrentLanguage(Language::English); }
    ~InEnglish() { setCurrentLanguage(Language::Russian); }
    InEnglish(const InEnglish&) = delete;
    InEnglish& operator=(const InEnglish&) = delete;
};

// True when the UTF-8 text holds a Cyrillic letter (U+0400..U+04FF: lead bytes 0xD0..0xD3).
inline bool hasCyrillic(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xD0 && lead <= 0xD3 && (next & 0xC0) == 0x80) return true;
    }
    return false;
}

}  // namespace tomaro::test
