#pragma once

#include <string>

namespace tomaro {

class Profile;

// Where a file dialog keeps its memory in section "OPEN": the key of the folder last used, the
// key of the file name last chosen, and the name offered before any choice.
struct FileDialogKeys {
    const char* folderKey;
    const char* nameKey;
    const char* defaultName;
};

// The open command ("Открыть WAV...").
inline constexpr FileDialogKeys kOpenWavKeys{"GetOpenFileName_PATH", "GetOpenFileName_NAME",
                                             "12345.wav"};
// The sound import ("Импорт звука..."): a memory of its own, so that the two commands may work in
// different folders.
inline constexpr FileDialogKeys kImportSoundKeys{"ImportSound_PATH", "ImportSound_NAME", ""};

// The open dialog's memory, section "OPEN": the folder last used ("GetOpenFileName_PATH") and the
// file name last chosen ("GetOpenFileName_NAME", default "12345.wav"), or other keys. Both hold
// the file system's bytes, which need not be UTF-8; the window converts them for display with
// QFile::decodeName.
struct OpenFileState {
    std::string folder;
    std::string name;

    // `defaultFolder` stands for a folder never chosen (the user's music folder, say).
    static OpenFileState load(const Profile& profile, const std::string& defaultFolder,
                              const FileDialogKeys& keys = kOpenWavKeys);
    // Splits a chosen path at its last separator and stores both parts.
    static void remember(Profile& profile, const std::string& path,
                         const FileDialogKeys& keys = kOpenWavKeys);
    // The folder joined with the name, as the dialog's starting point (the folder alone when no
    // name is known).
    std::string initialPath() const;
};

}  // namespace tomaro
