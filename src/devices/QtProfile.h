#pragma once

#include <QHash>
#include <QSettings>
#include <memory>

#include "settings/Profile.h"

namespace tomaro {

// The user's profile in the system's settings store: organisation "Harnwick", application
// "Tomaro", every section a group below "Tomaro1_5_demo2". On Linux this is
// $XDG_CONFIG_HOME/Harnwick/Tomaro.conf; on Windows the registry key
// Software\Harnwick\Tomaro\Tomaro1_5_demo2\<section>\<key>, where earlier versions kept it.
//
// The settings library rewrites the whole file on every change, so a write of the value already
// stored is skipped: a session without changes leaves the file's bytes and date alone. A file the
// library cannot read cleanly (a format error, a value it cannot decode, or fewer keys than the
// file has "key=value" lines, as when an unbalanced quote folds the following lines into one
// value) would lose what it did not understand at the first write; before that write it is copied
// beside itself as "Tomaro.conf.broken-<yyyy-MM-dd>". If that copy cannot be made, nothing is
// written to the file. Every write is synced at once. A string that is not valid UTF-8 (a file
// name in another encoding) is stored as bytes and read back unchanged.
//
// The file is read as a kit file is: only a regular file of at most 1 MB, opened without
// blocking. Anything else (a folder, a named pipe, a device such as /dev/zero, an unreadable file)
// is never handed to the settings library: the defaults serve, changes last for the session, and
// the notice says so. When changes cannot be written (the file or its folder immutable or
// read-only) the notice says that too, once, and where. User-interface thread only.
class QtProfile : public Profile {
public:
    QtProfile();
    ~QtProfile() override;

    int readInt(std::string_view section, std::string_view key, int defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override;
    void writeInt(std::string_view section, std::string_view key, int value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;
    // For a damaged file: keeps its copy now and says where, once.
    std::optional<UserMessage> takeNotice() override;

    QString fileName() const { return m_FileName; }

private:
    QVariant value(const QString& key) const;
    void write(const QString& key, const QVariant& value);
    bool keepDamagedCopy();

    QString m_FileName;
    // Null when the file is unusable; the session's changes are then kept in m_SessionValues.
    std::unique_ptr<QSettings> m_Settings;
    QHash<QString, QVariant> m_SessionValues;
    bool m_Unusable = false;  // the file is not one the settings library may read
    bool m_Unsaved = false;   // changes cannot be written to the file
    bool m_Damaged = false;
    bool m_DamageToTell = false;  // the file was damaged when read and the user was not told yet //
                                  // the file did not read cleanly and was not rewritten since
    bool m_CopyFailed = false;
    bool m_NoticeDue = false;  // something the user must hear of was not told yet
    QString m_CopyPath;
};

}  // namespace tomaro
