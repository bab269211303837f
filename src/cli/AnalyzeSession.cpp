#include "cli/AnalyzeSession.h"

#include <ostream>

#include "cli/Report.h"

namespace tomaro {

AnalyzeSession::AnalyzeSession(const Profile& userProfile, const CliOptions& options)
    : m_Profile(userProfile),
      m_Settings(m_Profile),
      m_Stretch(m_Profile),
      m_Recorder(m_Record),
      m_PickHz(options.pickHz) {
    // The same operations as the main window's controls, so that the values are clamped and
    // swapped exactly as there; they write only into the overlay.
    if (options.windowKind) m_Settings.setWindowKind(*options.windowKind);
    if (options.decay) m_Settings.setDecayAccounting(*options.decay);
    if (options.rangeHz)
        m_Settings.searchRangeChanged(options.rangeHz->first, options.rangeHz->second);
    if (options.delaySec || options.lengthSec) {
        m_Stretch.setTimes(options.delaySec.value_or(m_Stretch.delaySec()),
                           options.lengthSec.value_or(m_Stretch.lengthSec()));
    }
    m_Recorder.setStrikeReplacedHook([this] { m_Stretch.setStrike(m_Record); });
    m_Recorder.setAnalysisHook([this] {
        const AnalysisResult& result = m_Analyzer.analyze(m_Record, m_Stretch, m_Settings);
        m_Record.lastFrequencyText = std::string(result.frequencyText());
    });
}

FileAnalysis AnalyzeSession::analyse(const std::string& path) {
    FileAnalysis file;
    file.path = path;
    file.load = loadWavFile(path, m_Recorder);
    if (!file.load.ok) return file;

    if (m_PickHz) m_Analyzer.pickFrequency(*m_PickHz);
    m_Recorder.paintStep();

    file.analysed = true;
    file.result = m_Analyzer.result();
    file.frontIndex = m_Record.startIndex;
    file.frequencyText = m_Record.lastFrequencyText;
    file.params = Analyzer::paramsOf(m_Settings);
    return file;
}

int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out) {
    AnalyzeSession session(userProfile, options);
    int status = kExitAnalysed;
    for (const std::string& path : options.files) {
        const FileAnalysis file = session.analyse(path);
        if (!file.load.ok) status = kExitRefused;
        const auto report = assembleReport(file, options);
        out << (options.json ? reportJsonLine(report) : reportLine(report)) << '\n' << std::flush;
    }
    return status;
}

}  // namespace tomaro
