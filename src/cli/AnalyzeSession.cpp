#include "cli/AnalyzeSession.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "cli/Report.h"
#include "display/ReadoutText.h"
#include "kit/KitFile.h"

namespace tomaro {

AnalyzeSession::AnalyzeSession(const Profile& userProfile, const CliOptions& options)
    : m_Profile(userProfile),
      m_Tuner(m_Profile),
      m_PickHz(options.pickHz),
      m_LatinNotes(options.latin) {
    // The same operations as the main window's controls, so that the values are clamped and
    // swapped exactly as there; they write only into the overlay.
    AnalysisSettings& settings = m_Tuner.settings();
    Stretch& stretch = m_Tuner.stretch();
    if (options.windowKind) settings.setWindowKind(*options.windowKind);
    if (options.decay) settings.setDecayAccounting(*options.decay);
    if (options.rangeHz)
        settings.searchRangeChanged(options.rangeHz->first, options.rangeHz->second);
    if (options.delaySec || options.lengthSec) {
        stretch.setTimes(options.delaySec.value_or(stretch.delaySec()),
                         options.lengthSec.value_or(stretch.lengthSec()));
    }
    if (options.overtoneTransfer) m_Tuner.setOvertoneTransfer(*options.overtoneTransfer);
    if (options.switches) {
        ReferenceSwitches& switches = m_Tuner.switches();
        switches.fundamental = (*options.switches)[kFundamental];
        switches.batter = (*options.switches)[kBatterOvertone];
        switches.resonant = (*options.switches)[kResonantOvertone];
    }
    referencesUpdate();
}

void AnalyzeSession::referencesUpdate() {
    m_Tuner.reloadKit();
    if (m_LatinNotes) m_Tuner.kit().setLatinNames(true);
    m_Caption = m_Tuner.referencesUpdate();
}

std::optional<UserMessage> AnalyzeSession::loadKitFile(const std::string& path) {
    std::optional<UserMessage> message = KitFile::load(path, m_Profile);
    if (!message) referencesUpdate();
    return message;
}

FileAnalysis AnalyzeSession::analyse(const std::string& path) {
    FileAnalysis file;
    file.path = path;
    file.imported = m_Importer != nullptr;
    file.load = file.imported ? m_Importer(path, m_Tuner.recorder()) : m_Tuner.loadFile(path);
    if (!file.load.ok) return file;

    if (m_PickHz) m_Tuner.analyzer().pickFrequency(*m_PickHz);
    m_Tuner.paintStep();
    FileAnalysis reading = currentReading(path);
    reading.load = file.load;
    reading.imported = file.imported;
    return reading;
}

FileAnalysis AnalyzeSession::currentReading(const std::string& label) {
    FileAnalysis file;
    file.path = label;
    file.analysed = true;
    file.result = m_Tuner.analyzer().result();
    file.frontIndex = m_Tuner.record().startIndex;
    file.frequencyText = m_Tuner.record().lastFrequencyText;
    file.params = Analyzer::paramsOf(m_Tuner.settings());
    file.quality = m_Tuner.quality();
    for (const PitchPoint& point : m_Tuner.pitchTrack().points()) {
        if (point.valid) file.track.push_back(point);
    }
    file.series = m_Tuner.series().state();

    const Readout& readout = m_Tuner.readout();
    file.nearest = readout.nearest();
    if (file.nearest.drum >= 0) file.nearestDrum = m_Tuner.kit().drumName(file.nearest.drum);
    if (isReadoutFrequency(file.result.mainFrequencyHz)) {
        file.note = readout::noteText(file.nearest.displayedHz, true, m_Tuner.kit().latinNames());
    }
    file.lines = readout.lines();
    file.caption = m_Caption;
    return file;
}

bool writtenOut(std::ostream& out, std::ostream& err) {
    if (out.flush()) return true;
    // The stream keeps no error code; errno still holds the failed write's (ENOSPC, EPIPE...).
    const int code = errno;
    err << "tomaro-analyze: cannot write the output"
        << (code != 0 ? std::string(": ") + std::strerror(code) : std::string()) << '\n';
    return false;
}

std::unique_ptr<AnalyzeSession> openSession(const Profile& userProfile, const CliOptions& options,
                                            std::ostream& err, FileLoader importer) {
    auto session = std::make_unique<AnalyzeSession>(userProfile, options);
    if (options.import) session->setImporter(importer);
    if (options.kitFile) {
        if (auto message = session->loadKitFile(*options.kitFile)) {
            err << "tomaro-analyze: " << *options.kitFile << ": " << message->text << '\n';
            return nullptr;
        }
    }
    return session;
}

int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err, FileLoader importer) {
    const std::unique_ptr<AnalyzeSession> session =
        openSession(userProfile, options, err, importer);
    if (!session) return kExitUsage;
    int status = kExitAnalysed;
    for (const std::string& path : options.files) {
        const FileAnalysis file = session->analyse(path);
        if (!file.load.ok) {
            status = kExitRefused;
        } else if (!file.quality.accepted() && status == kExitAnalysed) {
            status = kExitRejected;
        }
        const auto report = assembleReport(file, options);
        errno = 0;
        out << (options.json ? reportJsonLine(report) : reportLine(report, options)) << '\n'
            << std::flush;
        if (!writtenOut(out, err)) return kExitWriteFailed;
    }
    return status;
}

}  // namespace tomaro
