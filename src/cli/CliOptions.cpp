#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "history/HistoryTime.h"
#include "kit/KitPlanner.h"

namespace tomaro {
namespace {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

// A whole number; one beyond the range of int is held to INT_MIN or INT_MAX, as the dialog's
// fields hold what is typed, and the caller then clamps it to the search range.
bool parseSaturatedInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || ptr != end) return false;
    if (error == std::errc::result_out_of_range) {
        value =
            text.front() == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        return true;
    }
    return error == std::errc();
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

// "0" or "1".
bool parseSwitch(std::string_view text, bool& on) {
    if (text != "0" && text != "1") return false;
    on = text == "1";
    return true;
}

// "F0,M1,M2": three switches separated by commas.
bool parseSwitches(std::string_view text, std::array<bool, 3>& switches) {
    for (std::size_t i = 0; i < switches.size(); ++i) {
        const std::size_t comma = text.find(',');
        const bool last = i + 1 == switches.size();
        if (last != (comma == std::string_view::npos)) return false;
        if (!parseSwitch(text.substr(0, comma), switches[i])) return false;
        if (!last) text.remove_prefix(comma + 1);
    }
    return true;
}

constexpr std::array kOptions = {
    OptionEntry{"--window", 1, "0|1|2",
                "analysis window: 0 rectangular, 1 Gauss 1/e, 2 Gauss 1/e^3",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int kind = -1;
                    if (!parseInt(v[0], kind) || kind < 0 || kind > 2) {
                        error = "--window takes 0, 1 or 2, not '" + v[0] + "'";
                        return false;
                    }
                    o.windowKind = kind;
                    return true;
                }},
    OptionEntry{"--decay", 1, "on|off", "fit the decay of the tone (more precise frequency)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (v[0] != "on" && v[0] != "off") {
                        error = "--decay takes on or off, not '" + v[0] + "'";
                        return false;
                    }
                    o.decay = v[0] == "on";
                    return true;
                }},
    OptionEntry{"--range", 2, "F0 F1", "search the main tone between F0 and F1 Hz (20..2000)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int f0 = 0, f1 = 0;
                    if (!parseSaturatedInt(v[0], f0) || !parseSaturatedInt(v[1], f1)) {
                        error = "--range needs two whole numbers of Hz, not '" + v[0] + "' '" +
                                v[1] + "'";
                        return false;
                    }
                    o.rangeHz = std::make_pair(f0, f1);
                    return true;
                }},
    OptionEntry{"--delay", 1, "SEC", "start the analysed stretch SEC seconds after the strike",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    return numberOption(o.delaySec, "--delay", v, error);
                }},
    OptionEntry{"--length", 1, "SEC", "analyse SEC seconds (0.001..1)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    return numberOption(o.lengthSec, "--length", v, error);
                }},
    OptionEntry{"--pick", 1, "HZ", "look for the peak nearest to HZ instead of the search range",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (!numberOption(o.pickHz, "--pick", v, error)) return false;
                    if (*o.pickHz <= 0.0) {
                        error = "--pick needs a frequency above 0 Hz";
                        return false;
                    }
                    return true;
                }},
    OptionEntry{"--kit", 1, "FILE.TKit",
                "take the drums and their references from this kit file (for this run only)",
                [](CliOptions& o, std::span<const std::string> v, std::string&) {
                    o.kitFile = v[0];
                    return true;
                }},
    OptionEntry{"--switches", 1, "F0,M1,M2",
                "reference kinds shown, 0 or 1 each: fundamental, batter overtone, resonant "
                "overtone (with M1 on, M2 is turned off)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    std::array<bool, 3> switches{};
                    if (!parseSwitches(v[0], switches)) {
                        error =
                            "--switches takes three 0 or 1 separated by commas, e.g. 1,0,0, "
                            "not '" +
                            v[0] + "'";
                        return false;
                    }
                    o.switches = switches;
                    return true;
                }},
    OptionEntry{"--transfer", 1, "0|1",
                "1: a strike on a drum's overtone reference is read as that drum's fundamental",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    bool on = false;
                    if (!parseSwitch(v[0], on)) {
                        error = "--transfer takes 0 or 1, not '" + v[0] + "'";
                        return false;
                    }
                    o.overtoneTransfer = on;
                    return true;
                }},
    OptionEntry{"--latin", 0, "", "Latin note names (\"4 A\") and Hz instead of Гц in texts",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.latin = true;
                    return true;
                }},
    OptionEntry{"--lang", 1, "ru|en",
                "language of the texts (read-out, messages, JSON error and lines); default: "
                "the one chosen in the window",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    Language language = Language::Russian;
                    if (!parseLanguage(v[0], language)) {
                        error = "--lang takes ru or en, not '" + v[0] + "'";
                        return false;
                    }
                    o.language = language;
                    return true;
                }},
    OptionEntry{"--json", 0, "", "print one JSON object per file and line",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.json = true;
                    return true;
                }},
    OptionEntry{"--listen", 0, "",
                "listen to the input device and print every strike as soon as it is read, "
                "until --strikes readings, Ctrl+C or SIGTERM (no files then)",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.listen = true;
                    return true;
                }},
    OptionEntry{"--device", 1, "NAME",
                "with --listen: the input device as the window lists it (\"WAVE MAPPER\" is the "
                "system's default input); default: the device chosen in the window",
                [](CliOptions& o, std::span<const std::string> v, std::string&) {
                    o.device = v[0];
                    return true;
                }},
    OptionEntry{"--threshold", 1, "N",
                "with --listen: a strike starts above N (0..32768); default: the stored one",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int threshold = -1;
                    if (!parseInt(v[0], threshold) || threshold < 0 || threshold > 32768) {
                        error =
                            "--threshold takes a whole number from 0 to 32768, not '" + v[0] + "'";
                        return false;
                    }
                    o.threshold = threshold;
                    return true;
                }},
    OptionEntry{"--strikes", 1, "N", "with --listen: stop after N strikes were read",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int strikes = 0;
                    if (!parseInt(v[0], strikes) || strikes < 1) {
                        error = "--strikes takes a whole number from 1 on, not '" + v[0] + "'";
                        return false;
                    }
                    o.strikes = strikes;
                    return true;
                }},
    OptionEntry{"--track", 0, "",
                "add the pitch along the strike (short fits every 10 ms from the front)",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.track = true;
                    return true;
                }},
    OptionEntry{"--series", 0, "",
                "the files are consecutive strikes of one drum: show the series after each",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.series = true;
                    return true;
                }},
    OptionEntry{"--import", 0, "",
                "read the files as any sound file libsndfile reads (WAV of any sample format, "
                "AIFF, FLAC, Ogg Vorbis and Opus, MP3), first channel in 16 bits, up to 10 "
                "minutes",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.import = true;
                    return true;
                }},
    OptionEntry{"--lugs", 1, "N",
                "lug mode: the files are taps near rods 1, 2, ... (clockwise from the top) of "
                "one head with N rods (4..16); prints each rod and the head",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int count = 0;
                    if (!parseInt(v[0], count) || count < 4 || count > 16) {
                        error = "--lugs takes a whole number from 4 to 16, not '" + v[0] + "'";
                        return false;
                    }
                    o.lugs = count;
                    return true;
                }},
    OptionEntry{"--order", 1, "star|clockwise",
                "with --lugs: the tapping order (default: the one stored in the window)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (v[0] != "star" && v[0] != "clockwise") {
                        error = "--order takes star or clockwise, not '" + v[0] + "'";
                        return false;
                    }
                    o.clockwiseOrder = v[0] == "clockwise";
                    return true;
                }},
    OptionEntry{
        "--drum", 1, "NAME",
        "with --lugs, --heads or --listen: the drum being tuned, as the kit names it (12\", "
        "Малый, Бочка); its overtone reference of the head is the target; with "
        "--history: that drum's readings only",
        [](CliOptions& o, std::span<const std::string> v, std::string&) {
            o.drum = v[0];
            return true;
        }},
    OptionEntry{"--centre", 1, "FILE",
                "with --lugs or --heads: a strike at the centre of the head, read first; without a "
                "target "
                "its fundamental places the rods' band",
                [](CliOptions& o, std::span<const std::string> v, std::string&) {
                    o.centreFile = v[0];
                    return true;
                }},
    OptionEntry{"--head", 1, "batter|reso",
                "with --lugs, or --listen (lug mode: taps go to the rods in the tapping order): "
                "the head tapped (default batter)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (v[0] != "batter" && v[0] != "reso") {
                        error = "--head takes batter or reso, not '" + v[0] + "'";
                        return false;
                    }
                    o.resonantHead = v[0] == "reso";
                    return true;
                }},
    OptionEntry{"--tolerance", 1, "C",
                "with --lugs: rods within +-C cents (1..50) are ok; default: the stored one (5)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int cents = 0;
                    if (!parseInt(v[0], cents) || cents < 1 || cents > 50) {
                        error = "--tolerance takes a whole number from 1 to 50, not '" + v[0] + "'";
                        return false;
                    }
                    o.toleranceCents = cents;
                    return true;
                }},
    OptionEntry{"--plan", 1, "SCHEME",
                "the notes of the kit's toms in size order, a scheme of intervals apart: "
                "fourths, major-thirds, minor-thirds or semitone steps such as 5,4,3 (the last "
                "repeats); each checked against the usual range of its size; writes nothing",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    kitplan::Scheme scheme{};
                    std::vector<int> steps;
                    if (!kitplan::parseScheme(v[0], scheme, steps)) {
                        error =
                            "--plan takes fourths, major-thirds, minor-thirds or semitone "
                            "steps such as 5,4,3 (1..24 each), not '" +
                            v[0] + "'";
                        return false;
                    }
                    o.plan = v[0];
                    return true;
                }},
    OptionEntry{"--from", 1, "NOTE",
                "with --plan: the lowest tom's note, as A2, C#3, Bb1 or in Hz (110)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    const std::optional<int> note = kitplan::parseNote(v[0]);
                    if (!note) {
                        error = "--from takes a note such as A2, C#3 or a frequency in Hz, not '" +
                                v[0] + "'";
                        return false;
                    }
                    o.fromNote = *note;
                    return true;
                }},
    OptionEntry{"--from-top", 0, "",
                "with --plan: NOTE is the highest tom's, the others go down from it",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.fromTop = true;
                    return true;
                }},
    OptionEntry{"--heads", 0, "",
                "both heads of the --drum: taps near the batter head's rods, then \"--\", then "
                "the resonant head's; prints each head's pitch and their interval",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.heads = true;
                    return true;
                }},
    OptionEntry{"--lug", 1, "K",
                "with --listen: every strike is a tap at rod K (1..16) of the --head",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    int lug = 0;
                    if (!parseInt(v[0], lug) || lug < 1 || lug > 16) {
                        error = "--lug takes a whole number from 1 to 16, not '" + v[0] + "'";
                        return false;
                    }
                    o.lug = lug;
                    return true;
                }},
    OptionEntry{"--record", 0, "",
                "with --listen: store every reading in the tuning history, as the window does",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.record = true;
                    return true;
                }},
    OptionEntry{"--history", 0, "",
                "print the readings of the tuning history, oldest first (read only)",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.history = true;
                    return true;
                }},
    OptionEntry{"--since", 1, "DATE",
                "with --history: readings from DATE on (2026-12-09 or 2026-12-09T18:30, UTC "
                "unless an offset is given)",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (!history::parseIsoTime(v[0])) {
                        error =
                            "--since takes a date such as 2026-12-09 or 2026-12-09T18:30, "
                            "not '" +
                            v[0] + "'";
                        return false;
                    }
                    o.since = v[0];
                    return true;
                }},
    OptionEntry{"--snapshots", 0, "", "list the snapshots of the tuning (read only)",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.snapshots = true;
                    return true;
                }},
    OptionEntry{"--snapshot", 1, "NAME",
                "print the snapshot of that name: every drum's strike and rods (read only)",
                [](CliOptions& o, std::span<const std::string> v, std::string&) {
                    o.snapshot = v[0];
                    return true;
                }},
    OptionEntry{"--version", 0, "", "print the version and exit",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.version = true;
                    return true;
                }},
    OptionEntry{"--help", 0, "", "show this help",
                [](CliOptions& o, std::span<const std::string>, std::string&) {
                    o.help = true;
                    return true;
                }},
};

}  // namespace

