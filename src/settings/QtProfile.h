#pragma once

#include <QSettings>

#include "settings/Profile.h"

namespace tomaro {

// The user's profile in the system's settings store: organisation "Harnwick", application
// "Tomaro", every section a group below "Tomaro1_5_demo2". On Linux this is
// $XDG_CONFIG_HOME/Harnwick/Tomaro.conf; on Windows the registry key
// Software\Harnwick\Tomaro\Tomaro1_5_demo2\<section>\<key>, where earlier versions kept it.
// Every write is synced at once. A string that is not valid UTF-8 (a file name in another
// encoding) is stored as bytes and read back unchanged. User-interface thread only.
class QtProfile : public Profile {
public:
    QtProfile();

    int readInt(std::string_view section, std::string_view key, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void writeInt(std::string_view section, std::string_view key, int value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;

    QString fileName() const { return m_Settings.fileName(); }

private:
    mutable QSettings m_Settings;
};

}  // namespace tomaro
