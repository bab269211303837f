#include "display/TuningReading.h"

#include <algorithm>
#include <cmath>

#include "display/ReadoutText.h"
#include "display/ReferenceSwitches.h"
#include "kit/Kit.h"
#include "kit/Notes.h"
#include "settings/Profile.h"

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

TuningReading tuningReading(double measuredHz, const Kit& kit, const ReferenceSwitches& switches,
                            int tunedDrum, double toleranceCents) {
    TuningReading reading;
    if (!isReadoutFrequency(measuredHz)) return reading;
    reading.valid = true;
    reading.measuredHz = measuredHz;
    reading.note = readout::noteText(measuredHz, false, kit.latinNames());
    const double semitones = 12.0 * std::log2(measuredHz / (440.0 * std::exp2(-9.0 / 12.0)));
    const int note = static_cast<int>(std::floor(semitones + 0.5)) + 12000;
    reading.noteName = std::string(notes::pitchClassName(note % 12, kit.latinNames()));
    reading.octave = note / 12 - (kit.latinNames() ? 996 : 999);

    if (tunedDrum >= 0 && tunedDrum < kit.count()) {
        double bestDistance = INFINITY;
        for (int kind = 0; kind < kReferenceKindCount; ++kind) {
            const double hz = kit.referenceHz(tunedDrum, kind);
            if (hz <= 0.0) continue;
            const double distance = std::abs(std::log2(measuredHz / hz));
            if (distance < bestDistance) {
                bestDistance = distance;
                reading.targetHz = hz;
                reading.drum = tunedDrum;
                reading.kind = kind;
            }
        }
    } else {
        const NearestReference nearest = findNearestReference(measuredHz, kit, switches, false);
        if (nearest.referenceHz > 0.0) {
            reading.targetHz = nearest.referenceHz;
            reading.drum = nearest.drum;
            reading.kind = nearest.kind;
        }
    }
    if (reading.targetHz > 0.0) {
        reading.cents = 1200.0 * std::log2(measuredHz / reading.targetHz);
    } else {
        // Hundredths of a semitone from the nearest note, as the read-out's note text gives them.
        reading.cents = (semitones - std::floor(semitones + 0.5)) * 100.0;
    }
    reading.advice = adviceFor(reading.cents, toleranceCents);
    return reading;
}

}  // namespace tomaro
