#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "settings/Language.h"

namespace tomaro {

// Exit codes of tomaro-analyze.
inline constexpr int kExitAnalysed = 0;     // every file was analysed
inline constexpr int kExitRefused = 1;      // at least one file was refused
inline constexpr int kExitWriteFailed = 1;  // the output could not be written (the same status)
inline constexpr int kExitUsage = 2;        // bad command line, or a --kit file that did not load
// Every file was loaded, but at least one reading was rejected (no tone, or clipped): analysed,
// but there was nothing to measure. A refusal (1) wins over this.
inline constexpr int kExitRejected = 3;

// The command line of tomaro-analyze. Every value left unset keeps the user's stored setting.
struct CliOptions {
    std::optional<int> windowKind;               // --window 0|1|2
    std::optional<bool> decay;                   // --decay on|off
    std::optional<std::pair<int, int>> rangeHz;  // --range F0 F1 (held to int, clamped later)
    std::optional<double> delaySec;              // --delay SEC
    std::optional<double> lengthSec;             // --length SEC
    std::optional<double> pickHz;                // --pick HZ, for every file
    std::optional<std::string> kitFile;          // --kit FILE.TKit, read into this run only
    // --switches F0,M1,M2: fundamental, batter and resonant overtone references shown/searched.
    std::optional<std::array<bool, 3>> switches;
    std::optional<bool> overtoneTransfer;  // --transfer 0|1
    bool latin = false;                    // --latin: Latin letters in texts
    std::optional<Language> language;      // --lang ru|en; default: the one chosen in the window
    bool json = false;                     // --json: one JSON object per file
    bool track = false;                    // --track: the pitch along each strike
    bool series = false;                   // --series: the files are strikes of one drum
    bool help = false;                     // --help
    // --listen: read strikes from the input device instead of files.
    bool listen = false;
    std::optional<std::string> device;  // --device NAME, as the window's device list names it
    std::optional<int> threshold;       // --threshold N, 0..32768, for this run only
    std::optional<int> strikes;         // --strikes N (>= 1): stop after N readings
    bool version = false;               // --version
    bool import = false;  // --import: read the files through the sound import, not as WAV files
    // --lugs N (4..16): the files are taps at rods 1, 2, ... of one head, clockwise.
    std::optional<int> lugs;
    // --centre FILE: with --lugs, a strike at the centre of the head, read before the rods; its
    // fundamental places the (1,1) band when the head has no target.
    std::optional<std::string> centreFile;
    std::optional<bool> clockwiseOrder;  // --order star|clockwise (default: the stored order)
    std::optional<std::string> drum;     // --drum NAME: the drum being tuned, as the kit names it
    std::optional<bool> resonantHead;    // --head batter|reso
    std::optional<int> toleranceCents;   // --tolerance C, 1..50
    // --turns FILE: with --lugs, the head's turns of the key (TurnModel::stateText()): read
    // before the pass, calibrated by it, written back after it.
    std::optional<std::string> turnsFile;
    // --learn FILE: with --lugs, the head's response to the advice of earlier passes
    // (HeadResponse::text()): read before the pass, written after it.
    std::optional<std::string> learnFile;
    // --turned LUG:EIGHTHS: with --turns, rod LUG (1..--lugs) is about to be turned by EIGHTHS
    // eighths of a turn (1..16) after this pass's advice; the next pass calibrates.
    std::optional<std::pair<int, int>> turned;
    // --listen --record: every reading is stored in the tuning history as the window does.
    bool record = false;
    std::optional<int> lug;  // --lug K (1..16), with --listen: every strike a tap at rod K
    // --history: print the stored readings (of --drum, from --since on); --snapshots: list the
    // snapshots; --snapshot NAME: print one. They only read the history.
    bool history = false;
    std::optional<std::string> since;  // --since DATE (ISO 8601), checked when parsed
    bool snapshots = false;
    std::optional<std::string> snapshot;
    // --plan SCHEME --from NOTE [--from-top]: the notes of the kit's toms by a scheme of
    // intervals (fourths, major-thirds, minor-thirds or semitone steps "5,4,3"); writes nothing.
    std::optional<std::string> plan;
    std::optional<int> fromNote;  // --from NOTE: scientific pitch (A2) or Hz, as a note number
    bool fromTop = false;         // --from-top: NOTE is the highest tom's
    // --heads: the files before "--" are taps of the batter head, those after it of the resonant
    // head; filesBeforeSeparator counts the first.
    bool heads = false;
    std::optional<std::size_t> filesBeforeSeparator;
    std::vector<std::string> files;
};

struct ParsedArguments {
    bool ok = false;
    std::string error;  // English, for the usage error message
    CliOptions options;
};

// Parses the arguments after the program name against the option table (OptionTable.h), then
// checks that they make one run (OptionRules.h). Options and files may be mixed; "--" ends the
// options. Numbers accept a decimal comma as well as a point.
ParsedArguments parseArguments(std::span<const std::string> arguments);

}  // namespace tomaro
