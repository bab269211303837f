#pragma once

#include <string>

namespace tomaro {

class Profile;

// The open dialog's memory, section "OPEN": the folder last used ("GetOpenFileName_PATH") and the
// file name last chosen ("GetOpenFileName_NAME", default "12345.wav"). Both hold the file system's
// bytes, which need not be UTF-8; the window converts them for display with QFile::decodeName.
struct OpenFileState {
    std::string folder;
    std::string name;

    // `defaultFolder` stands for a folder never chosen (the user's music folder, say).
    static OpenFileState load(const Profile& profile, const std::string& defaultFolder);
    // Splits a chosen path at its last separator and stores both parts.
    static void remember(Profile& profile, const std::string& path);
    // The folder joined with the name, as the dialog's starting point.
    std::string initialPath() const;
};

}  // namespace tomaro
