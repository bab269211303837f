#include "tuning/NoteFont.h"

#include <algorithm>

namespace tomaro {

int noteLineAdvancePx(const ReadoutLine& line, int fontIndex, const MeasureText& measure) {
    if (line.text.empty()) return measure(fontIndex, " ").height / 2;
    return measure(fontIndex, line.text).height;
}

int chooseNoteFontIndex(std::span<const ReadoutLine> lines, const MeasureText& measure,
                        int clientRight, int clientBottom) {
    int chosen = 0;
    for (int fontIndex = 0; fontIndex < kNoteFontCount; ++fontIndex) {
        long long width = 0;
        long long height = 0;
        for (const ReadoutLine& line : lines) {
            if (!line.text.empty()) {
                width = std::max<long long>(width, measure(fontIndex, line.text).width);
            }
            height += noteLineAdvancePx(line, fontIndex, measure);
        }
        if (width + kNoteMarginPx < clientRight && height + kNoteMarginPx < clientBottom) {
            chosen = fontIndex;
        }
    }
    return chosen;
}

}  // namespace tomaro
