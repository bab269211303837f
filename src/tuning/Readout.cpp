#include "tuning/Readout.h"

#include <algorithm>
#include <cmath>

#include "base/Cents.h"
#include "kit/NumberFormat.h"
#include "settings/Language.h"
#include "tuning/ReadoutText.h"

namespace tomaro {
namespace {

const char* hertz() { return pick(" Гц", " Hz"); }

const char* percentSign() { return pick(" %", " ¢"); }

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
        std::string text = readout::numberText(m_Nearest.displayedHz) + hertz();
        if (m_Nearest.displayedHz != measuredHz) {
            text += pick(" из ", " from ") + readout::numberText(measuredHz);
        }
        frequencies.push_back({text, kTextBlack});
        notes.push_back({readout::noteText(m_Nearest.displayedHz, true, latin), kTextBlack});
    }
    bool anyReference = false;
    if (singleHz != 0.0) {
        frequencies.push_back(
            {readout::numberText(singleHz) + hertz() + pick(" эталон", " reference"),
             kSingleReferenceColor});
        notes.push_back({readout::noteText(singleHz, true, latin) + pick(" эталон", " reference"),
                         kSingleReferenceColor});
        anyReference = true;
    }
    for (int kind = 0; kind < kReferenceKindCount; ++kind) {
        if (!switches.isOn(kind)) continue;
        for (int drum = 0; drum < kit.count(); ++drum) {
            bool isNearest = drum == m_Nearest.drum && kind == m_Nearest.kind;
            if (!kit.isShown(drum) && !isNearest) continue;
            double referenceHz = kit.referenceHz(drum, kind);
            if (referenceHz == 0.0) continue;
            std::string owner = readout::referenceOwner(kind, kit.drumName(drum));
            Rgb color = drumColor(drum, kit.count());
            const char* forOwner = pick(" для ", " for ");
            frequencies.push_back(
                {readout::numberText(referenceHz) + hertz() + forOwner + owner, color});
            notes.push_back(
                {readout::noteText(referenceHz, kind != kFundamental, latin) + forOwner + owner,
                 color});
            anyReference = true;
        }
    }
    if (!anyReference) {
        std::string message;
        if (switches.allOff()) {
            message = pick("Включите отображение эталонов: основного тона или обертонов",
                           "Switch on the display of references: the fundamental or overtones");
        } else if (kit.count() != 0) {
            message = pick("Не выбраны для отображения эталонные частоты!",
                           "No reference frequencies are chosen for display!");
        } else {
            message = pick("Не заданы эталонные частоты!", "No reference frequencies are set!");
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
    std::string text = pick("Ближайший эталон: ", "Nearest reference: ") +
                       readout::numberText(m_Nearest.referenceHz) + hertz();
    if (m_Nearest.drum >= 0 && m_Nearest.drum < kit.count()) {
        text += pick(" для ", " for ") +
                readout::referenceOwner(m_Nearest.kind, kit.drumName(m_Nearest.drum));
    } else {
        text += pick(" эталон", " reference");
    }
    const double hundredths = centsBetween(m_Nearest.referenceHz, m_Nearest.displayedHz);
    return text + ", " + numbers::signedWhole(hundredths) + percentSign();
}

std::string referencesButtonCaption(const Kit& kit, const ReferenceSwitches& switches) {
    std::string caption = pick("Эталоны", "References");
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
        caption += hertz();
    } else if (switches.allOff()) {
        caption += pick(" - включите отображение ниже", " - switch on the display below");
    } else if (kit.count() != 0) {
        caption += pick(" - выбирете отображаемые барабаны", " - choose the drums to show");
    } else {
        caption += pick(" - нажмите, чтобы настроить", " - click to set up");
    }
    return caption;
}

std::string updateReferencesButton(ReferenceSwitches& switches, const Kit& kit, Profile& profile) {
    switches.keepOvertonesExclusive();
    switches.store(profile);
    return referencesButtonCaption(kit, switches);
}

}  // namespace tomaro
