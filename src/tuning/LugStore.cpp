#include "tuning/LugStore.h"

#include <algorithm>

#include "analysis/AnalysisSettings.h"
#include "kit/DrumTypes.h"
#include "settings/Profile.h"

namespace tomaro {

namespace lugstore {
namespace {

// Without a drum chosen the session keeps its count and readings under "Any".
std::string drumKey(int drumType) { return drumType >= 0 ? drums::typeKey(drumType) : "Any"; }

}  // namespace

LugOrder loadOrder(const Profile& profile) {
    return profile.readInt(kSection, "Order", 0) == 1 ? LugOrder::Clockwise : LugOrder::Star;
}

void saveOrder(Profile& profile, LugOrder order) {
    profile.writeInt(kSection, "Order", order == LugOrder::Clockwise ? 1 : 0);
}

DrumHead loadHead(const Profile& profile) {
    return profile.readInt(kSection, "Head", 0) == 1 ? DrumHead::Resonant : DrumHead::Batter;
}

void saveHead(Profile& profile, DrumHead head) {
    profile.writeInt(kSection, "Head", head == DrumHead::Resonant ? 1 : 0);
}

FrequencyBand loadSearchRange(const Profile& profile) {
    int f0 = profile.readInt(kSection, "SearchF0", LugSession::kDefaultSearchF0Hz);
    int f1 = profile.readInt(kSection, "SearchF1", LugSession::kDefaultSearchF1Hz);
    f0 = std::clamp(f0, AnalysisSettings::kRangeMinHz, AnalysisSettings::kRangeMaxHz);
    f1 = std::clamp(f1, AnalysisSettings::kRangeMinHz, AnalysisSettings::kRangeMaxHz);
    if (f1 < f0) std::swap(f0, f1);
    if (f0 < f1) return {double(f0), double(f1)};
    return {LugSession::kDefaultSearchF0Hz, LugSession::kDefaultSearchF1Hz};
}

int loadCount(const Profile& profile, int drumType) {
    const int count = profile.readInt(kSection, drumKey(drumType) + "_Count",
                                      drumType >= 0 ? lugs::defaultCount(drumType) : 8);
    return std::clamp(count, lugs::kMinCount, lugs::kMaxCount);
}

void saveCount(Profile& profile, int drumType, int count) {
    profile.writeInt(kSection, drumKey(drumType) + "_Count", count);
}

std::string loadReadings(const Profile& profile, int drumType, DrumHead head) {
    return profile.readString(kSection, drumKey(drumType) + "_" + lugs::headCode(head), "");
}

void saveReadings(Profile& profile, int drumType, DrumHead head, const std::string& text) {
    profile.writeString(kSection, drumKey(drumType) + "_" + lugs::headCode(head), text);
}

std::string loadPrevious(const Profile& profile, int drumType, DrumHead head) {
    return profile.readString(kSection, drumKey(drumType) + "_" + lugs::headCode(head) + "_prev",
                              "");
}

void savePrevious(Profile& profile, int drumType, DrumHead head, const std::string& text) {
    profile.writeString(kSection, drumKey(drumType) + "_" + lugs::headCode(head) + "_prev", text);
}

}  // namespace lugstore

}  // namespace tomaro
