#include "tuning/TuningReading.h"

#include <algorithm>
#include <cmath>

#include "base/Cents.h"
#include "kit/Kit.h"
#include "kit/Notes.h"
#include "settings/Language.h"
#include "settings/Profile.h"
#include "tuning/ReadoutText.h"
#include "tuning/ReferenceSwitches.h"

namespace tomaro {

TuneAdvice adviceFor(double cents, double toleranceCents) {
    if (!std::isfinite(cents)) return TuneAdvice::None;
    if (cents < -toleranceCents) return TuneAdvice::Tighten;
    if (cents > toleranceCents) return TuneAdvice::Loosen;
    return TuneAdvice::Ok;
}

namespace tuningstore {

std::string loadDrumName(const Profile& profile) {
    return profile.readString(kSection, "Drum", "");
}

void saveDrumName(Profile& profile, const std::string& name) {
    profile.writeString(kSection, "Drum", name);
}

int loadTolerance(const Profile& profile) {
    return std::clamp(profile.readInt(kSection, "ToleranceCents", kDefaultToleranceCents), 1, 50);
}

void saveTolerance(Profile& profile, int cents) {
    profile.writeInt(kSection, "ToleranceCents", std::clamp(cents, 1, 50));
}

}  // namespace tuningstore

TuningReading readingAgainst(double measuredHz, double targetHz, bool latinNames,
                             double toleranceCents) {
    TuningReading reading;
    if (!isReadoutFrequency(measuredHz)) return reading;
    // In English the notes are Latin whatever the kit says, as in the read-out.
    latinNames = latinNames || inEnglish();
    reading.valid = true;
    reading.measuredHz = measuredHz;
    reading.note = readout::noteText(measuredHz, false, latinNames);
    const double semitones = 12.0 * std::log2(measuredHz / (440.0 * std::exp2(-9.0 / 12.0)));
    const int note = static_cast<int>(std::floor(semitones + 0.5)) + 12000;
    reading.noteName = std::string(notes::pitchClassName(note % 12, latinNames));
    reading.octave = note / 12 - (latinNames ? 996 : 999);
    reading.targetHz = targetHz > 0.0 ? targetHz : 0.0;
    if (reading.targetHz > 0.0) {
        reading.cents = centsBetween(reading.targetHz, measuredHz);
    } else {
        // Hundredths of a semitone from the nearest note, as the read-out's note text gives them.
        reading.cents = (semitones - std::floor(semitones + 0.5)) * 100.0;
    }
    reading.advice = adviceFor(reading.cents, toleranceCents);
    return reading;
}

TuningReading rodReading(int rod, double rodHz, double referenceHz, double deviationCents,
                         TuneAdvice advice, bool latinNames, double toleranceCents) {
    TuningReading reading = readingAgainst(rodHz, referenceHz, latinNames, toleranceCents);
    if (!reading.valid) return reading;
    reading.rod = rod;
    reading.advice = advice;
    reading.adviceCents = std::abs(deviationCents);
    return reading;
}

TuningReading tuningReading(double measuredHz, const Kit& kit, const ReferenceSwitches& switches,
                            int tunedDrum, double toleranceCents) {
    if (!isReadoutFrequency(measuredHz)) return {};
    double targetHz = 0.0;
    int drum = -1;
    int kind = -1;
    if (tunedDrum >= 0 && tunedDrum < kit.count()) {
        double bestDistance = INFINITY;
        for (int candidate = 0; candidate < kReferenceKindCount; ++candidate) {
            const double hz = kit.referenceHz(tunedDrum, candidate);
            if (hz <= 0.0) continue;
            const double distance = std::abs(std::log2(measuredHz / hz));
            if (distance < bestDistance) {
                bestDistance = distance;
                targetHz = hz;
                drum = tunedDrum;
                kind = candidate;
            }
        }
    } else {
        const NearestReference nearest = findNearestReference(measuredHz, kit, switches, false);
        if (nearest.referenceHz > 0.0) {
            targetHz = nearest.referenceHz;
            drum = nearest.drum;
            kind = nearest.kind;
        }
    }
    TuningReading reading = readingAgainst(measuredHz, targetHz, kit.latinNames(), toleranceCents);
    reading.drum = drum;
    reading.kind = kind;
    return reading;
}

}  // namespace tomaro
