#include "cli/Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/FixedText.h"
#include "cli/MessageLine.h"
#include "settings/Language.h"
#include "tuning/ReadoutText.h"

namespace tomaro {
namespace {

// The owner of the nearest reference as the read-out names it: "12\"", "обер Пл1 12\"", or
// "эталон" for the free reference (in English "batter overtone 12\"", "reference").
std::string nearestOwner(const nlohmann::ordered_json& report) {
    if (report["nearest_drum"].is_null()) return pick("эталон", "reference");
    return readout::referenceOwner(report["nearest_kind"].get<int>(),
                                   report["nearest_drum"].get<std::string>());
}

// "  -1, Ля# -23 %  nearest 116.5 Гц (12\")", empty outside the read-out's range.
std::string readoutPart(const nlohmann::ordered_json& report) {
    if (report["note"].is_null()) return "";
    std::string part;
    const double displayedHz = report["displayed_hz"].get<double>();
    if (displayedHz != report["frequency_hz"].get<double>()) {
        part += "  read as " + readout::numberText(displayedHz) + pick(" Гц", " Hz");
    }
    part += "  " + report["note"].get<std::string>();
    if (report["nearest_hz"].is_null()) {
        part += "  no reference";
    } else {
        part += "  nearest " + readout::numberText(report["nearest_hz"].get<double>()) +
                pick(" Гц (", " Hz (") + nearestOwner(report) + ")";
    }
    return part;
}

// A number, or null when it is not finite (none, or no decay).
nlohmann::ordered_json numberOrNull(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json qualityReport(const QualityReport& quality) {
    nlohmann::ordered_json report;
    report["verdict"] = verdictCode(quality.verdict);
    auto& reasons = report["reasons"] = nlohmann::ordered_json::array();
    for (int i = 0; i < kQualityReasonCount; ++i) {
        const auto reason = static_cast<QualityReason>(i);
        if (quality.has(reason)) reasons.push_back(std::string(reasonCode(reason)));
    }
    report["clipped_in_stretch"] = quality.clippedInStretch;
    report["clipped_before"] = quality.clippedBefore;
    report["fit_snr_db"] = quality.fitSnrDb;
    report["decay_s"] = numberOrNull(quality.decaySec);
    report["rival_hz"] = numberOrNull(quality.rivalHz);
    report["rival_db"] = numberOrNull(quality.rivalDb);
    report["subharmonic_hz"] =
        quality.has(QualityReason::Subharmonic) ? numberOrNull(quality.subharmonicHz) : nullptr;
    report["glide_cents"] = quality.glideCents;
    report["level_db"] = quality.levelDb;
    return report;
}

}  // namespace

std::string latinText(std::string text) {
    static const std::string kHertz = "Гц";
    for (std::size_t at = text.find(kHertz); at != std::string::npos; at = text.find(kHertz, at)) {
        text.replace(at, kHertz.size(), "Hz");
    }
    return text;
}

nlohmann::ordered_json assembleReport(const FileAnalysis& file, const CliOptions& options) {
    nlohmann::ordered_json report;
    report["file"] = file.path;
    if (!file.load.ok) {
        report["error"] = file.load.message ? file.load.message->text : std::string();
        return report;
    }
    const AnalysisResult& result = file.result;
    report["sample_rate"] = file.load.sampleRateHz;
    report["channels"] = file.load.channels;
    report["frames"] = file.load.frames;
    report["mode"] = file.live ? "live" : file.load.direct ? "direct" : "copy";
    if (file.imported) {
        report["imported"] = true;
        report["clipped_samples"] = file.load.clippedSamples;
    }
    report["front"] = file.frontIndex;
    report["stretch_start"] = result.stretchStart;
    report["stretch_end"] = result.stretchEnd;
    const double rateHz = result.sampleRateHz;
    report["delay_sec"] = (result.stretchStart - file.frontIndex) / rateHz;
    report["length_sec"] = (result.stretchEnd - result.stretchStart) / rateHz;
    report["window"] = file.params.windowKind;
    report["decay"] = file.params.decay;
    // The range the pass searched: stored values outside it are held to it there.
    auto searched = [](int hz) {
        return std::clamp<double>(hz, Analyzer::kMinSearchHz, Analyzer::kMaxSearchHz);
    };
    report["search_range_hz"] = {static_cast<int>(searched(file.params.findF0Hz)),
                                 static_cast<int>(searched(file.params.findF1Hz))};
    report["peak_bin"] = result.peakBin;
    report["peak_hz"] = result.peakHz;
    report["frequency_hz"] = result.mainFrequencyHz;
    report["decay_per_sample"] = result.decayPerSample();
    auto text = [&](const std::string& programText) {
        return options.latin ? latinText(programText) : programText;
    };
    report["frequency_text"] = text(file.frequencyText);
    report["quality"] = qualityReport(file.quality);

    const NearestReference& nearest = file.nearest;
    report["note"] = file.note ? nlohmann::ordered_json(*file.note) : nullptr;
    report["displayed_hz"] =
        file.note ? nlohmann::ordered_json(nearest.displayedHz) : nlohmann::ordered_json(nullptr);
    report["nearest_hz"] = nearest.referenceHz != kNoReferenceHz
                               ? nlohmann::ordered_json(nearest.referenceHz)
                               : nlohmann::ordered_json(nullptr);
    report["nearest_drum"] = file.nearestDrum ? nlohmann::ordered_json(*file.nearestDrum) : nullptr;
    report["nearest_kind"] = nearest.kind;
    report["caption"] = text(file.caption);
    auto& lines = report["lines"] = nlohmann::ordered_json::array();
    for (const ReadoutLine& line : file.lines) {
        lines.push_back({{"text", text(line.text)}, {"color", line.color.hex()}});
    }
    if (options.track) {
        auto& track = report["pitch_track"] = nlohmann::ordered_json::array();
        for (const PitchPoint& point : file.track) {
            track.push_back({point.timeSec, point.frequencyHz});
        }
    }
    if (options.series) {
        report["series"] = {{"count", file.series.count},
                            {"median_hz", file.series.medianHz},
                            {"spread_cents", file.series.spreadCents},
                            {"stable", file.series.stable},
                            {"new", file.series.startedNew}};
    }
    return report;
}

nlohmann::ordered_json lugFileReport(nlohmann::ordered_json report, const FileAnalysis& file,
                                     const LugSession& lugs) {
    report["lug"] = file.lug;
    // The rod's reading as the head holds it at the end of the pass: later taps may have chosen
    // the family again and read it anew, always inside the band.
    const bool read = lugs.readingHz(file.lug) > 0.0 && file.lugHz > 0.0;
    report["lug_hz"] = read ? nlohmann::ordered_json(lugs.readingHz(file.lug)) : nullptr;
    report["cents"] =
        read && lugs.referenceHz() > 0.0 ? nlohmann::ordered_json(lugs.cents(file.lug)) : nullptr;
    // The mode family the tap was read in: "(1,1)" for a rod's reading, "other" for a tap that
    // rang another mode, or had no tone in the rod's band.
    report["family"] = read ? "(1,1)" : "other";
    if (!read && !report.contains("error")) {
        report["not_read"] = report["quality"]["verdict"] == "rejected"
                                 ? "the strike was rejected"
                                 : "no tone in the rod's band";
    }
    const ModePair& pair = lugs.tap(file.lug).pair11;
    if (read && pair.count == 2) {
        report["pair"] = {{"lo_hz", pair.lo.frequencyHz},
                          {"hi_hz", pair.hi.frequencyHz},
                          {"lo_db", pair.lo.levelDb},
                          {"hi_db", pair.hi.levelDb},
                          {"split_cents", pair.splitCents()}};
    }
    return report;
}

nlohmann::ordered_json lugSummary(const LugSession& lugs, const TurnModel* turns) {
    nlohmann::ordered_json head;
    head["count"] = lugs.count();
    head["measured"] = lugs.measuredCount();
    head["reference"] = lugs.referenceIsTarget() ? "target" : "mean";
    head["reference_hz"] = lugs.referenceHz() > 0.0 ? nlohmann::ordered_json(lugs.referenceHz())
                                                    : nlohmann::ordered_json(nullptr);
    const FrequencyBand band = lugs.band();
    head["band_hz"] = {band.loHz, band.hiHz};
    head["spread_cents"] = lugs.spreadCents();
    head["even"] = lugs.even();
    head["order"] = lugs.tappingOrder();
    // The head's pattern: the (1,1) split, the tight axis of cos 2θ (degrees clockwise from rod
    // 1) and its amplitude in cents at a rod; patterns odd around the head are never seen.
    const HeadFit& fit = lugs.head();
    // A split closer than the fit over all taps resolves is no figure: null, with the
    // resolution it lies below.
    head["split_cents"] = fit.splitBelowResolution ? nlohmann::ordered_json(nullptr)
                                                   : nlohmann::ordered_json(fit.splitCents);
    if (fit.splitBelowResolution) head["split_below_cents"] = HeadModeFit::kResolutionCents;
    // Closer than the fit parts, but shown by the swing of the rods' readings around the head.
    if (fit.splitFromReadings) head["split_from_readings"] = true;
    const bool axis = fit.measured >= 3 && fit.axisKnown;
    head["axis_deg"] = axis ? nlohmann::ordered_json(fit.axisDeg) : nullptr;
    // A split whose axis the rods do not show: the rods are to be tapped again.
    head["tap_again"] = fit.splitResolved && !fit.axisKnown;
    head["pattern_cents"] = fit.patternCents;
    head["band_confirmed"] = lugs.bandConfirmed();
    // What earlier passes taught (with --learn): the scale and turn the advice carries, and
    // whether the last pass raised the split so that this advice is smaller.
    head["advice_scale"] = fit.adviceScale;
    head["advice_turn_deg"] = fit.adviceTurnDeg;
    head["advice_reduced"] = lugs.response().reduced();
    if (lugs.count() >= 8) {
        head["split21_cents"] = fit.split21BelowResolution
                                    ? nlohmann::ordered_json(nullptr)
                                    : nlohmann::ordered_json(fit.split21Cents);
    }
    if (fit.hasPattern4) {
        head["pattern4"] = {{"split_cents", fit.split21Cents},
                            {"axis_deg", fit.axis4Deg},
                            {"pattern_cents", fit.pattern4Cents}};
    }
    head["odd_pattern_hidden"] = true;
    // What each rod needs, from the fitted patterns and the mean against the target: "cents" is
    // how far sharp the rod is of where it should be (+ sharp: to be loosened), as every signed
    // figure of Tomaro; with a calibrated --turns file, "turns" is the turn for it, to the
    // nearest eighth, and "turn_deg" the same in degrees of the key, to the nearest 5.
    const bool inTurns = turns != nullptr && turns->calibrated();
    auto& adjust = head["adjust"] = nlohmann::ordered_json::array();
    for (int lug = 1; lug <= lugs.count(); ++lug) {
        const LugAction action = lugs.action(lug);
        if (action == LugAction::None) continue;
        nlohmann::ordered_json rod = {{"lug", lug},
                                      {"cents", lugs.deviationCents(lug)},
                                      {"action", lugs::actionCode(action)}};
        if (inTurns && (action == LugAction::Tighten || action == LugAction::Loosen)) {
            rod["turns"] = turns->eighthsFor(lugs.deviationCents(lug)) / 8.0;
            rod["turn_deg"] = turns->degreesFor(lugs.deviationCents(lug));
        }
        adjust.push_back(std::move(rod));
    }
    if (turns != nullptr) {
        head["turns"] = {{"cents_per_turn", inTurns ? nlohmann::ordered_json(turns->centsPerTurn())
                                                    : nlohmann::ordered_json(nullptr)},
                         {"calibrations", turns->calibrations().size()},
                         {"marked", turns->pending() ? nlohmann::ordered_json(
                                                           {{"lug", turns->pendingLug()},
                                                            {"eighths", turns->pendingEighths()}})
                                                     : nlohmann::ordered_json(nullptr)}};
    }
    nlohmann::ordered_json summary;
    summary["lugs"] = head;
    return summary;
}

std::string lugLine(const nlohmann::ordered_json& report, const FileAnalysis& file,
                    const LugSession& lugs, const TurnModel* turns) {
    std::string line = "rod " + std::to_string(file.lug) + ": ";
    const std::string name = report["file"].get<std::string>();
    if (report.contains("error")) {
        return line + "not read  (" + name +
               ": refused: " + messageLine(report["error"].get<std::string>()) + ")";
    }
    if (lugs.readingHz(file.lug) <= 0.0 && report["quality"]["verdict"] != "rejected") {
        return line + "not read  (" + name + ": no tone in the rod's band)";
    }
    if (lugs.readingHz(file.lug) <= 0.0 || file.lugHz <= 0.0) {
        std::string why = report["quality"]["verdict"].get<std::string>();
        for (const auto& reason : report["quality"]["reasons"]) {
            why += " " + reason.get<std::string>();
        }
        return line + "not read  (" + name + ": " + why + ")";
    }
    // The reading against the reference (signed: + sharp), then the advice as a word and an
    // unsigned size, in turns once they are calibrated.
    const LugAction action = lugs.action(file.lug);
    line += fixedText(lugs.readingHz(file.lug), 2) + " Hz  " + fixedText(lugs.cents(file.lug), 1) +
            " ¢  " + lugs::actionCode(action);
    if (action == LugAction::Tighten || action == LugAction::Loosen) {
        const double cents = std::abs(lugs.deviationCents(file.lug));
        line += " " + fixedText(cents, 0) + " ¢";
        if (turns != nullptr && turns->calibrated()) line += " " + turns->adviceText(cents);
    }
    return line + "  (" + name + ")";
}

std::string headLine(const nlohmann::ordered_json& summary) {
    const auto& head = summary["lugs"];
    std::string line = "head: " + std::to_string(head["count"].get<int>()) + " rods, " +
                       std::to_string(head["measured"].get<int>()) + " measured, reference ";
    line += head["reference_hz"].is_null()
                ? std::string("none")
                : fixedText(head["reference_hz"].get<double>(), 2) + " Hz (" +
                      head["reference"].get<std::string>() + ")";
    line += ", band " + fixedText(head["band_hz"][0].get<double>(), 1) + ".." +
            fixedText(head["band_hz"][1].get<double>(), 1) + " Hz, spread " +
            fixedText(head["spread_cents"].get<double>(), 1) + " ¢, split " +
            (head["split_cents"].is_null()
                 ? "< " + fixedText(head["split_below_cents"].get<double>(), 0) + " ¢"
                 : fixedText(head["split_cents"].get<double>(), 1) + " ¢") +
            (head["axis_deg"].is_null()
                 ? std::string()
                 : ", tight axis " + fixedText(head["axis_deg"].get<double>(), 0) + " deg") +
            (head["tap_again"].get<bool>() ? ", axis not shown: tap the rods again" : "") + ", " +
            (head["even"].get<bool>() ? "even" : "not even");
    return line;
}

std::string turnsLine(const TurnsFile& turns) {
    const TurnModel& model = turns.model();
    std::string line = "turns: ";
    if (model.calibrated()) {
        line += fixedText(model.centsPerTurn(), 0) + " ¢ per turn (" +
                std::to_string(model.calibrations().size()) +
                (model.calibrations().size() == 1 ? " calibration)" : " calibrations)");
        if (turns.calibratedNow()) line += ", calibrated by this pass";
    } else {
        line += "not calibrated yet";
    }
    if (model.pending()) {
        line += "; rod " + std::to_string(model.pendingLug()) + " marked " +
                turns::fractionText(model.pendingEighths()) +
                " turn: turn only it, then tap the head again with the same --turns file";
    } else if (!model.calibrated()) {
        line += " (mark a turn with --turned LUG:EIGHTHS)";
    }
    return line;
}

std::string reportJsonLine(const nlohmann::ordered_json& report) {
    return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string reportLine(const nlohmann::ordered_json& report, const CliOptions& options) {
    const std::string file = report["file"].get<std::string>();
    if (report.contains("error")) {
        return file + ": refused: " + messageLine(report["error"].get<std::string>());
    }
    std::string line = file + ": " + report["frequency_text"].get<std::string>();
    const std::string readout = readoutPart(report);
    line += options.latin ? latinText(readout) : readout;
    line += "  (peak " + fixedText(report["peak_hz"].get<double>(), 2) + " Hz at bin " +
            std::to_string(report["peak_bin"].get<int>());
    line += ", stretch " + fixedText(report["delay_sec"].get<double>(), 4) + " s + " +
            fixedText(report["length_sec"].get<double>(), 4) + " s";
    line += ", " + std::to_string(report["sample_rate"].get<int>()) + " Hz " +
            std::to_string(report["channels"].get<int>()) + " ch " +
            report["mode"].get<std::string>() + ")";
    const auto& quality = report["quality"];
    if (quality["verdict"] != "good") {
        line += "  " + quality["verdict"].get<std::string>() + ":";
        for (const auto& reason : quality["reasons"]) line += " " + reason.get<std::string>();
    }
    if (report.contains("series")) {
        const auto& series = report["series"];
        line += "  series " + std::to_string(series["count"].get<int>()) + " at " +
                fixedText(series["median_hz"].get<double>(), 2) + " Hz +- " +
                fixedText(series["spread_cents"].get<double>(), 1) + " ¢" +
                (series["stable"].get<bool>() ? " stable" : "");
    }
    return line;
}

}  // namespace tomaro
