#include "cli/Report.h"

#include <cstdio>

#include "analysis/FixedText.h"

namespace tomaro {
namespace {

std::string trimmedMessage(std::string message) {
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
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
    report["front"] = file.frontIndex;
    report["stretch_start"] = result.stretchStart;
    report["stretch_end"] = result.stretchEnd;
    const double rateHz = result.sampleRateHz;
    report["delay_sec"] = (result.stretchStart - file.frontIndex) / rateHz;
    report["length_sec"] = (result.stretchEnd - result.stretchStart) / rateHz;
    report["window"] = file.params.windowKind;
    report["decay"] = file.params.decay;
    report["search_range_hz"] = {file.params.findF0Hz, file.params.findF1Hz};
    report["peak_bin"] = result.peakBin;
    report["peak_hz"] = result.peakHz;
    report["frequency_hz"] = result.mainFrequencyHz;
    report["decay_per_sample"] = result.decayPerSample();
    report["frequency_text"] = options.latin ? latinText(file.frequencyText) : file.frequencyText;
    return report;
}

std::string reportJsonLine(const nlohmann::ordered_json& report) {
    return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string reportLine(const nlohmann::ordered_json& report) {
    const std::string file = report["file"].get<std::string>();
    if (report.contains("error")) {
        return file + ": refused: " + trimmedMessage(report["error"].get<std::string>());
    }
    std::string line = file + ": " + report["frequency_text"].get<std::string>();
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
