#pragma once

#include "settings/MemoryProfile.h"
#include "settings/Profile.h"

namespace tomaro {

// A profile that reads through to another one but keeps every write to itself: values written
// here shadow the underlying ones and the underlying profile is never changed. tomaro-analyze
// lays its command-line choices over the user's settings this way.
class OverlayProfile : public Profile {
public:
    explicit OverlayProfile(const Profile& base) : m_Base(base) {}

    int readInt(std::string_view section, std::string_view key, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void writeInt(std::string_view section, std::string_view key, int value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;

private:
    const Profile& m_Base;
    MemoryProfile m_Written;
};

}  // namespace tomaro
