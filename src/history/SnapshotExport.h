#pragma once

#include <string>

#include "history/HistoryTypes.h"

// A snapshot written out for other programs. Pure functions, any thread.
namespace tomaro::history {

// CSV: a header line "drum,head,rod,angle_deg,frequency_hz,cents,target_hz,tolerance_cents,date",
// then the drum's strike (head "drum", rod and angle empty) and every rod measured (head "batter"
// or "reso", rod 1..n, its angle clockwise from the top). Cents from the target when there is one,
// for a rod without one from the mean of its head; empty otherwise. A point as decimal mark; a
// drum name holding a comma or a quote is quoted. Dates in ISO 8601 (UTC).
std::string snapshotCsv(const Snapshot& snapshot);

// JSON: {"name", "time", "drums": [{"drum", "drum_type", "strike": {frequency_hz, target_hz,
// tolerance_cents, cents, time} or null, "heads": [{"head", "lugs", "mean_hz", "time", "rods":
// [{"lug", "angle_deg", "frequency_hz", "cents", "target_hz", "tolerance_cents"}]}]}]}, on one
// line.
std::string snapshotJson(const Snapshot& snapshot);

// Text as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace tomaro::history
