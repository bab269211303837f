#include "kit/KitEditor.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "kit/DrumTypes.h"
#include "kit/KitFile.h"
#include "kit/Notes.h"
#include "kit/NumberFormat.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

struct OvertonePair {
    double overtone1;
    double overtone2;
};

struct Preset {
    const char* text;
    const char* english;
    OvertonePair values;
};

constexpr std::array<Preset, 6> kPresets = {{
    {"Не использовать эталонные обертона", "Use no overtone references", {0.0, 0.0}},
    {"Барабан без резонансного пластика (2.3)", "Drum without a resonant head (2.3)", {2.3, 0.0}},
    {"Максимальный резонанс (1.75)", "Maximum resonance (1.75)", {1.75, 1.75}},
    {"Сильный резонанс (1.5 и 1.85)", "Strong resonance (1.5 and 1.85)", {1.5, 1.85}},
    {"Средний резонанс (1.4 и 2)", "Medium resonance (1.4 and 2)", {1.4, 2.0}},
    {"Слабый резонанс (1.2 и 2.3)", "Weak resonance (1.2 and 2.3)", {1.2, 2.3}},
}};

// Recommended overtone frequencies in Hz by note, starting at the first note of each range.
constexpr int kSnareFirstNote = -8;
constexpr std::array<OvertonePair, 7> kSnarePairs = {
    {{229, 343}, {240, 359}, {252, 378}, {266, 398}, {299, 398}, {318, 400}, {356, 400}}};
constexpr int kKickFirstNote = -36;
constexpr std::array<OvertonePair, 8> kKickPairs = {
    {{49, 74}, {52, 78}, {55, 82}, {58, 87}, {61, 91}, {64, 96}, {68, 101}, {71, 107}}};

template <std::size_t N>
std::optional<OvertonePair> pairFor(const std::array<OvertonePair, N>& pairs, int firstNote,
                                    int note) {
    int index = note - firstNote;
    if (index < 0 || index >= static_cast<int>(N)) return std::nullopt;
    return pairs[static_cast<std::size_t>(index)];
}

std::optional<OvertonePair> recommendedPair(const KitDrum& drum) {
    if (drum.type == drums::kSnare) return pairFor(kSnarePairs, kSnareFirstNote, drum.note);
    if (drum.type == drums::kKick) return pairFor(kKickPairs, kKickFirstNote, drum.note);
    return std::nullopt;
}

std::string overtoneEditText(double value, double fundamentalHz) {
    if (overtones::isCoefficient(value)) {
        return notes::trimmedText(value, 3) + "=" + notes::trimmedText(value * fundamentalHz, 2);
    }
    if (overtones::isFrequency(value)) return notes::trimmedText(value, 2);
    return {};
}

// A Hz value as a coefficient on the note frequency. A quotient outside the coefficient range
// would read as no reference, or even as a frequency, so such a value stays in Hz.
double toCoefficient(double value, double fundamentalHz) {
    if (!overtones::isFrequency(value)) return value;
    double coefficient = value / fundamentalHz;
    return overtones::isCoefficient(coefficient) ? coefficient : value;
}

}  // namespace

KitEditor::KitEditor(Kit& kit, Profile& profile) : m_Kit(kit), m_Profile(profile) {}

KitRowTexts KitEditor::rowTexts(int row) const {
    KitRowTexts texts;
    if (!isRow(row)) return texts;
    const KitDrum& drum = m_Kit.drum(row);
    double fundamentalHz = m_Kit.noteFrequencyHz(row);
    texts.drumName = drums::shownName(m_Kit.drumName(row));
    texts.isReference = row == m_Kit.referencePosition();
    texts.noteText = notes::name(drum.note, m_Kit.latinNames());
    texts.frequencyText = notes::frequencyText(drum.note);
    int interval = 0;
    if (m_Kit.intervalsFromPrevious()) {
        interval = row == 0 ? 0 : drum.note - m_Kit.drum(row - 1).note;
    } else {
        interval = drum.note - m_Kit.drum(m_Kit.referencePosition()).note;
    }
    texts.intervalText = notes::intervalText(interval);
    texts.shown = drum.shown;
    texts.overtone1Text = overtoneEditText(drum.overtone1, fundamentalHz);
    texts.overtone2Text = overtoneEditText(drum.overtone2, fundamentalHz);
    return texts;
}

std::string KitEditor::intervalHeading() const {
    return m_Kit.intervalsFromPrevious()
               ? pick("Полутонов от предыдущего", "Semitones from the previous")
               : pick("Полутонов от опорного", "Semitones from the base");
}

void KitEditor::chooseReferenceDrum(int row) {
    if (!isRow(row)) return;
    m_Kit.setReferenceDrumName(m_Kit.drumName(row));
    m_Profile.writeString(Kit::kSection, Kit::kReferenceDrumKey, m_Kit.referenceDrumName());
    notify();
}

void KitEditor::stepNote(int row, int steps) {
    if (!isRow(row)) return;
    // Steps come one or a few at a time; the clamp keeps the sum in range.
    steps = std::clamp(steps, -1000, 1000);
    if (row == m_Kit.referencePosition()) {
        for (int position = 0; position < m_Kit.count(); ++position) {
            m_Kit.setNote(position, m_Kit.drum(position).note + steps);
        }
    } else {
        m_Kit.setNote(row, m_Kit.drum(row).note + steps);
    }
    saveAndNotify();
}

