#pragma once

#include "settings/Profile.h"

namespace tomaro::drumsizes {

// The diameters of the snare and the kick, which the kit's types do not give (a tom's type is its
// diameter). Kept in the settings beside the kit (section "CDlgPresets"), never in a kit file.
// 0: not given, and the usual ranges of a 14" snare and a 22" kick apply. User-interface thread
// for load and save; the values themselves are plain.
struct ShellSizes {
    static constexpr const char* kSnareKey = "m_SnareInches";
    static constexpr const char* kKickKey = "m_KickInches";
    // What can be given, inches.
    static constexpr int kSnareMin = 10;
    static constexpr int kSnareMax = 16;
    static constexpr int kKickMin = 16;
    static constexpr int kKickMax = 28;

    int snareInch = 0;
    int kickInch = 0;

    // A stored value outside its bounds reads as not given.
    static ShellSizes load(const Profile& profile);
    void save(Profile& profile) const;
};

}  // namespace tomaro::drumsizes
