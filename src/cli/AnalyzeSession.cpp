#include "cli/AnalyzeSession.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "analysis/FixedText.h"
#include "cli/MessageLine.h"
#include "cli/Report.h"
#include "cli/TurnsFile.h"
#include "kit/DrumTypes.h"
#include "kit/KitFile.h"
#include "kit/KitPlanner.h"
#include "tuning/ReadoutText.h"

namespace tomaro {
namespace {

// A choice of the command line that the kit or the head cannot take: said by tomaro-analyze
// alone, so no window caption.
UserMessage usageProblem(std::string text) {
    return UserMessage{std::move(text), {}, UserMessage::Severity::Error};
}

}  // namespace

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

std::optional<UserMessage> AnalyzeSession::findDrum(const CliOptions& options, int& drum) {
    drum = -1;
    if (options.drum) {
        // By the stored name ("Малый") or, in English, by the shown one ("Snare") as well.
        for (int position = 0; position < m_Tuner.kit().count(); ++position) {
            const std::string name = m_Tuner.kit().drumName(position);
            if (name == *options.drum || drums::shownName(name) == *options.drum) drum = position;
        }
        if (drum < 0) return usageProblem("the kit has no drum '" + *options.drum + "'");
    }
    return std::nullopt;
}

std::optional<UserMessage> AnalyzeSession::setUpListening(const CliOptions& options) {
    int drum = -1;
    if (std::optional<UserMessage> problem = findDrum(options, drum)) return problem;
    m_Tuner.setTunedDrum(drum);
    if (options.resonantHead || options.lug) {
        m_Tuner.setLugHead(options.resonantHead.value_or(false) ? DrumHead::Resonant
                                                                : DrumHead::Batter);
        if (options.lug && *options.lug > m_Tuner.lugs().count()) {
            return usageProblem("--lug " + std::to_string(*options.lug) + ": the head has " +
                                std::to_string(m_Tuner.lugs().count()) + " rods");
        }
        m_Tuner.setLugMode(true);
        keepLug(options);
    }
    return std::nullopt;
}

void AnalyzeSession::keepLug(const CliOptions& options) {
    if (options.lug) m_Tuner.selectLug(*options.lug);
}

std::optional<UserMessage> AnalyzeSession::setUpLugs(const CliOptions& options) {
    int drum = -1;
    if (std::optional<UserMessage> problem = findDrum(options, drum)) return problem;
    // Everything goes into the overlay: the user's stored heads stay as they are.
    m_Tuner.setTunedDrum(drum);
    m_Tuner.setLugHead(options.resonantHead.value_or(false) ? DrumHead::Resonant
                                                            : DrumHead::Batter);
    if (options.toleranceCents) m_Tuner.setToleranceCents(*options.toleranceCents);
    if (options.clockwiseOrder) {
        m_Tuner.setLugOrder(*options.clockwiseOrder ? LugOrder::Clockwise : LugOrder::Star);
    }
    m_Tuner.setLugCount(options.lugs.value_or(8));
    m_Tuner.setLugMode(true);
    return std::nullopt;
}

FileAnalysis AnalyzeSession::analyseLug(const std::string& path, int lug) {
    m_Tuner.selectLug(lug);
    FileAnalysis file = analyse(path);
    file.lug = lug;
    file.lugHz = file.load.ok ? m_Tuner.lugTuning().readingHz() : 0.0;
    return file;
}

int AnalyzeSession::analyseCentre(const std::string& path, std::ostream& err) {
    m_Tuner.lugTuning().requestCentreStrike();
    const FileAnalysis centre = analyse(path);
    if (centre.load.ok && !m_Tuner.lugTuning().centreStrikePending()) return kExitAnalysed;
    if (!m_CentreProblemSaid) {
        m_CentreProblemSaid = true;
        if (centre.load.ok) {
            err << "tomaro-analyze: " << path << ": the centre strike gave no reading\n";
        } else {
            sayMessage(err, centre.load.message.value_or(UserMessage{}),
                       path + ": the centre strike's file could not be read");
        }
    }
    return centre.load.ok ? kExitRejected : kExitRefused;
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
            sayMessage(err, *message, *options.kitFile);
            return nullptr;
        }
    }
    return session;
}

