#include "display/Readout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "display/ReadoutText.h"
#include "kit/NumberFormat.h"

namespace tomaro {
namespace {

constexpr std::array<const char*, kReferenceKindCount> kKindPrefixes = {"", "обер Пл1 ",
                                                                        "обер Пл2 "};

}  // namespace

Readout::Readout(std::size_t capacity) : m_Capacity(std::max<std::size_t>(capacity, 3)) {
    m_Lines.reserve(m_Capacity);
}

void Readout::update(double measuredHz, const Kit& kit, const ReferenceSwitches& switches,
                     bool overtoneTransfer) {
    bool haveStrike = isReadoutFrequency(measuredHz);
    m_Nearest = findNearestReference(measuredHz, kit, switches, overtoneTransfer);
    const double singleHz = kit.singleReferenceHz();
    const bool latin = kit.latinNames();

    // Frequencies above the spacer, note texts below it.
    std::vector<ReadoutLine> frequencies;
    std::vector<ReadoutLine> notes;
    if (haveStrike) {
        std::string text = readout::numberText(m_Nearest.displayedHz) + " Гц";
        if (m_Nearest.displayedHz != measuredHz) text += " из " + readout::numberText(measuredHz);
        frequencies.push_back({text, kTextBlack});
        notes.push_back({readout::noteText(m_Nearest.displayedHz, true, latin), kTextBlack});
    }
    bool anyReference = false;
    if (singleHz != 0.0) {
        frequencies.push_back(
            {readout::numberText(singleHz) + " Гц эталон", kSingleReferenceColor});
        notes.push_back(
            {readout::noteText(singleHz, true, latin) + " эталон", kSingleReferenceColor});
        anyReference = true;
    }
    for (int kind = 0; kind < kReferenceKindCount; ++kind) {
        if (!switches.isOn(kind)) continue;
        for (int drum = 0; drum < kit.count(); ++drum) {
            bool isNearest = drum == m_Nearest.drum && kind == m_Nearest.kind;
            if (!kit.isShown(drum) && !isNearest) continue;
            double referenceHz = kit.referenceHz(drum, kind);
            if (referenceHz == 0.0) continue;
            std::string owner = std::string(kKindPrefixes[kind]) + kit.drumName(drum);
            Rgb color = drumColor(drum, kit.count());
            frequencies.push_back({readout::numberText(referenceHz) + " Гц для " + owner, color});
            notes.push_back(
                {readout::noteText(referenceHz, kind != kFundamental, latin) + " для " + owner,
                 color});
            anyReference = true;
        }
    }
    if (!anyReference) {
        std::string message;
        if (switches.allOff()) {
            message = "Включите отображение эталонов: основного тона или обертонов";
        } else if (kit.count() != 0) {
            message = "Не выбраны для отображения эталонные частоты!";
        } else {
            message = "Не заданы эталонные частоты!";
        }
        frequencies.push_back({message, kWarningRed});
    }

    // Over capacity, drop from the end of the longer half; each half keeps its first line.
    std::size_t budget = m_Capacity - 1;
    while (frequencies.size() + notes.size() > budget) {
        if (frequencies.size() >= notes.size()) {
            frequencies.pop_back();
        } else {
            notes.pop_back();
        }
    }

    m_Lines.clear();
    m_Lines.insert(m_Lines.end(), frequencies.begin(), frequencies.end());
    m_Lines.push_back({"", kTextBlack});
    m_Lines.insert(m_Lines.end(), notes.begin(), notes.end());
}

std::string Readout::nearestSummary(const Kit& kit) const {
    if (m_Nearest.kind < 0 || !(m_Nearest.referenceHz > 0.0)) return {};
    std::string text = "Ближайший эталон: " + readout::numberText(m_Nearest.referenceHz) + " Гц";
    if (m_Nearest.drum >= 0 && m_Nearest.drum < kit.count()) {
        text += " для " + std::string(kKindPrefixes[m_Nearest.kind]) + kit.drumName(m_Nearest.drum);
    } else {
        text += " эталон";
    }
    const double hundredths = 1200.0 * std::log2(m_Nearest.displayedHz / m_Nearest.referenceHz);
    return text + ", " + numbers::signedWhole(hundredths) + " %";
}

std::string referencesButtonCaption(const Kit& kit, const ReferenceSwitches& switches) {
    std::string caption = "Эталоны";
    bool any = false;
    auto add = [&](double hz) {
        caption += any ? ", " : " ";
        caption += readout::numberText(hz);
        any = true;
    };
    if (kit.singleReferenceHz() > 0.0) add(kit.singleReferenceHz());
    for (int kind = 0; kind < kReferenceKindCount; ++kind) {
        if (!switches.isOn(kind)) continue;
        for (int drum = 0; drum < kit.count(); ++drum) {
            if (!kit.isShown(drum)) continue;
            double referenceHz = kit.referenceHz(drum, kind);
            if (kind == kFundamental || referenceHz != 0.0) add(referenceHz);
        }
    }
    if (any) {
        caption += " Гц";
    } else if (switches.allOff()) {
        caption += " - включите отображение ниже";
    } else if (kit.count() != 0) {
        caption += " - выбирете отображаемые барабаны";
    } else {
        caption += " - нажмите, чтобы настроить";
    }
    return caption;
}

std::string updateReferencesButton(ReferenceSwitches& switches, const Kit& kit, Profile& profile) {
    switches.keepOvertonesExclusive();
    switches.store(profile);
    return referencesButtonCaption(kit, switches);
}

}  // namespace tomaro
