#include "kit/ShellSizes.h"

#include "kit/Kit.h"

namespace tomaro::drumsizes {
namespace {

int within(int inches, int lo, int hi) { return inches >= lo && inches <= hi ? inches : 0; }

}  // namespace

ShellSizes ShellSizes::load(const Profile& profile) {
    ShellSizes sizes;
    sizes.snareInch = within(profile.readInt(Kit::kSection, kSnareKey, 0), kSnareMin, kSnareMax);
    sizes.kickInch = within(profile.readInt(Kit::kSection, kKickKey, 0), kKickMin, kKickMax);
    return sizes;
}

void ShellSizes::save(Profile& profile) const {
    profile.writeInt(Kit::kSection, kSnareKey, within(snareInch, kSnareMin, kSnareMax));
    profile.writeInt(Kit::kSection, kKickKey, within(kickInch, kKickMin, kKickMax));
}

}  // namespace tomaro::drumsizes