std::span<const OptionEntry> optionTable() { return kOptions; }

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
        const OptionEntry* entry = nullptr;
        for (const OptionEntry& candidate : kOptions) {
            if (candidate.name == argument) entry = &candidate;
        }
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
    const CliOptions& options = parsed.options;
    if (options.listen && !options.files.empty()) {
        parsed.error = "--listen reads the input device and takes no files";
        return parsed;
    }
    if (!options.listen && (options.device || options.threshold || options.strikes)) {
        parsed.error = "--device, --threshold and --strikes go with --listen";
        return parsed;
    }
    if (!options.lugs && !options.heads && options.centreFile) {
        parsed.error = "--centre goes with --lugs or --heads";
        return parsed;
    }
    if ((options.fromNote || options.fromTop) && !options.plan) {
        parsed.error = "--from and --from-top go with --plan";
        return parsed;
    }
    if (options.plan && (!options.fromNote || !options.files.empty() || options.listen ||
                         options.lugs || options.heads)) {
        parsed.error = "--plan takes --from NOTE and no files, --listen, --lugs or --heads";
        return parsed;
    }
    if (options.heads) {
        const std::size_t batter = options.filesBeforeSeparator.value_or(options.files.size());
        const std::size_t resonant = options.files.size() - batter;
        if (!options.drum || options.listen || options.lugs || options.resonantHead) {
            parsed.error = "--heads takes --drum NAME, and no --listen, --lugs or --head";
            return parsed;
        }
        if (!options.filesBeforeSeparator || batter == 0 || resonant == 0) {
            parsed.error =
                "--heads takes the batter head's taps, then --, then the resonant head's";
            return parsed;
        }
        if (batter > 16 || resonant > 16) {
            parsed.error = "--heads takes at most 16 taps per head";
            return parsed;
        }
    }
    const bool reading = options.history || options.snapshots || options.snapshot;
    if (reading && (options.listen || options.lugs || !options.files.empty())) {
        parsed.error =
            "--history, --snapshots and --snapshot read the history: no files, "
            "--listen or --lugs with them";
        return parsed;
    }
    if (int(options.history) + int(options.snapshots) + int(options.snapshot.has_value()) > 1) {
        parsed.error = "--history, --snapshots and --snapshot go one at a time";
        return parsed;
    }
    if (options.since && !options.history) {
        parsed.error = "--since goes with --history";
        return parsed;
    }
    if ((options.record || options.lug) && !options.listen) {
        parsed.error = "--record and --lug go with --listen";
        return parsed;
    }
    if (options.drum && !options.lugs && !options.listen && !options.history && !options.heads) {
        parsed.error = "--drum goes with --lugs, --heads, --listen or --history";
        return parsed;
    }
    if (options.resonantHead && !options.lugs && !options.listen) {
        parsed.error = "--head goes with --lugs or --listen";
        return parsed;
    }
    if (!options.lugs && (options.clockwiseOrder || options.toleranceCents)) {
        parsed.error = "--order and --tolerance go with --lugs";
        return parsed;
    }
    if (options.lugs && options.listen) {
        parsed.error = "--lugs reads files, not the input device";
        return parsed;
    }
    if (options.lugs && static_cast<int>(options.files.size()) > *options.lugs) {
        parsed.error = "more files than rods: --lugs " + std::to_string(*options.lugs) +
                       " takes at most " + std::to_string(*options.lugs) + " files";
        return parsed;
    }
    parsed.ok = true;
    return parsed;
}

