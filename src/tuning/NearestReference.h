#pragma once

#include "kit/Kit.h"
#include "settings/Profile.h"
#include "tuning/ReferenceSwitches.h"

namespace tomaro {

// The overtone transfer mode, `m_GarmTransVar` in section "CMainDlg": 0 off, 1 a strike matched
// to an overtone reference is read as the fundamental that goes with that overtone.
inline constexpr const char* kOvertoneTransferSection = "CMainDlg";
inline constexpr const char* kOvertoneTransferKey = "m_GarmTransVar";
bool loadOvertoneTransfer(const Profile& profile);  // default off

// Frequencies the read-out accepts, bounds excluded.
inline constexpr double kMinReadoutHz = 20.0;
inline constexpr double kMaxReadoutHz = 2000.0;
inline constexpr double kNoReferenceHz = -1e10;
constexpr bool isReadoutFrequency(double hz) { return hz > kMinReadoutHz && hz < kMaxReadoutHz; }

// The reference nearest to a measured frequency.
struct NearestReference {
    int drum = -1;             // kit position; -1 for none or for the free reference
    int kind = -1;             // -1 none, else kFundamental, kBatterOvertone or kResonantOvertone
    double displayedHz = 0.0;  // the measured frequency, or its fundamental (transfer)
    double referenceHz = kNoReferenceHz;  // kNoReferenceHz when nothing matched
};

// Searches the free reference, then the shown drums in kit order and their switched-on kinds in
// kind order; the strictly nearest wins, so on a tie the one met first stays. When neither the
// free reference nor a shown drum offers a candidate, all drums are searched the same way. With
// the transfer on, a match on an overtone is carried to the drum's fundamental: displayedHz
// becomes measured * fundamental / overtone, and the result the fundamental reference.
// A measured frequency outside 20 < f < 2000 Hz (NaN included) matches nothing.
NearestReference findNearestReference(double measuredHz, const Kit& kit,
                                      const ReferenceSwitches& switches, bool overtoneTransfer);

}  // namespace tomaro
