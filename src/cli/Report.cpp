#include "cli/Report.h"

#include <algorithm>
#include <cstdio>

#include "analysis/FixedText.h"
#include "display/ReadoutText.h"

namespace tomaro {
namespace {

std::string trimmedMessage(std::string message) {
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

// The owner of the nearest reference as the read-out names it: "12\"", "обер Пл1 12\"", or
// "эталон" for the free reference.
std::string nearestOwner(const nlohmann::ordered_json& report) {
    if (report["nearest_drum"].is_null()) return "эталон";
    const int kind = report["nearest_kind"].get<int>();
    const char* prefix = kind == kBatterOvertone     ? "обер Пл1 "
                         : kind == kResonantOvertone ? "обер Пл2 "
                                                     : "";
    return prefix + report["nearest_drum"].get<std::string>();
}

// "  -1, Ля# -23 %  nearest 116.5 Гц (12\")", empty outside the read-out's range.
std::string readoutPart(const nlohmann::ordered_json& report) {
    if (report["note"].is_null()) return "";
    std::string part;
    const double displayedHz = report["displayed_hz"].get<double>();
    if (displayedHz != report["frequency_hz"].get<double>()) {
        part += "  read as " + readout::numberText(displayedHz) + " Гц";
    }
    part += "  " + report["note"].get<std::string>();
    if (report["nearest_hz"].is_null()) {
        part += "  no reference";
    } else {
        part += "  nearest " + readout::numberText(report["nearest_hz"].get<double>()) + " Гц (" +
                nearestOwner(report) + ")";
    }
    return part;
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
        report["error"] = file.load.message;
        return report;
    }
    const AnalysisResult& result = file.result;
    report["sample_rate"] = file.load.sampleRateHz;
    report["channels"] = file.load.channels;
    report["frames"] = file.load.frames;
    report["mode"] = file.load.direct ? "direct" : "copy";
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
    return report;
}

std::string reportJsonLine(const nlohmann::ordered_json& report) {
    return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string reportLine(const nlohmann::ordered_json& report, const CliOptions& options) {
    const std::string file = report["file"].get<std::string>();
    if (report.contains("error")) {
        return file + ": refused: " + trimmedMessage(report["error"].get<std::string>());
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
    return line;
}

}  // namespace tomaro
