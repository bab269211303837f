#include "cli/HistoryCommand.h"

#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/AnalyzeSession.h"
#include "cli/MessageLine.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/SnapshotExport.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

using history::HistoryStore;

nlohmann::ordered_json readingJson(const history::Reading& reading) {
    nlohmann::ordered_json object;
    object["time"] = history::isoTime(reading.timeMs);
    object["drum"] = reading.drum;
    object["struck"] = history::struckCode(reading.struck);
    if (history::isHead(reading.struck)) {
        object["lug"] = reading.lug;
        object["lugs"] = reading.lugCount;
    }
    object["frequency_hz"] = reading.frequencyHz;
    if (reading.pair) {
        object["pair"] = {{"lo_hz", reading.pair->loHz},
                          {"hi_hz", reading.pair->hiHz},
                          {"lo_db", reading.pair->loDb},
                          {"hi_db", reading.pair->hiDb}};
    }
    object["verdict"] = reading.verdict;
    object["target_hz"] = reading.targetHz > 0.0 ? nlohmann::ordered_json(reading.targetHz)
                                                 : nlohmann::ordered_json(nullptr);
    object["tolerance_cents"] = reading.toleranceCents;
    // Only where it is so: a reading from a sound file opened, not a strike.
    if (reading.fromFile) object["from_file"] = true;
    return object;
}

std::string readingLine(const history::Reading& reading) {
    char hz[32];
    std::snprintf(hz, sizeof hz, "%.2f Hz", reading.frequencyHz);
    std::string line = history::isoTime(reading.timeMs) + "  " +
                       (reading.drum.empty() ? std::string("-") : reading.drum) + "  " +
                       history::struckCode(reading.struck);
    if (history::isHead(reading.struck)) line += " rod " + std::to_string(reading.lug);
    line += std::string("  ") + hz + "  " + reading.verdict;
    if (reading.fromFile) line += "  from file";
    if (reading.pair) {
        char pair[64];
        std::snprintf(pair, sizeof pair, "  pair %.2f/%.2f Hz", reading.pair->loHz,
                      reading.pair->hiHz);
        line += pair;
    }
    return line;
}

// One JSON object on one line. Text from the history is valid UTF-8 already; a byte that is
// not would be replaced rather than end the program.
std::string jsonLine(const nlohmann::ordered_json& object) {
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

}  // namespace

int runHistoryCommand(const std::string& path, const CliOptions& options, std::ostream& out,
                      std::ostream& err) {
    if (path.empty()) {
        err << "tomaro-analyze: no home folder: the tuning history cannot be found\n";
        return kExitRefused;
    }
    HistoryStore store(path, HistoryStore::Mode::ReadOnly);
    if (!store.isOpen()) {
        sayMessage(err, store.takeMessage().value_or(UserMessage{}));
        return kExitRefused;
    }
    errno = 0;
    if (options.history) {
        history::ReadingQuery query;
        query.drum = options.drum;
        if (options.since) query.sinceMs = history::parseIsoTime(*options.since);
        // Line by line as the rows come: the first is out at once, and a closed output stops
        // the reading.
        const bool whole = store.forEachReading(query, [&](const history::Reading& reading) {
            out << (options.json ? jsonLine(readingJson(reading)) : readingLine(reading)) << '\n';
            return static_cast<bool>(out);
        });
        if (!whole && out) {
            err << "tomaro-analyze: "
                << pick("История настройки прочитана не до конца: ",
                        "The tuning history could not be read to its end: ")
                << path << '\n';
            out.flush();
            return kExitRefused;
        }
    } else if (options.snapshots) {
        const std::vector<history::SnapshotInfo> list = store.snapshots();
        if (list.empty() && !options.json) {
            out << pick("Снимков настройки ещё нет.", "There are no tuning snapshots yet.") << '\n';
        }
        for (const history::SnapshotInfo& info : list) {
            if (options.json) {
                nlohmann::ordered_json object;
                object["id"] = info.id;
                object["name"] = info.name;
                object["time"] = history::isoTime(info.timeMs);
                object["drums"] = info.drums;
                out << jsonLine(object) << '\n';
            } else {
                out << info.id << "  " << history::shortTime(info.timeMs) << "  " << info.name
                    << "  (" << joined(info.drums) << ")\n";
            }
        }
    } else if (options.snapshot) {
        const std::vector<history::SnapshotInfo> found = store.findSnapshots(*options.snapshot);
        if (found.empty()) {
            err << "tomaro-analyze: "
                << pick("нет снимка с таким названием или номером: ",
                        "no snapshot of that name or id: ")
                << *options.snapshot << '\n';
            return kExitRefused;
        }
        if (found.size() > 1) {
            err << "tomaro-analyze: "
                << pick("этим названием назван не один снимок; укажите номер (id) одного из них:",
                        "more than one snapshot has that name; give the id of one of them:")
                << '\n';
            for (const history::SnapshotInfo& info : found) {
                err << "  " << info.id << "  " << history::shortTime(info.timeMs) << "  "
                    << info.name << '\n';
            }
            return kExitRefused;
        }
        const auto snapshot = store.snapshot(found.front().id);
        if (!snapshot) {
            sayMessage(err, store.takeMessage().value_or(UserMessage{}));
            return kExitRefused;
        }
        out << (options.json ? history::snapshotJson(*snapshot) : history::snapshotCsv(*snapshot))
            << (options.json ? "\n" : "");
    }
    return writtenOut(out, err) ? kExitAnalysed : kExitWriteFailed;
}

}  // namespace tomaro
