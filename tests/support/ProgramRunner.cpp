#include "support/ProgramRunner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace tomaro::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (std::string& text : texts) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
}

}  // namespace

std::vector<nlohmann::json> ProgramRun::jsonLines() const {
    std::vector<nlohmann::json> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

ProgramRunner::ProgramRunner(std::string program, std::filesystem::path folder)
    : m_Program(std::move(program)), m_Folder(std::move(folder)) {}

ProgramRunner& ProgramRunner::set(const std::string& name, const std::string& value) {
    m_Set[name] = value;
    return *this;
}

ProgramRunner& ProgramRunner::unset(const std::string& name) {
    m_Unset.insert(name);
    return *this;
}

ProgramRunner& ProgramRunner::startIn(std::filesystem::path folder) {
    m_StartFolder = std::move(folder);
    return *this;
}

std::vector<std::string> ProgramRunner::environment(
    const std::vector<std::string>& moreEnvironment) const {
    std::set<std::string> replaced = m_Unset;
    for (const auto& [name, value] : m_Set) replaced.insert(name);
    for (const std::string& entry : moreEnvironment) replaced.insert(nameOf(entry));
    std::vector<std::string> entries;
    for (char** e = environ; *e != nullptr; ++e) {
        if (replaced.count(nameOf(*e)) == 0) entries.emplace_back(*e);
    }
    for (const auto& [name, value] : m_Set) entries.push_back(name + "=" + value);
    entries.insert(entries.end(), moreEnvironment.begin(), moreEnvironment.end());
    return entries;
}

ProgramRun ProgramRunner::run(const std::vector<std::string>& arguments, ProgramOutput output,
                              const std::vector<std::string>& moreEnvironment,
                              double limitS) const {
    std::vector<std::string> environment = this->environment(moreEnvironment);
    std::vector<std::string> args = {m_Program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> envp = pointers(environment);
    std::vector<char*> argv = pointers(args);

    const std::string outPath = (m_Folder / "stdout").string();
    const std::string errPath = (m_Folder / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int ends[2] = {-1, -1};
    if (output == ProgramOutput::Read || output == ProgramOutput::BrokenPipe) {
        if (::pipe(ends) != 0) ADD_FAILURE() << "no pipe";
        if (output == ProgramOutput::BrokenPipe) {
            ::close(ends[0]);
            ends[0] = -1;
        } else {
            posix_spawn_file_actions_addclose(&actions, ends[0]);
        }
        posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        posix_spawn_file_actions_addclose(&actions, ends[1]);
    } else if (output == ProgramOutput::File) {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    } else if (output == ProgramOutput::Full) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
    } else {
        posix_spawn_file_actions_addclose(&actions, 1);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (!m_StartFolder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, m_StartFolder.c_str());
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    const auto start = Clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (ends[1] >= 0) ::close(ends[1]);
    ProgramRun result;
    if (spawned != 0) {
        if (ends[0] >= 0) ::close(ends[0]);
        ADD_FAILURE() << "cannot start " << m_Program;
        return result;
    }
    if (ends[0] >= 0) {
        char buffer[65536];
        for (;;) {
            pollfd readable{ends[0], POLLIN, 0};
            const int waitMs =
                limitS > 0.0 ? static_cast<int>((limitS - seconds()) * 1000) + 1 : -1;
            if ((limitS > 0.0 && seconds() >= limitS) || ::poll(&readable, 1, waitMs) <= 0) break;
            const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
            if (got <= 0) {
                result.allS = seconds();
                break;
            }
            result.out.append(buffer, static_cast<std::size_t>(got));
            if (result.firstLineS < 0 && result.out.find('\n') != std::string::npos) {
                result.firstLineS = seconds();
            }
        }
        ::close(ends[0]);
    }
    int status = 0;
    if (limitS > 0.0) {
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (seconds() > limitS) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                result.err = readFile(errPath);
                return result;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } else {
        ::waitpid(pid, &status, 0);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (output == ProgramOutput::File) result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

}  // namespace tomaro::test
