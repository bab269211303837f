// tomaro-analyze: the analysis of the Tomaro window on WAV files (or any sound file with
// --import), from the command line.

#include <fcntl.h>

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/AnalyzeSession.h"
#include "cli/CliOptions.h"
#include "cli/HistoryCommand.h"
#include "cli/Listener.h"
#include "cli/UsageText.h"
#include "devices/AudioImport.h"
#include "devices/QtProfile.h"
#include "history/HistoryTime.h"
#include "language/Translations.h"

int main(int argc, char** argv) {
    // A reader that went away (`| head -1`) is an output that cannot be written: the failed write
    // is reported and the exit status is 1, as for a full disk, instead of a death by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    // With standard output closed, the next file opened would take its descriptor: stop before
    // anything is opened, as for any other output that cannot be written.
    if (::fcntl(1, F_GETFD) == -1) {
        std::cerr << "tomaro-analyze: cannot write the output: standard output is closed\n";
        return tomaro::kExitWriteFailed;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const tomaro::ParsedArguments parsed = tomaro::parseArguments(arguments);
    if (!parsed.ok) {
        std::cerr << "tomaro-analyze: " << parsed.error << "\nTry 'tomaro-analyze --help'.\n";
        return tomaro::kExitUsage;
    }
    if (parsed.options.listen) tomaro::installListenStopSignals();
    // The language chosen in the window unless --lang says otherwise; Russian on a fresh profile.
    // The profile is only read: every choice of this run stays in an overlay above it.
    const tomaro::QtProfile profile;
    const tomaro::Language language =
        parsed.options.language.value_or(tomaro::storedLanguage(profile));
    // Listening runs Qt's event loop, and the sound device's texts come through Qt's
    // translators: its application object is made first, so that the switch below installs them.
    std::optional<QCoreApplication> application;
    if (parsed.options.listen) application.emplace(argc, argv);
    // The one place tomaro-analyze switches its language: the process-wide language of the core's
    // texts, and with an application object Qt's translators as well.
    tomaro::translations::apply(language);
    if (parsed.options.version) {
        errno = 0;
        std::cout << "tomaro-analyze " TOMARO_VERSION "\n";
        return tomaro::writtenOut(std::cout, std::cerr) ? tomaro::kExitAnalysed
                                                        : tomaro::kExitWriteFailed;
    }
    if (parsed.options.help) {
        errno = 0;
        std::cout << tomaro::usageText();
        return tomaro::writtenOut(std::cout, std::cerr) ? tomaro::kExitAnalysed
                                                        : tomaro::kExitWriteFailed;
    }
    if (parsed.options.history || parsed.options.snapshots || parsed.options.snapshot) {
        return tomaro::runHistoryCommand(tomaro::history::defaultHistoryPath(), parsed.options,
                                         std::cout, std::cerr);
    }
    if (parsed.options.listen) {
        return tomaro::runListener(profile, parsed.options, std::cout, std::cerr);
    }
    if (parsed.options.files.empty() && !parsed.options.plan) {
        std::cerr << "tomaro-analyze: no WAV file given\n" << tomaro::usageText();
        return tomaro::kExitUsage;
    }
    return tomaro::runAnalyzer(profile, parsed.options, std::cout, std::cerr,
                               tomaro::importSoundFile);
}
