#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Times and places of the tuning history. Pure functions, any thread.
namespace tomaro::history {

std::int64_t nowMs();

// "2026-12-09T03:46:00.123Z" (UTC).
std::string isoTime(std::int64_t timeMs);
// "2026-12-09 03:46" in UTC, for names and lists.
std::string shortTime(std::int64_t timeMs);
// "2026-12-09", "2026-12-09T03:46", "2026-12-09T03:46:00", with ".fff" and a "Z" or "+hh:mm"
// offset (a space may stand for the T); without an offset the time is UTC. Nothing else.
std::optional<std::int64_t> parseIsoTime(const std::string& text);

// Where the window keeps the history: Qt's AppDataLocation for organisation "Harnwick" and
// application "Tomaro" on Linux ($XDG_DATA_HOME, else ~/.local/share, then "/Harnwick/Tomaro"),
// plus "/tomaro.sqlite". Empty when neither XDG_DATA_HOME nor HOME is set.
std::string defaultHistoryPath();

}  // namespace tomaro::history
