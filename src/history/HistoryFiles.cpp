#include "history/HistoryFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "history/HistoryTime.h"

namespace tomaro::history {

namespace fs = std::filesystem;

std::string dateStamp() {
    std::string text = isoTime(nowMs()).substr(0, 19);
    std::replace(text.begin(), text.end(), 'T', '-');
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    return text;
}

std::string freeName(const std::string& base) {
    std::error_code error;
    if (!fs::exists(base, error)) return base;
    for (int n = 2;; ++n) {
        const std::string candidate = base + "-" + std::to_string(n);
        if (!fs::exists(candidate, error)) return candidate;
    }
}

std::string moveAside(const std::string& path) {
    const std::string target = freeName(path + ".broken-" + dateStamp());
    std::error_code error;
    fs::rename(path, target, error);
    if (error) return {};
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (fs::exists(path + suffix, ignored)) fs::rename(path + suffix, target + suffix, ignored);
    }
    return target;
}

std::string fileUri(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20 || c == 0x7f) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

}  // namespace tomaro::history
