#pragma once

#include <cstdint>
#include <string>

namespace tomaro {

// A colour as red, green and blue bytes. Earlier versions kept colours as Windows COLORREF values
// (0x00BBGGRR, red in the low byte); fromColorref() reads one of those.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    static constexpr Rgb fromColorref(std::uint32_t colorref) {
        return {static_cast<std::uint8_t>(colorref & 0xFFu),
                static_cast<std::uint8_t>((colorref >> 8) & 0xFFu),
                static_cast<std::uint8_t>((colorref >> 16) & 0xFFu)};
    }
    // 0xRRGGBB.
    constexpr std::uint32_t value() const {
        return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | std::uint32_t{blue};
    }
    // "#rrggbb", lower-case hex.
    std::string hex() const;

    constexpr bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kTextBlack = Rgb::fromColorref(0x00000000);
inline constexpr Rgb kWarningRed = Rgb::fromColorref(0x000000FF);            // (255, 0, 0)
inline constexpr Rgb kSingleReferenceColor = Rgb::fromColorref(0x00BE0000);  // (0, 0, 190)

// Colour of kit position `drum` in a kit of drumCount positions: entry drum mod 4 of the drum
// palette (blue, azure, lavender, dark red); the single reference (-1) and any position outside
// the kit take kSingleReferenceColor. The read-out and the spectrum plot share it.
Rgb drumColor(int drum, int drumCount);

}  // namespace tomaro
