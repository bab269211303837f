#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tomaro {
namespace {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

// A finite decimal number; a decimal comma counts as a point.
bool parseNumber(std::string text, double& value) {
    for (char& c : text) {
        if (c == ',') c = '.';
    }
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty() && std::isfinite(value);
}

bool numberOption(std::optional<double>& field, const char* name,
                  std::span<const std::string> values, std::string& error) {
    double value = 0.0;
    if (!parseNumber(values[0], value)) {
        error = std::string(name) + " needs a number, not '" + values[0] + "'";
        return false;
    }
    field = value;
    return true;
}

constexpr std::array kOptions = {
    OptionSpec{"--window", 1, "0|1|2", "analysis window: 0 rectangular, 1 Gauss 1/e, 2 Gauss 1/e^3",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   int kind = -1;
                   if (!parseInt(v[0], kind) || kind < 0 || kind > 2) {
                       error = "--window takes 0, 1 or 2, not '" + v[0] + "'";
                       return false;
                   }
                   o.windowKind = kind;
                   return true;
               }},
    OptionSpec{"--decay", 1, "on|off", "fit the decay of the tone (more precise frequency)",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   if (v[0] != "on" && v[0] != "off") {
                       error = "--decay takes on or off, not '" + v[0] + "'";
                       return false;
                   }
                   o.decay = v[0] == "on";
                   return true;
               }},
    OptionSpec{"--range", 2, "F0 F1", "search the main tone between F0 and F1 Hz (20..2000)",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   int f0 = 0, f1 = 0;
                   if (!parseInt(v[0], f0) || !parseInt(v[1], f1)) {
                       error = "--range needs two whole numbers of Hz, not '" + v[0] + "' '" +
                               v[1] + "'";
                       return false;
                   }
                   o.rangeHz = std::make_pair(f0, f1);
                   return true;
               }},
    OptionSpec{"--delay", 1, "SEC", "start the analysed stretch SEC seconds after the strike",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   return numberOption(o.delaySec, "--delay", v, error);
               }},
    OptionSpec{"--length", 1, "SEC", "analyse SEC seconds (0.001..1)",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   return numberOption(o.lengthSec, "--length", v, error);
               }},
    OptionSpec{"--pick", 1, "HZ", "look for the peak nearest to HZ instead of the search range",
               [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                   if (!numberOption(o.pickHz, "--pick", v, error)) return false;
                   if (*o.pickHz <= 0.0) {
                       error = "--pick needs a frequency above 0 Hz";
                       return false;
                   }
                   return true;
               }},
    OptionSpec{"--latin", 0, "", "write texts in Latin letters (Hz instead of Гц)",
               [](CliOptions& o, std::span<const std::string>, std::string&) {
                   o.latin = true;
                   return true;
               }},
    OptionSpec{"--json", 0, "", "print one JSON object per file and line",
               [](CliOptions& o, std::span<const std::string>, std::string&) {
                   o.json = true;
                   return true;
               }},
    OptionSpec{"--help", 0, "", "show this help",
               [](CliOptions& o, std::span<const std::string>, std::string&) {
                   o.help = true;
                   return true;
               }},
};

}  // namespace

std::span<const OptionSpec> optionTable() { return kOptions; }

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
            optionsEnded = true;
            continue;
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& candidate : kOptions) {
            if (candidate.name == argument) spec = &candidate;
        }
        if (spec == nullptr) {
            parsed.error = "unknown option '" + argument + "'";
            return parsed;
        }
        if (arguments.size() - i - 1 < static_cast<std::size_t>(spec->valueCount)) {
            parsed.error = argument + " needs " + std::string(spec->valueNames);
            return parsed;
        }
        if (!spec->apply(parsed.options, arguments.subspan(i + 1, spec->valueCount),
                         parsed.error)) {
            return parsed;
        }
        i += spec->valueCount;
    }
    parsed.ok = true;
    return parsed;
}

std::string usageText() {
    std::string text =
        "Usage: tomaro-analyze [options] FILE.wav...\n"
        "Finds the main frequency of a drum strike stored in each WAV file, exactly as the\n"
        "Tomaro window does when it opens the file. Without options the analysis uses your\n"
        "stored Tomaro settings; options change them for this run only and are never saved.\n"
        "\nOptions:\n";
    for (const OptionSpec& spec : kOptions) {
        std::string left = "  " + std::string(spec.name);
        if (!spec.valueNames.empty()) left += " " + std::string(spec.valueNames);
        if (left.size() < 22)
            left.resize(22, ' ');
        else
            left += "  ";
        text += left + std::string(spec.help) + "\n";
    }
    text +=
        "\nExit status: 0 when every file was analysed, 1 when a file was refused, 2 on bad\n"
        "usage.\n";
    return text;
}

}  // namespace tomaro
