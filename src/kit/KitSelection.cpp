#include "kit/KitSelection.h"

#include <string>

namespace tomaro {
namespace {

std::string flagKey(int type) { return "Bara_" + std::to_string(type); }

}  // namespace

KitSelection KitSelection::load(const Profile& profile) {
    KitSelection selection;
    for (int type = 0; type < drums::kTypeCount; ++type) {
        selection.m_Present[type] = profile.readInt(kSection, flagKey(type), 0) != 0;
    }
    if (selection.presentCount() == 0) selection.selectStandardSet();
    return selection;
}

void KitSelection::store(Profile& profile) const {
    for (int type = 0; type < drums::kTypeCount; ++type) {
        profile.writeInt(kSection, flagKey(type), m_Present[type] ? 1 : 0);
    }
}

bool KitSelection::isPresent(int type) const {
    return type >= 0 && type < drums::kTypeCount && m_Present[type];
}

void KitSelection::setPresent(int type, bool present) {
    if (type >= 0 && type < drums::kTypeCount) m_Present[type] = present;
}

void KitSelection::selectStandardSet() {
    for (int type = 0; type < drums::kTypeCount; ++type) {
        m_Present[type] = drums::isInStandardSet(type);
    }
}

int KitSelection::presentCount() const {
    int count = 0;
    for (bool present : m_Present) count += present ? 1 : 0;
    return count;
}

}  // namespace tomaro
