#include "cli/CliOptions.h"

#include "cli/OptionRules.h"
#include "cli/OptionTable.h"

namespace tomaro {

ParsedArguments parseArguments(std::span<const std::string> arguments) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            parsed.options.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            // With --heads "--" parts the two heads' taps; options may follow.
            if (parsed.options.heads && !parsed.options.filesBeforeSeparator) {
                parsed.options.filesBeforeSeparator = parsed.options.files.size();
            } else {
                optionsEnded = true;
            }
            continue;
        }
        const OptionEntry* entry = findOption(argument);
        if (entry == nullptr) {
            parsed.error = "unknown option '" + argument + "'";
            return parsed;
        }
        if (arguments.size() - i - 1 < static_cast<std::size_t>(entry->valueCount)) {
            parsed.error = argument + " needs " + std::string(entry->valueNames);
            return parsed;
        }
        if (!entry->apply(parsed.options, arguments.subspan(i + 1, entry->valueCount),
                          parsed.error)) {
            return parsed;
        }
        i += entry->valueCount;
    }
    parsed.error = optionRulesBroken(parsed.options);
    parsed.ok = parsed.error.empty();
    return parsed;
}

}  // namespace tomaro
