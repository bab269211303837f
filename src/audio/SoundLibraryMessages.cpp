#include "audio/SoundLibraryMessages.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace tomaro {
namespace {

int g_RealError = -1;                // the real standard error while it is filtered
std::atomic<bool> g_Drained{false};  // the reader has passed on everything and ended

// Writes all of `text` to `fd`, going on after interruptions; gives up on any other failure (the
// real standard error is gone: nothing else could be told of it).
void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Reads the pipe until every writer is gone, line by line (a line longer than 64 KiB is passed
// on in pieces).
void passOn(int readEnd, int realError) {
    std::string line;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = ::read(readEnd, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        for (ssize_t i = 0; i < count; ++i) {
            line += buffer[i];
            if (buffer[i] != '\n' && line.size() < 65536) continue;
            if (!isSoundLibraryReport(line)) writeAll(realError, line);
            line.clear();
        }
    }
    if (!line.empty() && !isSoundLibraryReport(line)) writeAll(realError, line);
    g_Drained.store(true);
}

// At exit: standard error is the real one again, and what is still in the pipe is passed on
// (within a fifth of a second) before the process ends: the last message matters most.
void restoreAtExit() {
    std::fflush(stderr);
    ::dup2(g_RealError, STDERR_FILENO);  // the pipe's last writer is gone: the reader sees its end
    for (int wait = 0; wait < 200 && !g_Drained.load(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

bool isSoundLibraryReport(std::string_view line) {
    constexpr std::string_view kStarts[] = {
        "Expression '", "ALSA lib ",           "Cannot connect to server ",
        "jack server ", "JackShmReadWritePtr", "PaAlsa",
        "PaUnix",
    };
    for (std::string_view start : kStarts) {
        if (line.substr(0, start.size()) == start) return true;
    }
    constexpr std::string_view kSources[] = {"pa_linux_alsa.c", "pa_unix_util.c", "pa_jack.c",
                                             "pa_front.c", "pa_process.c"};
    for (std::string_view source : kSources) {
        if (line.find(source) != std::string_view::npos) return true;
    }
    return false;
}

void filterSoundLibraryReports() {
    const char* debug = std::getenv("TOMARO_SOUND_DEBUG");
    if (debug != nullptr && debug[0] == '1') return;
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    const int realError = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    std::fflush(stderr);
    if (realError < 0 || ::dup2(ends[1], STDERR_FILENO) < 0) {
        if (realError >= 0) ::close(realError);
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    ::close(ends[1]);
    g_RealError = realError;
    std::thread(passOn, ends[0], realError).detach();
    std::atexit(restoreAtExit);
}

}  // namespace tomaro
