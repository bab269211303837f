#pragma once

#include <utility>

namespace tomaro {

class Profile;

// The user's analysis choices, read from the profile with their defaults and written back at
// once when the user changes them:
//   window kind        `m_WinVar`      section "Options"   default 1 ("Гаусс 1/e")
//   decay accounting   `m_UseAproExp`  section "CMainDlg"  default 1 ("Учёт затухания" on)
//   search range, Hz   `m_FindF0`      section "Options"   default 30
//                      `m_FindF1`      section "Options"   default 500
// A hand-edited profile may hold anything: the stored range is read by the rules of the range
// fields (each bound held to [20, 2000] Hz, swapped when F1 < F0) without writing it back, and
// the analysis makes every other value safe to use. User-interface thread only. The profile must
// outlive this object.
class AnalysisSettings {
public:
    static constexpr int kDefaultFindF0 = 30;
    static constexpr int kDefaultFindF1 = 500;
    static constexpr int kRangeMinHz = 20;  // bounds of the search range fields
    static constexpr int kRangeMaxHz = 2000;

    explicit AnalysisSettings(Profile& profile);

    // Reads every value again from the profile.
    void reload();

    int windowKind() const { return m_WinVar; }
    bool decayAccounting() const { return m_UseAproExp; }
    int findF0() const { return m_FindF0; }
    int findF1() const { return m_FindF1; }

    // Window combo box changed: stores the index as it is and writes `m_WinVar`.
    void setWindowKind(int kind);
    // "Учёт затухания" toggled: writes `m_UseAproExp` (1 or 0).
    void setDecayAccounting(bool on);
    // Either search range field changed: clamps both values to [20, 2000] Hz, swaps them when
    // F1 < F0, stores and writes both, and returns the pair to show in the two fields.
    std::pair<int, int> searchRangeChanged(int f0, int f1);
    // "Настройки анализа по умолчанию": window kind 1, decay accounting on, 30..500 Hz, all
    // stored at once.
    void restoreDefaults();

private:
    Profile& m_Profile;
    int m_WinVar = 1;
    bool m_UseAproExp = true;
    int m_FindF0 = kDefaultFindF0;
    int m_FindF1 = kDefaultFindF1;
};

}  // namespace tomaro