static int runLugs(AnalyzeSession& session, const CliOptions& options, std::ostream& out,
                   std::ostream& err) {
    if (const std::optional<UserMessage> problem = session.setUpLugs(options)) {
        sayMessage(err, *problem);
        return kExitUsage;
    }
    // Every rod is read before anything is printed: the deviations are taken from the reference
    // of the whole head (the mean of the rods when there is no target).
    std::vector<FileAnalysis> files;
    int status = kExitAnalysed;
    const Tuner& tuner = session.tuner();
    if (tuner.lugProblem() == Tuner::LugProblem::TargetOutsideSearch) {
        err << "tomaro-analyze: the head's target " << fixedText(tuner.lugKitTargetHz(), 2)
            << " Hz lies outside the lug search range " << tuner.lugs().searchRange().loHz << ".."
            << tuner.lugs().searchRange().hiHz << " Hz: it is not used\n";
    }
    // The turns file is read first, so that a damaged one is said before the pass; the pass is
    // read and printed all the same.
    std::optional<TurnsFile> turns;
    if (options.turnsFile) {
        turns.emplace(*options.turnsFile);
        if (const std::optional<UserMessage> problem = turns->load()) {
            sayMessage(err, *problem);
            status = kExitRefused;
        }
    }
    // The head's response to earlier advice: a missing file is a first pass; one that is not
    // such a state is said and left alone.
    bool learnUsable = false;
    if (options.learnFile) {
        std::ifstream in(*options.learnFile);
        std::string text;
        HeadResponse response;
        if (!in) {
            learnUsable = !std::filesystem::exists(*options.learnFile);
            if (!learnUsable) {
                err << "tomaro-analyze: " << *options.learnFile << ": cannot be read\n";
                status = kExitRefused;
            }
        } else if (std::getline(in, text) && response.restore(text)) {
            session.tuner().setLugResponse(response);
            learnUsable = true;
        } else {
            err << "tomaro-analyze: " << *options.learnFile
                << ": not a head's learnt response: left as it is, not used\n";
            status = kExitRefused;
        }
    }
    if (options.centreFile) {
        // The centre strike first.
        const int centre = session.analyseCentre(*options.centreFile, err);
        if (centre != kExitAnalysed) return centre;
    }
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        files.push_back(session.analyseLug(options.files[i], static_cast<int>(i) + 1));
        const FileAnalysis& file = files.back();
        if (!file.load.ok) {
            status = kExitRefused;
        } else if (!file.quality.accepted() && status == kExitAnalysed) {
            status = kExitRejected;
        }
    }
    const LugSession& lugs = session.tuner().lugs();
    // A pass in which no rod could be read is no measurement of the head.
    if (lugs.measuredCount() == 0 && status == kExitAnalysed) status = kExitRejected;
    if (!lugs.bandConfirmed()) {
        err << "tomaro-analyze: the centre strike's band " << fixedText(lugs.band().loHz, 1) << ".."
            << fixedText(lugs.band().hiHz, 1)
            << " Hz is not confirmed by the rods: most taps have no tone in it\n";
    }
    if (learnUsable) {
        const std::string temporary = *options.learnFile + ".new";
        std::ofstream out(temporary, std::ios::trunc);
        out << lugs.response().text() << '\n';
        out.close();
        if (!out || std::rename(temporary.c_str(), options.learnFile->c_str()) != 0) {
            err << "tomaro-analyze: " << *options.learnFile << ": cannot be written\n";
            std::remove(temporary.c_str());
            status = kExitRefused;
        }
    }
    const TurnModel* turnModel = nullptr;
    if (turns && turns->usable()) {
        turns->pass(lugs, options.turned);
        turnModel = &turns->model();
        if (turns->markRefused()) {
            err << "tomaro-analyze: --turned: rod " << options.turned->first
                << " was not read in this pass (or fewer than three rods were): no turn marked\n";
            status = kExitRefused;
        }
        if (const std::optional<UserMessage> problem = turns->save()) {
            sayMessage(err, *problem);
            status = kExitRefused;
        }
    }
    errno = 0;
    for (const FileAnalysis& file : files) {
        const auto report = assembleReport(file, options);
        out << (options.json ? reportJsonLine(lugFileReport(report, file, lugs))
                             : lugLine(report, file, lugs, turnModel))
            << '\n';
    }
    const auto summary = lugSummary(lugs, turnModel);
    out << (options.json ? reportJsonLine(summary) : headLine(summary)) << '\n';
    if (turnModel != nullptr && !options.json) out << turnsLine(*turns) << '\n';
    out << std::flush;
    return writtenOut(out, err) ? status : kExitWriteFailed;
}

