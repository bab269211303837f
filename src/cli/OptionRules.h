#pragma once

#include <string>

#include "cli/CliOptions.h"

namespace tomaro {

// The modes of tomaro-analyze and which options go with which: --listen takes no files, --lugs
// no more files than rods, --history, --snapshots and --snapshot one at a time and without files,
// and so on. Empty when `options` make one run, else why not (English, for the usage error
// message); the first rule broken is named. Pure; any thread.
std::string optionRulesBroken(const CliOptions& options);

}  // namespace tomaro
