#include "cli/OverlayProfile.h"

namespace tomaro {

int OverlayProfile::readInt(std::string_view section, std::string_view key,
                            int defaultValue) const {
    if (m_Written.contains(section, key)) return m_Written.readInt(section, key, defaultValue);
    return m_Base.readInt(section, key, defaultValue);
}

std::string OverlayProfile::readString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
    if (m_Written.contains(section, key)) return m_Written.readString(section, key, defaultValue);
    return m_Base.readString(section, key, defaultValue);
}

void OverlayProfile::writeInt(std::string_view section, std::string_view key, int value) {
    m_Written.writeInt(section, key, value);
}

void OverlayProfile::writeString(std::string_view section, std::string_view key,
                                 std::string_view value) {
    m_Written.writeString(section, key, value);
}

}  // namespace tomaro