// A figure of the JSON objects of --plan and --heads, to `digits` decimals.
static double roundedTo(double value, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

static int runPlan(AnalyzeSession& session, const CliOptions& options, std::ostream& out,
                   std::ostream& err) {
    kitplan::PlanRequest request;
    if (!kitplan::parseScheme(*options.plan, request.scheme, request.customSteps)) {
        err << "tomaro-analyze: --plan: unknown scheme '" << *options.plan << "'\n";
        return kExitUsage;
    }
    request.startNote = options.fromNote.value_or(request.startNote);
    request.fromTop = options.fromTop;
    const Kit& kit = session.tuner().kit();
    const kitplan::KitPlan plan = kitplan::planKit(kit, request);
    errno = 0;
    if (options.json) {
        nlohmann::ordered_json drumsJson = nlohmann::ordered_json::array();
        for (const kitplan::PlannedDrum& drum : plan.drums) {
            drumsJson.push_back(
                {{"drum", kit.drumName(drum.position)},
                 {"note", kitplan::scientificName(drum.note)},
                 {"frequency_hz", roundedTo(drum.frequencyHz, 2)},
                 {"range_hz", {roundedTo(drum.range.loHz, 1), roundedTo(drum.range.hiHz, 1)}},
                 {"in_range", drum.inRange}});
        }
        nlohmann::ordered_json planJson;
        planJson["scheme"] = plan.scheme == kitplan::Scheme::Custom
                                 ? *options.plan
                                 : std::string(kitplan::schemeCode(plan.scheme));
        planJson["drums"] = std::move(drumsJson);
        out << reportJsonLine({{"plan", std::move(planJson)}}) << '\n';
    } else {
        out << "plan " << *options.plan << " from " << kitplan::scientificName(request.startNote)
            << (request.fromTop ? " (highest tom)" : " (lowest tom)") << '\n';
        for (const kitplan::PlannedDrum& drum : plan.drums) {
            out << "  " << drums::shownName(kit.drumName(drum.position)) << ": "
                << kitplan::scientificName(drum.note) << "  " << fixedText(drum.frequencyHz, 2)
                << " Hz  (usual " << fixedText(drum.range.loHz, 0) << ".."
                << fixedText(drum.range.hiHz, 0) << " Hz)" << (drum.changed ? "" : "  kept")
                << (drum.inRange ? "" : "  OUTSIDE the usual range") << '\n';
        }
    }
    out << std::flush;
    return writtenOut(out, err) ? kExitAnalysed : kExitWriteFailed;
}

// One head of --heads: its taps read as --lugs reads them; the head's (1,1) mean, 0 when no rod
// gave a reading.
static int readHead(AnalyzeSession& session, const CliOptions& options, bool resonant,
                    std::span<const std::string> taps, double& meanHz, double& centreHz,
                    std::ostream& err) {
    CliOptions headOptions = options;
    headOptions.resonantHead = resonant;
    headOptions.lugs = std::clamp(static_cast<int>(taps.size()), lugs::kMinCount, lugs::kMaxCount);
    if (const std::optional<UserMessage> problem = session.setUpLugs(headOptions)) {
        sayMessage(err, *problem);
        return kExitUsage;
    }
    if (options.centreFile) {
        const int centre = session.analyseCentre(*options.centreFile, err);
        if (centre != kExitAnalysed) return centre;
        centreHz = session.tuner().lugs().centreHz();
    }
    int status = kExitAnalysed;
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const FileAnalysis file = session.analyseLug(taps[i], static_cast<int>(i) + 1);
        if (!file.load.ok) {
            sayMessage(err, file.load.message.value_or(UserMessage{}), file.path);
            status = kExitRefused;
        } else if (!file.quality.accepted() && status == kExitAnalysed) {
            status = kExitRejected;
        }
    }
    meanHz = session.tuner().lugs().head().meanHz;
    return status;
}

