#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "kit/Kit.h"
#include "settings/Profile.h"
#include "tuning/Color.h"
#include "tuning/NearestReference.h"
#include "tuning/ReferenceSwitches.h"

namespace tomaro {

// One line of the read-out; an empty text is a spacer drawn half as high as a line of text.
struct ReadoutLine {
    std::string text;
    Rgb color;

    bool operator==(const ReadoutLine&) const = default;
};

// The read-out after each strike: the nearest reference and the coloured lines the large-note
// window shows, in order: the measured frequency, the free reference, the reference frequencies
// of the shown drums (and of the nearest drum), a red message when there is no reference to show,
// a spacer, then the note texts of the strike and of those references. The nearest reference is
// also what the spectrum plot marks. User-interface thread only.
class Readout {
public:
    static constexpr std::size_t kMaxLines = 200;

    // capacity: most lines kept; when more would be made, drum lines are dropped from the end of
    // the longer half first, so the strike's frequency and note lines stay (capacity >= 3).
    explicit Readout(std::size_t capacity = kMaxLines);

    // Recomputes everything for a measured frequency in Hz; a value outside 20 < f < 2000 (0 for
    // "no strike yet") gives no frequency and note lines, the reference lines still show.
    void update(double measuredHz, const Kit& kit, const ReferenceSwitches& switches,
                bool overtoneTransfer);

    const std::vector<ReadoutLine>& lines() const { return m_Lines; }
    const NearestReference& nearest() const { return m_Nearest; }

    // The nearest reference in one line, with the distance of the displayed frequency from it in
    // hundredths of a semitone: "Ближайший эталон: 174.8 Гц для обер Пл1 12\", +13 %", or
    // "... 116 Гц эталон, +2 %" for the free reference; empty when nothing matched. `kit` is the
    // kit of the last update().
    std::string nearestSummary(const Kit& kit) const;

private:
    std::size_t m_Capacity;
    std::vector<ReadoutLine> m_Lines;
    NearestReference m_Nearest;
};

// The caption of the references button: "Эталоны" followed by the free reference and the
// switched-on references of the shown drums (" 220, 330 Гц"), or by a hint when there are none:
// " - включите отображение ниже" (all switches off), " - выбирете отображаемые барабаны" (the kit
// has drums), " - нажмите, чтобы настроить".
std::string referencesButtonCaption(const Kit& kit, const ReferenceSwitches& switches);

// The caption update of the main window: makes the overtone switches exclusive, stores the three
// switches and returns the caption. The window then sets its check boxes from `switches`.
std::string updateReferencesButton(ReferenceSwitches& switches, const Kit& kit, Profile& profile);

}  // namespace tomaro
