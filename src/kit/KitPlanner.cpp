#include "kit/KitPlanner.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "base/Cents.h"
#include "kit/DrumTypes.h"
#include "kit/Notes.h"
#include "settings/Language.h"

namespace tomaro::kitplan {

namespace {

// The interval name of 1..12 semitones without the leading ", " notes::intervalName puts there.
std::string bareIntervalName(int semitones) {
    std::string_view name = notes::intervalName(semitones);
    if (name.starts_with(", ")) name.remove_prefix(2);
    return std::string(name);
}

std::string octavesText(int octaves) {
    if (octaves == 1) return pick("октава", "octave");
    const char* word = octaves <= 4 ? pick("октавы", "octaves") : pick("октав", "octaves");
    return std::to_string(octaves) + " " + word;
}

std::string signedCents(double cents) {
    const long rounded = std::lround(cents);
    return (rounded > 0 ? "+" : "") + std::to_string(rounded) + " ¢";
}

}  // namespace

Interval intervalBetween(double fromHz, double toHz) {
    Interval interval;
    if (!(fromHz > 0.0) || !(toHz > 0.0) || !std::isfinite(fromHz) || !std::isfinite(toHz)) {
        return interval;
    }
    interval.valid = true;
    interval.cents = centsBetween(fromHz, toHz);
    interval.semitones = static_cast<int>(std::lround(interval.cents / 100.0));
    interval.restCents = interval.cents - 100.0 * interval.semitones;
    return interval;
}

std::string intervalNameText(int semitones) {
    const int magnitude = std::abs(semitones);
    if (magnitude == 0) return pick("унисон", "unison");
    if (magnitude <= 12) return bareIntervalName(magnitude);
    const int octaves = magnitude / 12;
    const int rest = magnitude % 12;
    if (rest == 0) return octavesText(octaves);
    return octavesText(octaves) + " + " + bareIntervalName(rest);
}

std::string semitonesText(int semitones) {
    const long long magnitude = std::llabs(static_cast<long long>(semitones));
    const long long lastTwo = magnitude % 100;
    const long long last = magnitude % 10;
    const char* russian = "полутонов";
    if (last == 1 && lastTwo != 11) {
        russian = "полутон";
    } else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
        russian = "полутона";
    }
    return std::to_string(semitones) + " " +
           pick(russian, magnitude == 1 ? "semitone" : "semitones");
}

std::string intervalText(const Interval& interval) {
    if (!interval.valid) return "—";
    const std::string sign = interval.semitones > 0 ? "+" : "";
    return sign + semitonesText(interval.semitones) + " (" + intervalNameText(interval.semitones) +
           ") " + signedCents(interval.restCents);
}

std::optional<int> parseNote(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    if (first >= 'A' && first <= 'G') {
        static constexpr int kClasses[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
        int pitchClass = kClasses[first - 'A'];
        std::size_t i = 1;
        if (i < text.size() && text[i] == '#') {
            ++pitchClass;
            ++i;
        } else if (i < text.size() && text[i] == 'b') {
            --pitchClass;
            ++i;
        }
        const std::string_view octaveText = text.substr(i);
        bool negative = false;
        std::size_t j = 0;
        if (j < octaveText.size() && octaveText[j] == '-') {
            negative = true;
            ++j;
        }
        if (j >= octaveText.size() || octaveText.size() - j > 2) return std::nullopt;
        int octave = 0;
        for (; j < octaveText.size(); ++j) {
            if (!std::isdigit(static_cast<unsigned char>(octaveText[j]))) return std::nullopt;
            octave = octave * 10 + (octaveText[j] - '0');
        }
        if (negative) octave = -octave;
        const int note = (octave - 4) * 12 + pitchClass;
        if (note < notes::kMinNote || note > notes::kMaxNote) return std::nullopt;
        return note;
    }
    std::string number(text);
    std::replace(number.begin(), number.end(), ',', '.');
    for (const std::string_view unit : {"Hz", "hz", "Гц"}) {
        if (number.ends_with(unit)) number.resize(number.size() - unit.size());
    }
    while (!number.empty() && number.back() == ' ') number.pop_back();
    if (number.empty()) return std::nullopt;
    char* end = nullptr;
    const double hz = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !(hz > 0.0) || !std::isfinite(hz)) {
        return std::nullopt;
    }
    const double note = 9.0 + 12.0 * std::log2(hz / 440.0);
    if (note < notes::kMinNote - 0.5 || note > notes::kMaxNote + 0.5) return std::nullopt;
    return static_cast<int>(std::lround(note));
}

std::string scientificName(int note) {
    static constexpr const char* kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                               "F#", "G",  "G#", "A",  "A#", "B"};
    const int pitchClass = ((note % 12) + 12) % 12;
    const int octave = 4 + (note - pitchClass) / 12;
    return std::string(kNames[pitchClass]) + std::to_string(octave);
}

const char* schemeCode(Scheme scheme) {
    switch (scheme) {
        case Scheme::Fourths:
            return "fourths";
        case Scheme::MajorThirds:
            return "major-thirds";
        case Scheme::MinorThirds:
            return "minor-thirds";
        case Scheme::Custom:
            return "custom";
    }
    return "fourths";
}

