#include "history/HistoryTypes.h"

#include <cmath>

#include "base/Cents.h"

namespace tomaro::history {

Struck struckOf(DrumHead head) { return head == DrumHead::Batter ? Struck::Batter : Struck::Reso; }

std::optional<DrumHead> headOf(Struck struck) {
    switch (struck) {
        case Struck::Batter:
            return DrumHead::Batter;
        case Struck::Reso:
            return DrumHead::Resonant;
        case Struck::Drum:
        case Struck::Centre:
            break;
    }
    return std::nullopt;
}

const char* struckCode(Struck struck) {
    if (const std::optional<DrumHead> head = headOf(struck)) return headCode(*head);
    return struck == Struck::Centre ? "centre" : "drum";
}

bool parseStruck(const std::string& code, Struck& struck) {
    for (Struck candidate : {Struck::Drum, Struck::Centre, Struck::Batter, Struck::Reso}) {
        if (code == struckCode(candidate)) {
            struck = candidate;
            return true;
        }
    }
    return false;
}

double HeadPass::meanHz() const {
    double sum = 0.0;
    int measured = 0;
    for (double hz : rodHz) {
        if (hz > 0.0) {
            sum += hz;
            ++measured;
        }
    }
    return measured > 0 ? sum / measured : 0.0;
}

const HeadPass* SnapshotDrum::head(Struck which) const {
    for (const HeadPass& pass : heads) {
        if (pass.head == which) return &pass;
    }
    return nullptr;
}

const SnapshotDrum* Snapshot::drum(const std::string& name) const {
    for (const SnapshotDrum& entry : drums) {
        if (entry.drum == name) return &entry;
    }
    return nullptr;
}

namespace {

// `toTimeMs`: when the later reading was taken (0: unknown); `sinceMs`: the earlier state's time.
void addLine(std::vector<DriftLine>& lines, const std::string& drum, Struck struck, int lug,
             double fromHz, double toHz, std::int64_t toTimeMs, std::int64_t sinceMs) {
    if (fromHz <= 0.0 && toHz <= 0.0) return;
    DriftLine line{drum, struck, lug, fromHz, toHz, std::nullopt, true};
    if (fromHz > 0.0 && toHz > 0.0) {
        line.measuredSince = toTimeMs == 0 || toTimeMs > sinceMs;
        if (line.measuredSince) line.cents = centsBetween(fromHz, toHz);
    }
    lines.push_back(line);
}

std::int64_t rodTime(const HeadPass* pass, std::size_t rod) {
    if (!pass) return 0;
    return rod < pass->rodTimeMs.size() ? pass->rodTimeMs[rod] : pass->timeMs;
}

void compareDrum(std::vector<DriftLine>& lines, const std::string& name, const SnapshotDrum* from,
                 const SnapshotDrum* to, std::int64_t sinceMs) {
    const auto strikeHz = [](const SnapshotDrum* drum) {
        return drum && drum->strike ? drum->strike->frequencyHz : 0.0;
    };
    addLine(lines, name, Struck::Drum, 0, strikeHz(from), strikeHz(to),
            to && to->strike ? to->strike->timeMs : 0, sinceMs);
    for (Struck head : {Struck::Batter, Struck::Reso}) {
        const HeadPass* a = from ? from->head(head) : nullptr;
        const HeadPass* b = to ? to->head(head) : nullptr;
        const std::size_t rods = std::max(a ? a->rodHz.size() : 0, b ? b->rodHz.size() : 0);
        for (std::size_t rod = 0; rod < rods; ++rod) {
            // A head counted with other rods then than now has no rod to compare rod by rod.
            const bool sameCount = a && b && a->rodHz.size() == b->rodHz.size();
            const double aHz = a && rod < a->rodHz.size() ? a->rodHz[rod] : 0.0;
            const double bHz = b && rod < b->rodHz.size() ? b->rodHz[rod] : 0.0;
            const int lug = static_cast<int>(rod) + 1;
            if (sameCount || !a || !b) {
                addLine(lines, name, head, lug, aHz, bHz, rodTime(b, rod), sinceMs);
            } else {
                addLine(lines, name, head, lug, aHz, 0.0, 0, sinceMs);
                addLine(lines, name, head, lug, 0.0, bHz, rodTime(b, rod), sinceMs);
            }
        }
    }
}

}  // namespace

std::vector<DriftLine> compare(const Snapshot& from, const Snapshot& to) {
    std::vector<DriftLine> lines;
    for (const SnapshotDrum& drum : from.drums)
        compareDrum(lines, drum.drum, &drum, to.drum(drum.drum), from.info.timeMs);
    for (const SnapshotDrum& drum : to.drums) {
        if (!from.drum(drum.drum)) compareDrum(lines, drum.drum, nullptr, &drum, from.info.timeMs);
    }
    return lines;
}

}  // namespace tomaro::history