static int runHeads(AnalyzeSession& session, const CliOptions& options, std::ostream& out,
                    std::ostream& err) {
    const std::span<const std::string> files(options.files);
    const std::size_t batterCount = options.filesBeforeSeparator.value_or(files.size());
    double batterHz = 0.0;
    double resoHz = 0.0;
    double centreHz = 0.0;
    const int batterStatus =
        readHead(session, options, false, files.first(batterCount), batterHz, centreHz, err);
    if (batterStatus == kExitUsage) return batterStatus;
    const int resoStatus =
        readHead(session, options, true, files.subspan(batterCount), resoHz, centreHz, err);
    if (resoStatus == kExitUsage) return resoStatus;
    int status = std::max(batterStatus, resoStatus);
    if (batterStatus == kExitRefused || resoStatus == kExitRefused) status = kExitRefused;
    const kitplan::Interval interval = kitplan::intervalBetween(batterHz, resoHz);
    const auto hzOrNull = [](double hz) {
        return hz > 0.0 ? nlohmann::ordered_json(roundedTo(hz, 2)) : nlohmann::ordered_json();
    };
    errno = 0;
    if (options.json) {
        nlohmann::ordered_json heads;
        heads["batter_hz"] = hzOrNull(batterHz);
        heads["reso_hz"] = hzOrNull(resoHz);
        heads["interval_cents"] = interval.valid
                                      ? nlohmann::ordered_json(roundedTo(interval.cents, 1))
                                      : nlohmann::ordered_json();
        heads["fundamental_hz"] = hzOrNull(centreHz);
        out << reportJsonLine({{"heads", std::move(heads)}}) << '\n';
    } else {
        const auto hzText = [](double hz) {
            return hz > 0.0 ? fixedText(hz, 2) + " Hz" : std::string("no reading");
        };
        out << "batter: " << hzText(batterHz) << "\nreso:   " << hzText(resoHz)
            << "\ninterval: " << kitplan::intervalText(interval) << '\n';
        if (centreHz > 0.0) out << "fundamental: " << hzText(centreHz) << '\n';
    }
    out << std::flush;
    if (!(batterHz > 0.0 && resoHz > 0.0) && status == kExitAnalysed) status = kExitRejected;
    return writtenOut(out, err) ? status : kExitWriteFailed;
}

int runAnalyzer(const Profile& userProfile, const CliOptions& options, std::ostream& out,
                std::ostream& err, FileLoader importer) {
    const std::unique_ptr<AnalyzeSession> session =
        openSession(userProfile, options, err, importer);
    if (!session) return kExitUsage;
    if (options.lugs) return runLugs(*session, options, out, err);
    if (options.plan) return runPlan(*session, options, out, err);
    if (options.heads) return runHeads(*session, options, out, err);
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
