#include "history/SnapshotExport.h"

#include <cmath>
#include <cstdio>

#include "base/Cents.h"
#include "history/HistoryTime.h"
#include "history/UntrustedText.h"

namespace tomaro::history {
namespace {

// Non-finite values (a hand-edited or foreign file) have no number to write: empty in CSV,
// null in JSON.
std::string number(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

double angleDeg(int lug, int count) { return count > 0 ? 360.0 * (lug - 1) / count : 0.0; }

// Cents of a rod from its target, else from its head's mean; none without either.
std::optional<double> rodCents(const HeadPass& pass, double hz) {
    const double reference = pass.targetHz > 0.0 ? pass.targetHz : pass.meanHz();
    if (reference <= 0.0 || hz <= 0.0) return std::nullopt;
    return centsBetween(reference, hz);
}

std::optional<double> strikeCents(const Reading& strike) {
    if (strike.targetHz <= 0.0 || strike.frequencyHz <= 0.0) return std::nullopt;
    return centsBetween(strike.targetHz, strike.frequencyHz);
}

std::string optionalNumber(const std::optional<double>& value, int decimals,
                           const char* none = "") {
    return value && std::isfinite(*value) ? number(*value, decimals) : std::string(none);
}

std::string positive(double value, int decimals, const char* none = "") {
    return value > 0.0 && std::isfinite(value) ? number(value, decimals) : std::string(none);
}

std::string jsonNumber(double value, int decimals) {
    return std::isfinite(value) ? number(value, decimals) : std::string("null");
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : validUtf8(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + '"';
}

std::string snapshotCsv(const Snapshot& snapshot) {
    std::string text =
        "drum,head,rod,angle_deg,frequency_hz,cents,target_hz,tolerance_cents,date\n";
    for (const SnapshotDrum& drum : snapshot.drums) {
        if (drum.strike) {
            const Reading& strike = *drum.strike;
            text += csvField(drum.drum) + ",drum,,," + number(strike.frequencyHz, 2) + ',' +
                    optionalNumber(strikeCents(strike), 1) + ',' + positive(strike.targetHz, 2) +
                    ',' + positive(strike.toleranceCents, 0) + ',' + isoTime(strike.timeMs) + '\n';
        }
        for (const HeadPass& pass : drum.heads) {
            for (int lug = 1; lug <= pass.lugCount; ++lug) {
                const double hz = pass.rodHz[static_cast<std::size_t>(lug - 1)];
                if (hz <= 0.0) continue;
                text += csvField(drum.drum) + ',' + struckCode(pass.head) + ',' +
                        std::to_string(lug) + ',' + number(angleDeg(lug, pass.lugCount), 1) + ',' +
                        number(hz, 2) + ',' + optionalNumber(rodCents(pass, hz), 1) + ',' +
                        positive(pass.targetHz, 2) + ',' + positive(pass.toleranceCents, 0) + ',' +
                        isoTime(pass.timeMs) + '\n';
            }
        }
    }
    return text;
}

std::string snapshotJson(const Snapshot& snapshot) {
    std::string text = "{\"name\":" + jsonString(snapshot.info.name) +
                       ",\"time\":" + jsonString(isoTime(snapshot.info.timeMs)) + ",\"drums\":[";
    bool firstDrum = true;
    for (const SnapshotDrum& drum : snapshot.drums) {
        text += firstDrum ? "" : ",";
        firstDrum = false;
        text += "{\"drum\":" + jsonString(drum.drum) +
                ",\"drum_type\":" + std::to_string(drum.drumType) + ",\"strike\":";
        if (drum.strike) {
            const Reading& strike = *drum.strike;
            text += "{\"frequency_hz\":" + jsonNumber(strike.frequencyHz, 3) +
                    ",\"target_hz\":" + positive(strike.targetHz, 3, "null") +
                    ",\"tolerance_cents\":" + positive(strike.toleranceCents, 1, "null") +
                    ",\"cents\":" + optionalNumber(strikeCents(strike), 2, "null") +
                    ",\"verdict\":" + jsonString(strike.verdict) +
                    ",\"time\":" + jsonString(isoTime(strike.timeMs)) + "}";
        } else {
            text += "null";
        }
        text += ",\"heads\":[";
        bool firstHead = true;
        for (const HeadPass& pass : drum.heads) {
            text += firstHead ? "" : ",";
            firstHead = false;
            text += "{\"head\":" + jsonString(struckCode(pass.head)) +
                    ",\"lugs\":" + std::to_string(pass.lugCount) +
                    ",\"mean_hz\":" + positive(pass.meanHz(), 3, "null") +
                    ",\"time\":" + jsonString(isoTime(pass.timeMs)) + ",\"rods\":[";
            bool firstRod = true;
            for (int lug = 1; lug <= pass.lugCount; ++lug) {
                const double hz = pass.rodHz[static_cast<std::size_t>(lug - 1)];
                if (hz <= 0.0) continue;
                text += firstRod ? "" : ",";
                firstRod = false;
                text += "{\"lug\":" + std::to_string(lug) +
                        ",\"angle_deg\":" + number(angleDeg(lug, pass.lugCount), 1) +
                        ",\"frequency_hz\":" + jsonNumber(hz, 3) +
                        ",\"cents\":" + optionalNumber(rodCents(pass, hz), 2, "null") +
                        ",\"target_hz\":" + positive(pass.targetHz, 3, "null") +
                        ",\"tolerance_cents\":" + positive(pass.toleranceCents, 1, "null") + "}";
            }
            text += "]}";
        }
        text += "]}";
    }
    return text + "]}";
}

}  // namespace tomaro::history
