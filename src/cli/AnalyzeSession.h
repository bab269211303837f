#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analyzer.h"
#include "audio/WavFile.h"
#include "base/UserMessage.h"
#include "cli/CliOptions.h"
#include "cli/OverlayProfile.h"
#include "tuning/NearestReference.h"
#include "tuning/Readout.h"
#include "tuning/Tuner.h"

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
    bool live = false;  // a strike heard on the input device (--listen), not a file
    AnalysisResult result;
    int frontIndex = 0;         // strike front in the analysed samples (6000 copied, 0 in place)
    std::string frequencyText;  // as the window shows it, "%0.2f Гц"
    Analyzer::Params params;    // the settings the analysis ran with
    QualityReport quality;      // how far the reading can be trusted
    std::vector<PitchPoint> track;  // the pitch along the strike (valid points only)
    SeriesState series;             // the series after this strike
    int lug = 0;                    // with --lugs: the rod tapped (1..N)
    double lugHz = 0.0;             // with --lugs: the reading in the lug band (0: none)

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
    // The tuner's last analysis and its read-out, reported under `label`; the load part is left
    // for the caller (a live strike has no file).
    FileAnalysis currentReading(const std::string& label);

    Tuner& tuner() { return m_Tuner; }

    // Lug mode for --lugs: the drum by its kit name, the head, the order, the tolerance and a
    // fresh head of `lugs` rods. Returns the problem (English) when the kit has no drum of that
    // name, else nothing.
    std::optional<UserMessage> setUpLugs(const CliOptions& options);
    // --listen with --drum, --head and --lug: the drum being tuned; with a head, lug mode on it
    // (the stored count of rods of the drum), and with --lug every strike a tap at that rod
    // (call keepLug() after each reading). Returns the problem as setUpLugs() does.
    std::optional<UserMessage> setUpListening(const CliOptions& options);
    void keepLug(const CliOptions& options);
    // The file as the tap at rod `lug`.
    FileAnalysis analyseLug(const std::string& path, int lug);
    // --centre: the file as a strike at the centre of the head, which goes to no rod. Returns
    // kExitAnalysed when it placed the band, else kExitRefused (not loaded) or kExitRejected (no
    // reading), with the reason on `err` once per session (both heads of --heads read it).
    int analyseCentre(const std::string& path, std::ostream& err);

    // Files are read by `importer` from now on (null: the WAV loader again).
    void setImporter(FileLoader importer) { m_Importer = importer; }

private:
    // The kit position of --drum (by its stored or shown name), -1 without it; the problem when
    // the kit has no such drum.
    std::optional<UserMessage> findDrum(const CliOptions& options, int& drum);

    OverlayProfile m_Profile;
    FileLoader m_Importer = nullptr;
    Tuner m_Tuner;
    std::optional<double> m_PickHz;
    bool m_LatinNotes;  // --latin: Latin note names whatever the kit's option says
    std::string m_Caption;
    bool m_CentreProblemSaid = false;

    // The window's references update: reload the kit, make the overtone switches exclusive and
    // store them (into the overlay), and take the button caption.
    void referencesUpdate();
};

// Flushes `out`; when that or an earlier write to it failed, says so on `err` and returns false.
bool writtenOut(std::ostream& out, std::ostream& err);

// A session with the command line's choices and its --kit file. Returns null with the reason on
// `err` when the kit file cannot be used.
std::unique_ptr<AnalyzeSession> openSession(const Profile& userProfile, const CliOptions& options,
                                            std::ostream& err, FileLoader importer = nullptr);

// Analyses every file of `options` and prints one line (or one JSON object) per file to `out`.
// With --import the files are read by `importer`. Returns kExitAnalysed, kExitRefused or
// kExitRejected; kExitUsage with the reason on `err` and nothing analysed when the --kit file
// cannot be used; kExitWriteFailed with the reason on `err` as soon as a line cannot be written
// to `out` (the remaining files are not analysed).
int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err, FileLoader importer = nullptr);

}  // namespace tomaro
