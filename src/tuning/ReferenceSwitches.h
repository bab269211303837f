#pragma once

#include "settings/Profile.h"

namespace tomaro {

// Which kinds of reference the read-out shows and searches: the check boxes "Основной тон",
// "Ударный" and "Резонансный" of the main window, stored as `m_IsUseEto_F0`, `m_IsUseEto_M1` and
// `m_IsUseEto_M2` (0/1) in section "Options". The two overtone switches are never on together.
// User-interface thread only.
struct ReferenceSwitches {
    static constexpr const char* kSection = "Options";
    static constexpr const char* kFundamentalKey = "m_IsUseEto_F0";
    static constexpr const char* kBatterKey = "m_IsUseEto_M1";
    static constexpr const char* kResonantKey = "m_IsUseEto_M2";

    bool fundamental = true;  // default on, so a fresh installation shows the drums' notes
    bool batter = false;
    bool resonant = false;

    // Reads the three values (defaults 1, 0, 0) as stored; keepOvertonesExclusive() mends a pair
    // that is on together.
    static ReferenceSwitches load(const Profile& profile);
    void store(Profile& profile) const;

    // Switch of reference kind 0 (fundamental), 1 (batter) or 2 (resonant).
    bool isOn(int kind) const;
    bool allOff() const { return !fundamental && !batter && !resonant; }

    // The click handlers: turning one overtone switch on turns the other off.
    void setBatter(bool on);
    void setResonant(bool on);
    // With both overtone switches on, the resonant one is cleared.
    void keepOvertonesExclusive();
};

}  // namespace tomaro
