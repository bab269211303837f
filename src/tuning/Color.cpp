#include "tuning/Color.h"

#include <array>

namespace tomaro {
namespace {

constexpr std::array<Rgb, 4> kDrumPalette = {
    Rgb::fromColorref(0x00FF0000),  // (0, 0, 255)
    Rgb::fromColorref(0x00F58C00),  // (0, 140, 245)
    Rgb::fromColorref(0x00FFB4BE),  // (190, 180, 255)
    Rgb::fromColorref(0x000000BE),  // (190, 0, 0)
};

}  // namespace

std::string Rgb::hex() const {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (std::uint8_t channel : {red, green, blue}) {
        text += kDigits[channel >> 4];
        text += kDigits[channel & 0x0F];
    }
    return text;
}

Rgb drumColor(int drum, int drumCount) {
    if (drum < 0 || drum >= drumCount) return kSingleReferenceColor;
    return kDrumPalette[static_cast<std::size_t>(drum % 4)];
}

}  // namespace tomaro
