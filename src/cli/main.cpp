// tomaro-analyze: the analysis of the Tomaro window on WAV files (or any sound file with
// --import), from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "audio/AudioImport.h"
#include "cli/AnalyzeSession.h"
#include "cli/CliOptions.h"
#include "settings/QtProfile.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const tomaro::ParsedArguments parsed = tomaro::parseArguments(arguments);
    if (!parsed.ok) {
        std::cerr << "tomaro-analyze: " << parsed.error << "\nTry 'tomaro-analyze --help'.\n";
        return tomaro::kExitUsage;
    }
    if (parsed.options.version) {
        std::cout << "tomaro-analyze " TOMARO_VERSION "\n";
        return tomaro::kExitAnalysed;
    }
    if (parsed.options.help) {
        std::cout << tomaro::usageText();
        return tomaro::kExitAnalysed;
    }
    if (parsed.options.files.empty()) {
        std::cerr << "tomaro-analyze: no WAV file given\n" << tomaro::usageText();
        return tomaro::kExitUsage;
    }
    // Only read: every choice of this run stays in an overlay above the user's profile.
    const tomaro::QtProfile profile;
    return tomaro::runAnalyzer(profile, parsed.options, std::cout, std::cerr,
                               tomaro::importSoundFile);
}
