#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/UserMessage.h"

namespace tomaro {

// The per-user profile: integers and strings by section and key. Sections are "CMainDlg",
// "Options", "OPEN", "CDlgPresets" and "CDlgBaraSelect"; keys carry the name of the value they
// feed (m_Porog, m_WinVar, ...). Keys and strings are UTF-8 and may hold Cyrillic text.
//
// A value is read when needed with its default and written back at once when the user changes
// it; implementations make every write durable before returning, so a crash loses nothing.
// User-interface thread only.
class Profile {
public:
    virtual ~Profile() = default;

    virtual int readInt(std::string_view section, std::string_view key, int defaultValue) const = 0;
    virtual std::string readString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const = 0;
    virtual void writeInt(std::string_view section, std::string_view key, int value) = 0;
    virtual void writeString(std::string_view section, std::string_view key,
                             std::string_view value) = 0;

    // A problem with the store that the user must hear of (caption "Tomaro", a warning: the
    // program goes on with what it could read); nothing when there is none. Each problem is
    // reported once.
    virtual std::optional<UserMessage> takeNotice() { return std::nullopt; }
};

}  // namespace tomaro
