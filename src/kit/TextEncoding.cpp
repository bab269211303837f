#include "kit/TextEncoding.h"

#include <iconv.h>

#include <array>
#include <cstddef>

namespace tomaro::encoding {
namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view text) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string result;
    // iconv takes a non-const input pointer but does not write through it.
    char* input = const_cast<char*>(text.data());
    std::size_t inputLeft = text.size();
    std::array<char, 256> chunk{};
    bool ok = true;
    while (inputLeft > 0) {
        char* output = chunk.data();
        std::size_t outputLeft = chunk.size();
        std::size_t status = iconv(converter, &input, &inputLeft, &output, &outputLeft);
        result.append(chunk.data(), chunk.size() - outputLeft);
        if (status == static_cast<std::size_t>(-1) && outputLeft == chunk.size()) {
            // Nothing converted and not for want of room: an invalid or unmappable sequence.
            ok = false;
            break;
        }
    }
    iconv_close(converter);
    if (!ok) return std::nullopt;
    return result;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned int codePoint = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2;
            codePoint = byte & 0x1Fu;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3;
            codePoint = byte & 0x0Fu;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4;
            codePoint = byte & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) ||
            codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> cp1251ToUtf8(std::string_view text) {
    return convert("UTF-8", "CP1251", text);
}

std::optional<std::string> utf8ToCp1251(std::string_view text) {
    return convert("CP1251", "UTF-8", text);
}

}  // namespace tomaro::encoding
