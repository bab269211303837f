#include "cli/AnalyzeSession.h"

#include <ostream>

#include "cli/Report.h"
#include "display/ReadoutText.h"
#include "kit/KitFile.h"

namespace tomaro {

AnalyzeSession::AnalyzeSession(const Profile& userProfile, const CliOptions& options)
    : m_Profile(userProfile),
      m_Settings(m_Profile),
      m_Stretch(m_Profile),
      m_Recorder(m_Record),
      m_PickHz(options.pickHz),
      m_LatinNotes(options.latin),
      m_Switches(ReferenceSwitches::load(m_Profile)),
      m_OvertoneTransfer(options.overtoneTransfer.value_or(loadOvertoneTransfer(m_Profile))) {
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
    if (options.switches) {
        m_Switches.fundamental = (*options.switches)[kFundamental];
        m_Switches.batter = (*options.switches)[kBatterOvertone];
        m_Switches.resonant = (*options.switches)[kResonantOvertone];
    }
    referencesUpdate();
    m_Recorder.setStrikeReplacedHook([this] { m_Stretch.setStrike(m_Record); });
    m_Recorder.setAnalysisHook([this] {
        const AnalysisResult& result = m_Analyzer.analyze(m_Record, m_Stretch, m_Settings);
        m_Record.lastFrequencyText = std::string(result.frequencyText());
        m_Readout.update(result.mainFrequencyHz, m_Kit, m_Switches, m_OvertoneTransfer);
    });
}

void AnalyzeSession::referencesUpdate() {
    m_Kit.load(m_Profile);
    if (m_LatinNotes) m_Kit.setLatinNames(true);
    m_Caption = updateReferencesButton(m_Switches, m_Kit, m_Profile);
}

std::optional<UserMessage> AnalyzeSession::loadKitFile(const std::string& path) {
    std::optional<UserMessage> message = KitFile::load(path, m_Profile);
    if (!message) referencesUpdate();
    return message;
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

    file.nearest = m_Readout.nearest();
    if (file.nearest.drum >= 0) file.nearestDrum = m_Kit.drumName(file.nearest.drum);
    if (isReadoutFrequency(file.result.mainFrequencyHz)) {
        file.note = readout::noteText(file.nearest.displayedHz, true, m_Kit.latinNames());
    }
    file.lines = m_Readout.lines();
    file.caption = m_Caption;
    return file;
}

int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err) {
    AnalyzeSession session(userProfile, options);
    if (options.kitFile) {
        if (auto message = session.loadKitFile(*options.kitFile)) {
            err << "tomaro-analyze: " << *options.kitFile << ": " << message->text << '\n';
            return kExitUsage;
        }
    }
    int status = kExitAnalysed;
    for (const std::string& path : options.files) {
        const FileAnalysis file = session.analyse(path);
        if (!file.load.ok) status = kExitRefused;
        const auto report = assembleReport(file, options);
        out << (options.json ? reportJsonLine(report) : reportLine(report, options)) << '\n'
            << std::flush;
    }
    return status;
}

}  // namespace tomaro
