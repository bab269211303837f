#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analyzer.h"
#include "app/Tuner.h"
#include "audio/WavFile.h"
#include "cli/CliOptions.h"
#include "cli/OverlayProfile.h"
#include "display/NearestReference.h"
#include "display/Readout.h"
#include "kit/UserMessage.h"

namespace tomaro {

// Loads a file into the recorder's strike record in place of the WAV loader (the sound import).
using FileLoader = WavLoadResult (*)(const std::string& path, StrikeRecorder& recorder);

// Everything known about one file after tomaro-analyze handled it.
struct FileAnalysis {
    std::string path;  // as given on the command line
    WavLoadResult load;
    bool imported = false;  // read through the sound import (--import)
    // Set when the file was loaded and analysed.
    bool analysed = false;
    AnalysisResult result;
    int frontIndex = 0;         // strike front in the analysed samples (6000 copied, 0 in place)
    std::string frequencyText;  // as the window shows it, "%0.2f Гц"
    Analyzer::Params params;    // the settings the analysis ran with

    // The read-out of the main frequency against the kit, as the main window shows it.
    NearestReference nearest;
    std::optional<std::string> nearestDrum;  // name of nearest.drum; none for the free reference
    std::optional<std::string> note;  // note of nearest.displayedHz; none outside 20..2000 Hz
    std::vector<ReadoutLine> lines;   // the large-note window's lines
    std::string caption;              // the references button
};

// The main window's own Tuner, so that a file is loaded, analysed and read out exactly as the
// window does it: the window's file loader, the stretch brought up to date when the strike is
// replaced, the analysis run from the recorder's paint step, then the read-out of the kit's
// references. The user's profile is only read: the command-line choices and a kit file are
// written over it into an overlay that is dropped at the end.
class AnalyzeSession {
public:
    AnalyzeSession(const Profile& userProfile, const CliOptions& options);

    // Reads a kit file into the overlay and makes it the kit of the session, as the references
    // dialog's load does. Returns the kit file loader's message when the file cannot be opened
    // or holds no drum; the kit is then unchanged.
    std::optional<UserMessage> loadKitFile(const std::string& path);

    FileAnalysis analyse(const std::string& path);

    // Files are read by `importer` from now on (null: the WAV loader again).
    void setImporter(FileLoader importer) { m_Importer = importer; }

private:
    OverlayProfile m_Profile;
    FileLoader m_Importer = nullptr;
    Tuner m_Tuner;
    std::optional<double> m_PickHz;
    bool m_LatinNotes;  // --latin: Latin note names whatever the kit's option says
    std::string m_Caption;

    // The window's references update: reload the kit, make the overtone switches exclusive and
    // store them (into the overlay), and take the button caption.
    void referencesUpdate();
};

// Analyses every file of `options` and prints one line (or one JSON object) per file to `out`.
// With --import the files are read by `importer`. Returns kExitAnalysed or kExitRefused;
// kExitUsage with the reason on `err` and nothing analysed when the --kit file cannot be used.
int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err, FileLoader importer = nullptr);

}  // namespace tomaro