void KitEditor::setShown(int row, bool shown) {
    if (!isRow(row)) return;
    m_Kit.setShown(row, shown);
    saveAndNotify();
}

double KitEditor::parseOvertoneText(std::string_view text) {
    std::string normalized(text);
    for (char& c : normalized) {
        if (c == '=') c = ' ';
        if (c == ',') c = '.';
    }
    double value = numbers::leadingNumber(normalized);
    return overtones::isCoefficient(value) || overtones::isFrequency(value) ? value : 0.0;
}

void KitEditor::applyOvertoneTexts(std::span<const OvertoneTexts> rows) {
    int count = std::min(m_Kit.count(), static_cast<int>(rows.size()));
    for (int row = 0; row < count; ++row) {
        const OvertoneTexts& texts = rows[static_cast<std::size_t>(row)];
        const KitDrum& drum = m_Kit.drum(row);
        double fundamentalHz = m_Kit.noteFrequencyHz(row);
        // An edit that still shows its value's text keeps the value: the text rounds Hz to
        // hundredths, and reading it back would change drums the user did not touch. An edit
        // showing nothing stands for none, whatever out-of-range value stood behind it.
        auto read = [fundamentalHz](const std::string& text, double value) {
            return !text.empty() && text == overtoneEditText(value, fundamentalHz)
                       ? value
                       : parseOvertoneText(text);
        };
        m_Kit.setOvertones(row, read(texts.overtone1, drum.overtone1),
                           read(texts.overtone2, drum.overtone2));
    }
    saveAndNotify();
}

std::vector<OvertoneMenuItem> KitEditor::overtoneMenu(int row) const {
    std::vector<OvertoneMenuItem> items;
    if (!isRow(row)) return items;
    const KitDrum& drum = m_Kit.drum(row);
    if (overtones::isFrequency(drum.overtone1) || overtones::isFrequency(drum.overtone2)) {
        items.push_back({pick("Частоту --> в коэффициент", "Frequency --> to coefficient"),
                         OvertoneMenuItem::Action::FrequencyToCoefficient, 0.0, 0.0});
    }
    for (const Preset& preset : kPresets) {
        items.push_back({pick(preset.text, preset.english), OvertoneMenuItem::Action::SetValues,
                         preset.values.overtone1, preset.values.overtone2});
    }
    if (auto pair = recommendedPair(drum)) {
        const char* hertz = pick(" Гц", " Hz");
        items.push_back({pick("Рекомендуется ", "Recommended ") +
                             numbers::fixed(pair->overtone1, 0) + hertz + ", " +
                             numbers::fixed(pair->overtone2, 0) + hertz,
                         OvertoneMenuItem::Action::SetValues, pair->overtone1, pair->overtone2});
    }
    return items;
}

void KitEditor::chooseOvertoneMenuItem(int row, const OvertoneMenuItem& item) {
    if (!isRow(row)) return;
    const KitDrum& drum = m_Kit.drum(row);
    if (item.action == OvertoneMenuItem::Action::FrequencyToCoefficient) {
        double fundamentalHz = m_Kit.noteFrequencyHz(row);
        m_Kit.setOvertones(row, toCoefficient(drum.overtone1, fundamentalHz),
                           toCoefficient(drum.overtone2, fundamentalHz));
    } else {
        m_Kit.setOvertones(row, item.overtone1, item.overtone2);
    }
    saveAndNotify();
}

void KitEditor::setLatinNames(bool latin) {
    m_Kit.setLatinNames(latin);
    m_Profile.writeInt(Kit::kSection, Kit::kLatinNamesKey, latin ? 1 : 0);
    notify();
}

void KitEditor::setIntervalsFromPrevious(bool fromPrevious) {
    m_Kit.setIntervalsFromPrevious(fromPrevious);
    m_Profile.writeInt(Kit::kSection, Kit::kIntervalModeKey, fromPrevious ? 1 : 0);
    notify();
}

std::optional<std::string> KitEditor::stepSingleReferenceText(std::string_view text, int steps) {
    std::string normalized(text);
    std::replace(normalized.begin(), normalized.end(), ',', '.');
    double frequencyHz = numbers::leadingNumber(normalized);
    if (!(frequencyHz > 0.0 && frequencyHz < 2000.0)) return std::nullopt;
    steps = std::clamp(steps, -1000, 1000);
    const double semitone = std::pow(2.0, 1.0 / 12.0);
    for (int step = 0; step < steps; ++step) frequencyHz *= semitone;
    for (int step = 0; step > steps; --step) frequencyHz /= semitone;
    return numbers::fixed(frequencyHz, 3);
}

void KitEditor::acceptSingleReference(bool enabled, std::string_view text) {
    m_Kit.setSingleReferenceText(enabled ? text : std::string_view());
    saveAndNotify();
}

void KitEditor::reload() {
    m_Kit.load(m_Profile);
    notify();
}

std::optional<UserMessage> KitEditor::saveKitFile(const std::filesystem::path& path) const {
    return KitFile::save(m_Kit, path);
}

std::optional<UserMessage> KitEditor::loadKitFile(const std::filesystem::path& path) {
    auto message = KitFile::load(path, m_Profile);
    if (!message) reload();
    return message;
}

void KitEditor::saveAndNotify() {
    m_Kit.save(m_Profile);
    notify();
}

void KitEditor::notify() {
    if (m_Observer) m_Observer();
}

}  // namespace tomaro
