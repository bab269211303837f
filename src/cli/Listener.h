#pragma once

#include <QStringList>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/CliOptions.h"

namespace tomaro {

class Profile;

// The entry of the window's device list (0 no device, 1..n `inputNames`, n + 1 "WAVE MAPPER")
// that `--device NAME` names, or the stored device when no name is given. A stored device that
// is gone, or "no device", listens to the system's default input; a name given on the command
// line that is not in the list gives no entry.
std::optional<int> listenDeviceEntry(const QStringList& inputNames,
                                     const std::optional<std::string>& requested,
                                     const std::string& stored);

// Installs, once for the whole process, the SIGINT and SIGTERM handlers that stop --listen:
// main() calls it as soon as --listen is known, before anything slow, so that a signal at any
// moment ends the listening with status 0. When the orderly stop (closing the stream) has not
// finished 0.6 s after the signal, as when the sound server is stalled, the process ends at once
// with the listening's status.
void installListenStopSignals();

// tomaro-analyze --listen: opens the input device as the window does and reads strikes through
// the window's Tuner, printing each (a readable line, or a JSON object with t_trigger_s and
// t_reading_s) as soon as it is read, standard output flushed after each. Runs an event loop: a
// QCoreApplication must exist. Stops after --strikes readings or on SIGINT or SIGTERM (status
// 0); a device that cannot be opened or is lost prints the "wave ошибка" text on `err` (status 1).
// The user's profile is only read.
int runListener(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err);

}  // namespace tomaro
