#include "tuning/NearestReference.h"

#include <cmath>

namespace tomaro {

bool loadOvertoneTransfer(const Profile& profile) {
    return profile.readInt(kOvertoneTransferSection, kOvertoneTransferKey, 0) == 1;
}

NearestReference findNearestReference(double measuredHz, const Kit& kit,
                                      const ReferenceSwitches& switches, bool overtoneTransfer) {
    NearestReference nearest;
    nearest.displayedHz = measuredHz;
    if (!isReadoutFrequency(measuredHz)) return nearest;

    if (kit.singleReferenceHz() != 0.0) {
        nearest.referenceHz = kit.singleReferenceHz();
        nearest.kind = kFundamental;
    }
    auto search = [&](bool shownOnly) {
        for (int drum = 0; drum < kit.count(); ++drum) {
            if (shownOnly && !kit.isShown(drum)) continue;
            for (int kind = 0; kind < kReferenceKindCount; ++kind) {
                if (!switches.isOn(kind)) continue;
                double candidateHz = kit.referenceHz(drum, kind);
                if (candidateHz != 0.0 && std::fabs(measuredHz - candidateHz) <
                                              std::fabs(measuredHz - nearest.referenceHz)) {
                    nearest.referenceHz = candidateHz;
                    nearest.drum = drum;
                    nearest.kind = kind;
                }
            }
        }
    };
    search(true);
    if (nearest.kind == -1) search(false);

    if (overtoneTransfer && nearest.drum >= 0 && nearest.kind >= kBatterOvertone) {
        double fundamentalHz = kit.referenceHz(nearest.drum, kFundamental);
        nearest.displayedHz = measuredHz * fundamentalHz / nearest.referenceHz;
        nearest.kind = kFundamental;
        nearest.referenceHz = fundamentalHz;
    }
    return nearest;
}

}  // namespace tomaro
