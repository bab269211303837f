#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "tuning/Readout.h"

namespace tomaro {

// Font choice of the large-note window: the largest of 100 fonts (Times New Roman, Cyrillic,
// normal weight, heights 14, 16, ..., 212 px) in which every line fits the client area with a
// 10 px margin. The window measures and draws; the rules live here. User-interface thread only.
inline constexpr int kNoteFontCount = 100;
inline constexpr int kNoteMarginPx = 10;

// Pixel height of font index 0..99.
constexpr int noteFontHeightPx(int fontIndex) { return 2 * fontIndex + 14; }

struct TextExtent {
    int width = 0;   // px
    int height = 0;  // px
};
// Measures a text in the font of the given index.
using MeasureText = std::function<TextExtent(int fontIndex, std::string_view text)>;

// Vertical advance of a line: its height, or half the height of " " for an empty line.
int noteLineAdvancePx(const ReadoutLine& line, int fontIndex, const MeasureText& measure);

// For each font index 0..99 the block is measured: width the widest line, height the sum of the
// line advances. Returns the last index for which width + 10 < clientRight and
// height + 10 < clientBottom, or 0 when none fits. Lines are drawn from (10, 10) downwards.
int chooseNoteFontIndex(std::span<const ReadoutLine> lines, const MeasureText& measure,
                        int clientRight, int clientBottom);

}  // namespace tomaro
