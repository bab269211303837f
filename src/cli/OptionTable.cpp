#include "cli/OptionTable.h"

#include <array>
#include <optional>
#include <vector>

#include "cli/OptionValues.h"
#include "history/HistoryTime.h"
#include "kit/KitPlanner.h"

namespace tomaro {
namespace {

using namespace optionvalues;

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
    OptionEntry{"--turns", 1, "FILE",
                "with --lugs: the head's turns of the key, kept in FILE (made when missing): "
                "a pass after a --turned mark calibrates cents per turn, and each rod's advice "
                "then reads in turns",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (v[0].empty()) {
                        error = "--turns needs a file name";
                        return false;
                    }
                    o.turnsFile = v[0];
                    return true;
                }},
    OptionEntry{"--learn", 1, "FILE",
                "with --lugs: what the head did with the last advice, kept in FILE (made when "
                "missing): from the second pass on the advice is scaled and turned by it",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    if (v[0].empty()) {
                        error = "--learn needs a file name";
                        return false;
                    }
                    o.learnFile = v[0];
                    return true;
                }},
    OptionEntry{"--turned", 1, "LUG:EIGHTHS",
                "with --turns: after this pass, rod LUG is turned by EIGHTHS eighths of a turn "
                "(1..16: 2 is a quarter) and no other rod; tap the head again with the same "
                "--turns file",
                [](CliOptions& o, std::span<const std::string> v, std::string& error) {
                    const std::size_t colon = v[0].find(':');
                    int lug = 0;
                    int eighths = 0;
                    if (colon == std::string::npos || !parseInt(v[0].substr(0, colon), lug) ||
                        !parseInt(v[0].substr(colon + 1), eighths) || lug < 1 || lug > 16 ||
                        eighths < 1 || eighths > 16) {
                        error =
                            "--turned takes LUG:EIGHTHS (rod 1..16, eighths of a turn "
                            "1..16), not '" +
                            v[0] + "'";
                        return false;
                    }
                    o.turned = std::make_pair(lug, eighths);
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

const OptionEntry* findOption(std::string_view name) {
    const OptionEntry* entry = nullptr;
    for (const OptionEntry& candidate : kOptions) {
        if (candidate.name == name) entry = &candidate;
    }
    return entry;
}

}  // namespace tomaro
