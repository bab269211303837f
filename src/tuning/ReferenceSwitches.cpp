#include "tuning/ReferenceSwitches.h"

#include "kit/Kit.h"

namespace tomaro {

ReferenceSwitches ReferenceSwitches::load(const Profile& profile) {
    ReferenceSwitches switches;
    switches.fundamental = profile.readInt(kSection, kFundamentalKey, 1) != 0;
    switches.batter = profile.readInt(kSection, kBatterKey, 0) != 0;
    switches.resonant = profile.readInt(kSection, kResonantKey, 0) != 0;
    return switches;
}

void ReferenceSwitches::store(Profile& profile) const {
    profile.writeInt(kSection, kFundamentalKey, fundamental ? 1 : 0);
    profile.writeInt(kSection, kBatterKey, batter ? 1 : 0);
    profile.writeInt(kSection, kResonantKey, resonant ? 1 : 0);
}

bool ReferenceSwitches::isOn(int kind) const {
    switch (kind) {
        case kFundamental:
            return fundamental;
        case kBatterOvertone:
            return batter;
        case kResonantOvertone:
            return resonant;
        default:
            return false;
    }
}

void ReferenceSwitches::setBatter(bool on) {
    batter = on;
    if (on) resonant = false;
}

void ReferenceSwitches::setResonant(bool on) {
    resonant = on;
    if (on) batter = false;
}

void ReferenceSwitches::keepOvertonesExclusive() {
    if (batter && resonant) resonant = false;
}

}  // namespace tomaro
