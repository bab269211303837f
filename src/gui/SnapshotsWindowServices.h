#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "base/UserMessage.h"

class QWidget;

namespace tomaro {

// The modal pieces of the snapshots window, replaceable so that tests never block on them. Empty
// members are filled with the standard dialogs by withDefaults(). User-interface thread only.
struct SnapshotsWindowServices {
    // What the drummer chose for a new snapshot.
    struct SnapshotChoice {
        QString name;
        // Readings from sound files opened while exploring count as the drums' tuning.
        bool withFileStrikes = false;
    };

    // Asks for a new snapshot's name (starting from `initial`) and whether readings from
    // files go in (off at first); nullopt when cancelled.
    std::function<std::optional<SnapshotChoice>(QWidget* parent, const QString& initial)>
        askSnapshot;
    // Asks for a text; nullopt when cancelled.
    std::function<std::optional<QString>(QWidget* parent, const QString& title,
                                         const QString& label, const QString& initial)>
        askText;
    // Asks where to save; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& initial,
                          const QString& filters)>
        chooseSaveFile;
    // Asks yes or no.
    std::function<bool(QWidget* parent, const QString& text)> confirm;
    // Says something went wrong (showUserMessage).
    std::function<void(QWidget* parent, const UserMessage& message)> warn;

    static SnapshotsWindowServices withDefaults(SnapshotsWindowServices services);
};

}  // namespace tomaro