std::string usageText() {
    constexpr std::size_t kHelpColumn = 22;
    constexpr std::size_t kLineWidth = 79;
    std::string text =
        "Usage: tomaro-analyze [options] FILE.wav...\n"
        "       tomaro-analyze --listen [--device NAME] [--threshold N] [--strikes N] [options]\n"
        "       tomaro-analyze --lugs N [--order star|clockwise] [--drum NAME --head batter|reso]\n"
        "                      [--tolerance C] [options] FILE...\n"
        "       tomaro-analyze --plan fourths|major-thirds|minor-thirds|STEPS --from NOTE\n"
        "                      [--from-top] [--kit FILE] [--json]\n"
        "       tomaro-analyze --heads --drum NAME [--centre FILE] BATTER_TAPS... --\n"
        "                      RESO_TAPS...\n"
        "       tomaro-analyze --listen --record [--drum NAME [--head batter|reso [--lug K]]]\n"
        "       tomaro-analyze --history [--drum NAME] [--since DATE] [--json]\n"
        "       tomaro-analyze --snapshots [--json] | --snapshot NAME [--json]\n"
        "Finds the main frequency of a drum strike stored in each WAV file, exactly as the\n"
        "Tomaro window does when it opens the file, names its note and finds the nearest\n"
        "reference of the drum kit. Without options the analysis uses your stored Tomaro\n"
        "settings; options change them for this run only and are never saved.\n"
        "\nOptions:\n";
    for (const OptionEntry& entry : kOptions) {
        std::string line = "  " + std::string(entry.name);
        if (!entry.valueNames.empty()) line += " " + std::string(entry.valueNames);
        if (line.size() + 2 > kHelpColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kHelpColumn, ' ');
        // Wraps the help at word boundaries below the help column.
        // In English every text is Latin already: --latin has nothing to replace there; the
        // snare and the kick go by their English names.
        std::string_view help = entry.help;
        if (inEnglish() && entry.name == "--latin") {
            help = "Latin note names (\"4 A\") and Hz in texts (always in English)";
        } else if (inEnglish() && entry.name == "--drum") {
            help =
                "with --lugs, --heads or --listen: the drum being tuned, as the kit names it "
                "(12\", "
                "Snare, Kick); its overtone reference of the head is the target; with --history: "
                "that drum's readings only";
        }
        while (!help.empty()) {
            std::size_t room = kLineWidth - kHelpColumn;
            std::size_t cut = help.size();
            if (cut > room) {
                cut = help.rfind(' ', room);
                if (cut == std::string_view::npos) cut = room;
            }
            line += help.substr(0, cut);
            help.remove_prefix(cut);
            while (!help.empty() && help.front() == ' ') help.remove_prefix(1);
            text += line + "\n";
            line.assign(kHelpColumn, ' ');
        }
    }
    text +=
        "\nEach file gives one line: the measured frequency, the note of the frequency read\n"
        "out with its deviation in hundredths of a semitone, and the nearest reference with\n"
        "its drum (\"" +
        std::string(pick("обер Пл1 12\"\" for an overtone, \"эталон\"",
                         "batter overtone 12\"\" for an overtone, \"reference\"")) +
        " for the free reference):\n" +
        pick("  tom.wav: 115.00 Гц  -1, Ля# -23 %  nearest 116.5 Гц (12\")  (peak ...)\n",
             "  tom.wav: 115.00 Hz  2 A#  -23 ¢  nearest 116.5 Hz (12\")  (peak ...)\n") +
        "With --transfer 1 a strike on an overtone shows \"read as F " + pick("Гц", "Hz") +
        "\" before the note.\n"
        "The drums come from your settings or from --kit; the free reference and the note\n"
        "naming of the references dialog always come from your settings (--latin forces\n"
        "Latin names).\n"
        "\n--json prints one object per file: file, and for a refused file only error.\n"
        "Otherwise sample_rate, channels, frames, mode (copy or direct), front,\n"
        "stretch_start, stretch_end, delay_sec, length_sec, window, decay, search_range_hz,\n"
        "peak_bin, peak_hz, frequency_hz, decay_per_sample, frequency_text, then:\n"
        "  note          note of displayed_hz with its deviation (null outside 20..2000 Hz)\n"
        "  displayed_hz  frequency_hz, or with --transfer 1 the fundamental it stands for\n"
        "                (null outside 20..2000 Hz)\n"
        "  nearest_hz    the nearest reference in Hz (null when there is none)\n"
        "  nearest_drum  its drum (null for the free reference or none)\n"
        "  nearest_kind  -1 none, 0 fundamental or the free reference, 1 batter overtone,\n"
        "                2 resonant overtone\n"
        "  caption       the text of the references button\n"
        "  lines         the lines of the large-note window in order, each\n"
        "                {\"text\": ..., \"color\": \"#rrggbb\"}; the empty one is the spacer\n"
        "\nEvery object also holds front (the strike front the stretch counts from; a file\n"
        "whose hit comes later than 6000 frames in is measured from its hit) and quality:\n"
        "  verdict       good, doubtful or rejected\n"
        "  reasons       why not good: no_tone, clipped (these two reject), rival,\n"
        "                subharmonic, short_decay, glide, low_snr, no_strike\n"
        "  clipped_in_stretch, clipped_before  full-scale samples in the stretch and in\n"
        "                the attack before it\n"
        "  fit_snr_db    fitted tone against the residual; decay_s its time constant\n"
        "                (null: no decay); rival_hz, rival_db the strongest other peak;\n"
        "                subharmonic_hz a strong peak near half the frequency (or null);\n"
        "                glide_cents second half of the stretch against the first;\n"
        "                level_db the strike's peak below full scale\n"
        "--track adds pitch_track [[t_seconds, hz], ...]; --series adds series\n"
        "{count, median_hz, spread_cents, stable, new} as the window shows it.\n"
        "With --import an analysed file also gives imported (true) and clipped_samples (the\n"
        "first channel's samples held at 16-bit full scale); mode is copy as for a WAV file\n"
        "of up to 48000 frames, or direct: the whole decoded sound, read from its start.\n"
        "\nWith --listen every strike gives its line (or object, with \"mode\": \"live\" and\n"
        "\"file\": \"strike N\") as soon as its analysed stretch is recorded, about half a\n"
        "second after the hit; the JSON object adds t_trigger_s and t_reading_s, the seconds\n"
        "from the start of listening to the strike's trigger and to its reading.\n"
        "\nWith --lugs N the files are taps about 2-3 cm in from rods 1, 2, ... (clockwise\n"
        "from the top; fewer files leave the last rods unmeasured). Each rod is read in a\n"
        "band of +-12 % around the head's (1,1) mode: around its target (the --drum's\n"
        "overtone reference of the --head) when the kit has one, else around 1.525 times the\n"
        "fundamental of the --centre strike, else around the mode family the taps show\n"
        "(searched over 60..1200 Hz, the window's lug search range). Each rod line gives its\n"
        "frequency, its cents from the reference (the target, else the mean of the rods)\n"
        "and tighten, loosen or ok; the head line its spread and whether it is even. With\n"
        "--json every file's object adds lug, lug_hz (null when not read) and cents, then\n"
        "one object {\"lugs\": {count, measured, reference (target or mean), reference_hz,\n"
        "band_hz [lo, hi], spread_cents, even, order (the tapping order), adjust [{lug,\n"
        "cents, action}] for every rod measured}}.\n"
        "\nWith --plan the kit's drums are listed in size order (snare, toms from the\n"
        "smallest, kick): each tom gets a note, the lowest (or with --from-top the highest)\n"
        "the --from NOTE and each next one the scheme's step away; the snare and the kick\n"
        "keep their references. Every note is checked against the usual fundamental of its\n"
        "size (docs/drum-ranges.md) and marked outside when it lies beyond it. Nothing is\n"
        "written. --json gives one object {\"plan\": {scheme, drums [{drum, note,\n"
        "frequency_hz, range_hz [lo, hi], in_range}]}}.\n"
        "\nWith --heads the files before \"--\" are taps near the batter head's rods 1, 2, ...\n"
        "and those after it the resonant head's, each head read as --lugs reads it; the\n"
        "pitch of a head is the mean (1,1) of its rods. It prints both heads and the\n"
        "interval from the batter up to the resonant head; --json gives {\"heads\":\n"
        "{batter_hz, reso_hz, interval_cents, fundamental_hz}} (the fundamental of the\n"
        "--centre strike, else null).\n"
        "\nThe tuning history (the window's, in $XDG_DATA_HOME/Harnwick/Tomaro/tomaro.sqlite,\n"
        "else ~/.local/share/Harnwick/Tomaro/tomaro.sqlite) is only read by --history,\n"
        "--snapshots and --snapshot; with --json --history gives one object per reading:\n"
        "time (ISO 8601, UTC), drum, struck (drum, centre, batter or reso; lug with the\n"
        "last two), frequency_hz, pair {lo_hz, hi_hz, lo_db, hi_db} when one was read,\n"
        "verdict, target_hz, tolerance_cents; --snapshots one object per snapshot: id,\n"
        "name, time, drums; --snapshot NAME|ID one object: name, time, drums [{drum,\n"
        "strike, heads [{head, lugs, mean_hz, rods [{lug, angle_deg, frequency_hz,\n"
        "cents}]}]}]. Exit status 1 when there is no history, no snapshot of that name or\n"
        "id, or more than one of that name (their ids are listed).\n"
        "\nExit status: 0 when every file was analysed, 1 when a file was refused or the\n"
        "output could not be written, 2 on bad usage or when the --kit file cannot be used\n"
        "(nothing is analysed then), 3 when every file was analysed but a reading was\n"
        "rejected (nothing to measure). With --listen: 0 after --strikes readings or a\n"
        "signal to stop, 1 when the device cannot be opened or is lost (the \"" +
        pick("wave ошибка", "wave error") +
        "\"\n"
        "text on standard error) or the output could not be written.\n";
    return text;
}

}  // namespace tomaro
