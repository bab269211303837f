#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliOptions.h"

namespace tomaro {

// tomaro-analyze --history, --snapshots and --snapshot NAME: the tuning history at `path`,
// opened read-only (never created, moved or written), printed as lines or, with --json, one JSON
// object per line. Returns kExitAnalysed, kExitRefused with the reason on `err` when the history
// cannot be read or has no snapshot of that name, kExitWriteFailed when the output fails.
int runHistoryCommand(const std::string& path, const CliOptions& options, std::ostream& out,
                      std::ostream& err);

}  // namespace tomaro
