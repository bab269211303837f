#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"

namespace tomaro {

// One option of tomaro-analyze: its name, how many values follow it, and how they are stored.
// `apply` returns false with `error` set (English, for the usage error message) when a value is
// not acceptable. A new option is one new field in CliOptions and one entry in the table.
struct OptionEntry {
    std::string_view name;
    int valueCount;
    std::string_view valueNames;  // for the help text, e.g. "F0 F1"
    std::string_view help;
    bool (*apply)(CliOptions& options, std::span<const std::string> values, std::string& error);
};

// Every option, in the order the help lists them. Constant; any thread.
std::span<const OptionEntry> optionTable();

// The entry of `name` ("--window"), null when there is none.
const OptionEntry* findOption(std::string_view name);

}  // namespace tomaro
