#pragma once

namespace tomaro::presets {

// Grid columns of the references dialog, shared by the heading strip and the rows, so that both
// line up. Gaps are columns of their own (the grids have no spacing), so each gap can have its
// own width and the row backgrounds run unbroken from edge to edge; kFill takes any spare width.
enum Column {
    kPadLeft,
    kDrumColumn,
    kGapBeforeNote,
    kNoteColumn,
    kGapBeforeNoteSpin,
    kNoteSpinColumn,
    kGapBeforeFrequency,
    kFrequencyColumn,
    kGapBeforeInterval,
    kIntervalColumn,
    kGapBeforeShown,
    kShownColumn,
    kGapBeforeOvertone1,
    kOvertone1Column,
    kGapBeforeOvertone2,
    kOvertone2Column,
    kGapBeforeMenu,
    kMenuColumn,
    kPadRight,
    kFill,
    kColumnCount
};

// Width in px of a padding or gap column; 0 for the columns that hold controls.
constexpr int gapWidth(int column) {
    switch (column) {
        case kPadLeft:
        case kPadRight:
            return 8;
        case kGapBeforeNoteSpin:
            return 4;
        case kGapBeforeOvertone2:
        case kGapBeforeMenu:
            return 6;
        case kGapBeforeNote:
        case kGapBeforeFrequency:
        case kGapBeforeInterval:
        case kGapBeforeShown:
        case kGapBeforeOvertone1:
            return 14;
        default:
            return 0;
    }
}

}  // namespace tomaro::presets
