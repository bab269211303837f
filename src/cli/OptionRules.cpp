#include "cli/OptionRules.h"

namespace tomaro {

std::string optionRulesBroken(const CliOptions& options) {
    if (options.listen && !options.files.empty()) {
        return "--listen reads the input device and takes no files";
    }
    if (!options.listen && (options.device || options.threshold || options.strikes)) {
        return "--device, --threshold and --strikes go with --listen";
    }
    if (!options.lugs && !options.heads && options.centreFile) {
        return "--centre goes with --lugs or --heads";
    }
    if ((options.fromNote || options.fromTop) && !options.plan) {
        return "--from and --from-top go with --plan";
    }
    if (options.plan && (!options.fromNote || !options.files.empty() || options.listen ||
                         options.lugs || options.heads)) {
        return "--plan takes --from NOTE and no files, --listen, --lugs or --heads";
    }
    if (options.heads) {
        const std::size_t batter = options.filesBeforeSeparator.value_or(options.files.size());
        const std::size_t resonant = options.files.size() - batter;
        if (!options.drum || options.listen || options.lugs || options.resonantHead) {
            return "--heads takes --drum NAME, and no --listen, --lugs or --head";
        }
        if (!options.filesBeforeSeparator || batter == 0 || resonant == 0) {
            return "--heads takes the batter head's taps, then --, then the resonant head's";
        }
        if (batter > 16 || resonant > 16) {
            return "--heads takes at most 16 taps per head";
        }
    }
    const bool reading = options.history || options.snapshots || options.snapshot;
    if (reading && (options.listen || options.lugs || !options.files.empty())) {
        return "--history, --snapshots and --snapshot read the history: no files, "
               "--listen or --lugs with them";
    }
    if (int(options.history) + int(options.snapshots) + int(options.snapshot.has_value()) > 1) {
        return "--history, --snapshots and --snapshot go one at a time";
    }
    if (options.since && !options.history) {
        return "--since goes with --history";
    }
    if ((options.record || options.lug) && !options.listen) {
        return "--record and --lug go with --listen";
    }
    if (options.drum && !options.lugs && !options.listen && !options.history && !options.heads) {
        return "--drum goes with --lugs, --heads, --listen or --history";
    }
    if (options.resonantHead && !options.lugs && !options.listen) {
        return "--head goes with --lugs or --listen";
    }
    if (!options.lugs && (options.clockwiseOrder || options.toleranceCents)) {
        return "--order and --tolerance go with --lugs";
    }
    if (options.turnsFile && !options.lugs) {
        return "--turns goes with --lugs";
    }
    if (options.learnFile && !options.lugs) {
        return "--learn goes with --lugs";
    }
    if (options.turned && !options.turnsFile) {
        return "--turned goes with --turns FILE";
    }
    if (options.turned && options.lugs && options.turned->first > *options.lugs) {
        return "--turned names rod " + std::to_string(options.turned->first) + " of a head of " +
               std::to_string(*options.lugs) + " rods";
    }
    if (options.lugs && options.listen) {
        return "--lugs reads files, not the input device";
    }
    if (options.lugs && static_cast<int>(options.files.size()) > *options.lugs) {
        return "more files than rods: --lugs " + std::to_string(*options.lugs) + " takes at most " +
               std::to_string(*options.lugs) + " files";
    }
    return {};
}

}  // namespace tomaro
