#include "analysis/AnalysisSettings.h"

#include <algorithm>
#include <tuple>

#include "analysis/Window.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kOptions = "Options";
constexpr const char* kMainDlg = "CMainDlg";

// The rules of the two range fields: each held to [20, 2000] Hz, swapped when F1 < F0.
std::pair<int, int> fieldRange(int f0, int f1) {
    f0 = std::clamp(f0, AnalysisSettings::kRangeMinHz, AnalysisSettings::kRangeMaxHz);
    f1 = std::clamp(f1, AnalysisSettings::kRangeMinHz, AnalysisSettings::kRangeMaxHz);
    if (f1 < f0) std::swap(f0, f1);
    return {f0, f1};
}

}  // namespace

AnalysisSettings::AnalysisSettings(Profile& profile) : m_Profile(profile) { reload(); }

void AnalysisSettings::reload() {
    m_WinVar = m_Profile.readInt(kOptions, "m_WinVar", kDefaultWindowKind);
    m_UseAproExp = m_Profile.readInt(kMainDlg, "m_UseAproExp", 1) != 0;
    std::tie(m_FindF0, m_FindF1) =
        fieldRange(m_Profile.readInt(kOptions, "m_FindF0", kDefaultFindF0),
                   m_Profile.readInt(kOptions, "m_FindF1", kDefaultFindF1));
}

void AnalysisSettings::setWindowKind(int kind) {
    m_WinVar = kind;
    m_Profile.writeInt(kOptions, "m_WinVar", kind);
}

void AnalysisSettings::setDecayAccounting(bool on) {
    m_UseAproExp = on;
    m_Profile.writeInt(kMainDlg, "m_UseAproExp", on ? 1 : 0);
}

std::pair<int, int> AnalysisSettings::searchRangeChanged(int f0, int f1) {
    std::tie(f0, f1) = fieldRange(f0, f1);
    m_FindF0 = f0;
    m_FindF1 = f1;
    m_Profile.writeInt(kOptions, "m_FindF0", f0);
    m_Profile.writeInt(kOptions, "m_FindF1", f1);
    return {f0, f1};
}

void AnalysisSettings::restoreDefaults() {
    setWindowKind(kDefaultWindowKind);
    setDecayAccounting(true);
    searchRangeChanged(kDefaultFindF0, kDefaultFindF1);
}

}  // namespace tomaro
