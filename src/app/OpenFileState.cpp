#include "app/OpenFileState.h"

#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kSection = "OPEN";
constexpr const char* kPathKey = "GetOpenFileName_PATH";
constexpr const char* kNameKey = "GetOpenFileName_NAME";

}  // namespace

OpenFileState OpenFileState::load(const Profile& profile, const std::string& defaultFolder) {
    return {profile.readString(kSection, kPathKey, defaultFolder),
            profile.readString(kSection, kNameKey, "12345.wav")};
}

void OpenFileState::remember(Profile& profile, const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        profile.writeString(kSection, kNameKey, path);
        return;
    }
    profile.writeString(kSection, kPathKey, path.substr(0, separator));
    profile.writeString(kSection, kNameKey, path.substr(separator + 1));
}

std::string OpenFileState::initialPath() const {
    if (folder.empty()) return name;
    return folder + "/" + name;
}

}  // namespace tomaro
