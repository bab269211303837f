#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"
#include "cli/CliOptions.h"
#include "cli/OverlayProfile.h"

namespace tomaro {

// Everything known about one file after tomaro-analyze handled it.
struct FileAnalysis {
    std::string path;  // as given on the command line
    WavLoadResult load;
    // Set when the file was loaded and analysed.
    bool analysed = false;
    AnalysisResult result;
    int frontIndex = 0;         // strike front in the analysed samples (6000 copied, 0 in place)
    std::string frequencyText;  // as the window shows it, "%0.2f Гц"
    Analyzer::Params params;    // the settings the analysis ran with
};

// The objects of the main window that an analysis needs, wired the same way: a strike record
// filled by the window's file loader, the stretch brought up to date when the strike is replaced,
// and the analysis run from the recorder's paint step. The user's profile is only read: the
// command-line choices are written over it into an overlay that is dropped at the end.
class AnalyzeSession {
public:
    AnalyzeSession(const Profile& userProfile, const CliOptions& options);

    FileAnalysis analyse(const std::string& path);

private:
    OverlayProfile m_Profile;
    AnalysisSettings m_Settings;
    Stretch m_Stretch;
    Analyzer m_Analyzer;
    StrikeRecord m_Record;
    StrikeRecorder m_Recorder;
    std::optional<double> m_PickHz;
};

// Analyses every file of `options` and prints one line (or one JSON object) per file to `out`.
// Returns kExitAnalysed or kExitRefused.
int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out);

}  // namespace tomaro
