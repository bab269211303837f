#include "history/HistoryTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tomaro::history {
namespace {

using namespace std::chrono;

struct CivilTime {
    int year, month, day, hour, minute, second, millis;
};

// Times read from a file may be anything: they are held to the years 0000..9999, which the
// calendar types and the four-digit year of the texts hold.
constexpr std::int64_t kFirstMs = -62167219200000;  // 0000-01-01T00:00:00.000Z
constexpr std::int64_t kLastMs = 253402300799999;   // 9999-12-31T23:59:59.999Z

CivilTime civil(std::int64_t timeMs) {
    const sys_time<milliseconds> time{milliseconds(std::clamp(timeMs, kFirstMs, kLastMs))};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count()),
            static_cast<int>(clock.subseconds().count())};
}

// Reads exactly `count` digits at `pos`.
bool digits(const std::string& text, std::size_t& pos, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
        value = value * 10 + (text[pos] - '0');
    }
    return true;
}

}  // namespace

std::int64_t nowMs() {
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string isoTime(std::int64_t timeMs) {
    const CivilTime t = civil(timeMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millis);
    return text;
}

std::string shortTime(std::int64_t timeMs) {
    const CivilTime t = civil(timeMs);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

std::optional<std::int64_t> parseIsoTime(const std::string& text) {
    std::size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (!digits(text, pos, 4, y) || pos >= text.size() || text[pos++] != '-' ||
        !digits(text, pos, 2, mo) || pos >= text.size() || text[pos++] != '-' ||
        !digits(text, pos, 2, d))
        return std::nullopt;
    const year_month_day date{year(y), month(static_cast<unsigned>(mo)),
                              day(static_cast<unsigned>(d))};
    if (!date.ok()) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == ' ')) {
        ++pos;
        if (!digits(text, pos, 2, h) || pos >= text.size() || text[pos++] != ':' ||
            !digits(text, pos, 2, mi))
            return std::nullopt;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!digits(text, pos, 2, s)) return std::nullopt;
            if (pos < text.size() && text[pos] == '.') {
                ++pos;
                const std::size_t start = pos;
                int scale = 100;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                    ms += (text[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start) return std::nullopt;
            }
        }
        if (h > 23 || mi > 59 || s > 60) return std::nullopt;
    }
    int offsetMinutes = 0;
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos++] == '+' ? 1 : -1;
        int oh = 0, om = 0;
        if (!digits(text, pos, 2, oh)) return std::nullopt;
        if (pos < text.size() && text[pos] == ':') ++pos;
        if (!digits(text, pos, 2, om)) return std::nullopt;
        offsetMinutes = sign * (oh * 60 + om);
    }
    if (pos != text.size()) return std::nullopt;
    const auto time = sys_days(date) + hours(h) + minutes(mi) + seconds(s) + milliseconds(ms) -
                      minutes(offsetMinutes);
    return duration_cast<milliseconds>(time.time_since_epoch()).count();
}

std::string defaultHistoryPath() {
    // As Qt finds it on Linux: XDG_DATA_HOME when set, else the home folder's .local/share; then
    // the organisation and the application.
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return base + "/Harnwick/Tomaro/tomaro.sqlite";
}

}  // namespace tomaro::history