bool parseScheme(std::string_view text, Scheme& scheme, std::vector<int>& steps) {
    steps.clear();
    if (text == "fourths") {
        scheme = Scheme::Fourths;
        return true;
    }
    if (text == "major-thirds") {
        scheme = Scheme::MajorThirds;
        return true;
    }
    if (text == "minor-thirds") {
        scheme = Scheme::MinorThirds;
        return true;
    }
    // "5,4,3": every step a whole number of semitones, 1..24.
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        if (item.empty() || item.size() > 2) return false;
        int value = 0;
        for (const char c : item) {
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 24) return false;
        steps.push_back(value);
        start = comma + 1;
    }
    scheme = Scheme::Custom;
    return !steps.empty();
}

bool KitPlan::anyOutOfRange() const {
    return std::any_of(drums.begin(), drums.end(),
                       [](const PlannedDrum& drum) { return !drum.inRange; });
}

std::vector<int> schemeSteps(const PlanRequest& request) {
    switch (request.scheme) {
        case Scheme::Fourths:
            return {5};
        case Scheme::MajorThirds:
            return {4};
        case Scheme::MinorThirds:
            return {3};
        case Scheme::Custom:
            break;
    }
    return request.customSteps.empty() ? std::vector<int>{5} : request.customSteps;
}

// Size order: the snare (type 0) first, the toms by type (a larger type is a larger tom), the
// kick (type 19) last: exactly ascending type.
std::vector<int> sizeOrder(const Kit& kit) {
    std::vector<int> positions;
    for (int position = 0; position < kit.count(); ++position) positions.push_back(position);
    std::stable_sort(positions.begin(), positions.end(),
                     [&kit](int a, int b) { return kit.drum(a).type < kit.drum(b).type; });
    return positions;
}

KitPlan planKit(const Kit& kit, const PlanRequest& request) {
    KitPlan plan;
    plan.scheme = request.scheme;
    const std::vector<int> steps = schemeSteps(request);
    const auto stepAt = [&steps](std::size_t i) { return steps[std::min(i, steps.size() - 1)]; };
    const std::vector<int> order = sizeOrder(kit);
    for (const int position : order) {
        PlannedDrum drum;
        drum.position = position;
        drum.type = kit.drum(position).type;
        drum.note = kit.drum(position).note;
        plan.drums.push_back(drum);
    }
    // The drums that get a note, from the end the scheme starts at: the lowest first (kick when
    // included, then the toms from the largest) or, from the top, the highest first.
    std::vector<PlannedDrum*> chain;
    for (PlannedDrum& drum : plan.drums) {
        const bool tom = drum.type != drums::kSnare && drum.type != drums::kKick;
        if (tom || (drum.type == drums::kSnare && request.includeSnare) ||
            (drum.type == drums::kKick && request.includeKick)) {
            chain.push_back(&drum);
        }
    }
    if (!request.fromTop) std::reverse(chain.begin(), chain.end());
    // The start note belongs to the lowest (highest) tom: an included kick (snare) lies one step
    // beyond it.
    const bool startsBeyond =
        !chain.empty() && (request.fromTop ? chain.front()->type == drums::kSnare
                                           : chain.front()->type == drums::kKick);
    int note = request.startNote;
    const int direction = request.fromTop ? -1 : 1;
    std::size_t stepIndex = 0;
    if (startsBeyond && chain.size() > 1) note -= direction * stepAt(0);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i > 0) note += direction * stepAt(stepIndex++);
        // Held at the last note, two drums would share it: the drum is marked instead.
        if (note < notes::kMinNote || note > notes::kMaxNote) {
            chain[i]->beyondNotes = true;
            continue;
        }
        chain[i]->note = note;
        chain[i]->changed = true;
    }
    for (PlannedDrum& drum : plan.drums) {
        drum.frequencyHz = notes::frequencyHz(drum.note);
        drum.range = drumsizes::fundamentalRange(drum.type, request.sizes);
        drum.inRange = !drum.beyondNotes && drum.range.contains(drum.frequencyHz);
    }
    return plan;
}

bool KitPlan::leavesNotes() const {
    return std::any_of(drums.begin(), drums.end(),
                       [](const PlannedDrum& drum) { return drum.beyondNotes; });
}

std::vector<int> applyPlan(Kit& kit, const KitPlan& plan) {
    std::vector<int> before;
    if (plan.leavesNotes()) return before;
    for (int position = 0; position < kit.count(); ++position) {
        before.push_back(kit.drum(position).note);
    }
    for (const PlannedDrum& drum : plan.drums) {
        if (drum.changed && drum.position < kit.count()) kit.setNote(drum.position, drum.note);
    }
    return before;
}

void restoreNotes(Kit& kit, const std::vector<int>& notes) {
    if (static_cast<int>(notes.size()) != kit.count()) return;
    for (int position = 0; position < kit.count(); ++position) {
        kit.setNote(position, notes[position]);
    }
}

}  // namespace tomaro::kitplan
