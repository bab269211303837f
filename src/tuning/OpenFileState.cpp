#include "tuning/OpenFileState.h"

#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kSection = "OPEN";

}  // namespace

OpenFileState OpenFileState::load(const Profile& profile, const std::string& defaultFolder,
                                  const FileDialogKeys& keys) {
    return {profile.readString(kSection, keys.folderKey, defaultFolder),
            profile.readString(kSection, keys.nameKey, keys.defaultName)};
}

void OpenFileState::remember(Profile& profile, const std::string& path,
                             const FileDialogKeys& keys) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        profile.writeString(kSection, keys.nameKey, path);
        return;
    }
    profile.writeString(kSection, keys.folderKey, path.substr(0, separator));
    profile.writeString(kSection, keys.nameKey, path.substr(separator + 1));
}

std::string OpenFileState::initialPath() const {
    if (folder.empty()) return name;
    if (name.empty()) return folder;
    return folder + "/" + name;
}

}  // namespace tomaro
