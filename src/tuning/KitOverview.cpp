#include "tuning/KitOverview.h"

#include <cmath>

#include "base/Cents.h"
#include "kit/Notes.h"
#include "tuning/LugSession.h"

namespace tomaro::overview {

HeadSide headSide(const history::HeadPass* pass) {
    HeadSide side;
    if (pass == nullptr || pass->lugCount < lugs::kMinCount || pass->lugCount > lugs::kMaxCount) {
        return side;
    }
    LugSession session;
    session.reset(pass->lugCount, LugOrder::Star);
    for (std::size_t i = 0; i < pass->rodHz.size() && i < std::size_t(pass->lugCount); ++i) {
        if (pass->rodHz[i] > 0.0) session.setReading(static_cast<int>(i) + 1, pass->rodHz[i]);
    }
    side.rods = pass->lugCount;
    side.measured = session.measuredCount();
    side.meanHz = session.head().meanHz;
    side.splitCents = side.measured >= 2 ? session.splitCents() : 0.0;
    return side;
}

TwoHeads twoHeads(const history::Snapshot& state, const std::string& drumName) {
    TwoHeads heads;
    const history::SnapshotDrum* drum = state.drum(drumName);
    if (drum == nullptr) return heads;
    heads.batter = headSide(drum->head(history::Struck::Batter));
    heads.reso = headSide(drum->head(history::Struck::Reso));
    heads.interval = kitplan::intervalBetween(heads.batter.meanHz, heads.reso.meanHz);
    if (drum->strike) heads.fundamentalHz = drum->strike->frequencyHz;
    return heads;
}

double pitchBendCents(std::span<const PitchPoint> points) {
    const PitchPoint* first = nullptr;
    const PitchPoint* last = nullptr;
    for (const PitchPoint& point : points) {
        if (!point.valid || !(point.frequencyHz > 0.0)) continue;
        if (first == nullptr) first = &point;
        last = &point;
    }
    if (first == nullptr || first == last) return 0.0;
    return centsBetween(first->frequencyHz, last->frequencyHz);
}

std::vector<KitRow> kitRows(const Kit& kit, const history::Snapshot& state) {
    std::vector<KitRow> rows;
    for (const int position : kitplan::sizeOrder(kit)) {
        KitRow row;
        row.position = position;
        row.note = kit.drum(position).note;
        if (const history::SnapshotDrum* drum = state.drum(kit.drumName(position))) {
            if (drum->strike) row.fundamentalHz = drum->strike->frequencyHz;
        }
        if (!rows.empty()) {
            const KitRow& above = rows.back();
            row.hasNeighbour = true;
            row.plannedSemitones = above.note - row.note;
            row.measured = kitplan::intervalBetween(row.fundamentalHz, above.fundamentalHz);
            if (row.measured.valid) {
                row.deviationCents = row.measured.cents - 100.0 * row.plannedSemitones;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace tomaro::overview
