#include "kit/Kit.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "kit/DrumTypes.h"
#include "kit/KitSelection.h"
#include "kit/Notes.h"
#include "kit/NumberFormat.h"

namespace tomaro {

namespace overtones {

bool isCoefficient(double value) { return value > 0.05 && value < 10.0; }
bool isFrequency(double value) { return value > 20.0 && value < 2000.0; }

double referenceHz(double value, double fundamentalHz) {
    if (isFrequency(value)) return value;
    if (isCoefficient(value)) return value * fundamentalHz;
    return 0.0;
}

int toStored(double value) {
    double thousandths = value * 1000.0;
    if (!std::isfinite(thousandths)) return 0;
    // A typed 1.001 is 1000.9999999999999 thousandths; plain truncation would lose one at every
    // save. Only a rounding error this small is forgiven, so real fractions still truncate.
    double nearest = std::round(thousandths);
    double tolerance = 1e-12 * std::max(1.0, std::fabs(thousandths));
    double whole =
        std::fabs(thousandths - nearest) <= tolerance ? nearest : std::trunc(thousandths);
    if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max()) {
        return 0;
    }
    return static_cast<int>(whole);
}

double fromStored(int thousandths) { return thousandths / 1000.0; }

double quantized(double value) { return fromStored(toStored(value)); }

}  // namespace overtones

namespace {

int clampNote(int note) { return std::clamp(note, notes::kMinNote, notes::kMaxNote); }

}  // namespace

std::string Kit::noteKey(int type) { return drums::typeKey(type) + "_m_Notas"; }
std::string Kit::shownKey(int type) { return drums::typeKey(type) + "_m_IsShows"; }
std::string Kit::overtone1Key(int type) { return drums::typeKey(type) + "m_Ober1"; }
std::string Kit::overtone2Key(int type) { return drums::typeKey(type) + "m_Ober2"; }

void Kit::load(const Profile& profile) {
    KitSelection selection = KitSelection::load(profile);
    m_LatinNames = profile.readInt(kSection, kLatinNamesKey, 0) != 0;
    m_IntervalsFromPrevious = profile.readInt(kSection, kIntervalModeKey, 0) != 0;
    m_ReferenceDrumName = profile.readString(kSection, kReferenceDrumKey, "10\"");
    setSingleReferenceText(profile.readString(kSection, kSingleReferenceKey, ""));

    m_Drums.clear();
    for (int type = 0; type < drums::kTypeCount; ++type) {
        if (!selection.isPresent(type)) continue;
        KitDrum drum;
        drum.type = type;
        drum.note = clampNote(profile.readInt(kSection, noteKey(type), drums::defaultNote(type)));
        drum.shown = profile.readInt(kSection, shownKey(type), 1) != 0;
        drum.overtone1 = overtones::fromStored(profile.readInt(kSection, overtone1Key(type), 0));
        drum.overtone2 = overtones::fromStored(profile.readInt(kSection, overtone2Key(type), 0));
        m_Drums.push_back(drum);
    }
}

void Kit::save(Profile& profile) const {
    for (const KitDrum& drum : m_Drums) {
        profile.writeInt(kSection, noteKey(drum.type), drum.note);
        profile.writeInt(kSection, shownKey(drum.type), drum.shown ? 1 : 0);
        profile.writeInt(kSection, overtone1Key(drum.type), overtones::toStored(drum.overtone1));
        profile.writeInt(kSection, overtone2Key(drum.type), overtones::toStored(drum.overtone2));
    }
    profile.writeString(kSection, kSingleReferenceKey, m_SingleReferenceText);
}

void Kit::assign(std::vector<KitDrum> drums) {
    if (drums.size() > static_cast<std::size_t>(kMaxDrums)) drums.resize(kMaxDrums);
    m_Drums = std::move(drums);
    for (KitDrum& drum : m_Drums) {
        drum.note = clampNote(drum.note);
        drum.overtone1 = overtones::quantized(drum.overtone1);
        drum.overtone2 = overtones::quantized(drum.overtone2);
    }
}

const KitDrum& Kit::drum(int position) const {
    assert(position >= 0 && position < count());
    return m_Drums[static_cast<std::size_t>(position)];
}

std::string Kit::drumName(int position) const { return drums::typeName(drum(position).type); }

double Kit::noteFrequencyHz(int position) const { return notes::frequencyHz(drum(position).note); }

double Kit::referenceHz(int position, int kind) const {
    const KitDrum& d = drum(position);
    double fundamentalHz = notes::frequencyHz(d.note);
    switch (kind) {
        case kFundamental:
            return fundamentalHz;
        case kBatterOvertone:
            return overtones::referenceHz(d.overtone1, fundamentalHz);
        case kResonantOvertone:
            return overtones::referenceHz(d.overtone2, fundamentalHz);
        default:
            return 0.0;
    }
}

int Kit::referencePosition() const {
    for (int position = 0; position < count(); ++position) {
        if (drumName(position) == m_ReferenceDrumName) return position;
    }
    return 0;
}

void Kit::setNote(int position, int note) {
    if (position >= 0 && position < count()) m_Drums[position].note = clampNote(note);
}

void Kit::setShown(int position, bool shown) {
    if (position >= 0 && position < count()) m_Drums[position].shown = shown;
}

void Kit::setOvertones(int position, double overtone1, double overtone2) {
    if (position < 0 || position >= count()) return;
    m_Drums[position].overtone1 = overtone1;
    m_Drums[position].overtone2 = overtone2;
}

void Kit::setSingleReferenceText(std::string_view text) {
    std::string normalized(text);
    std::replace(normalized.begin(), normalized.end(), ',', '.');
    double frequencyHz = numbers::leadingNumber(normalized);
    if (frequencyHz > 20.0 && frequencyHz < 2000.0) {
        m_SingleReferenceHz = frequencyHz;
        m_SingleReferenceText = std::move(normalized);
    } else {
        m_SingleReferenceHz = 0.0;
        m_SingleReferenceText.clear();
    }
}

}  // namespace tomaro
