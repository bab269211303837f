// The programs as a user starts them from a terminal: tomaro's --help and --version, tomaro
// without a display, and tomaro-demo-strike's --help.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace tomaro {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int exitCode = -1;  // -1: ended by a signal
    std::string out;
    std::string err;
};

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tomaro-program-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    // Runs `program` in the test's folder, without a display of any kind.
    // With `closedOutput` standard output is a pipe whose reading end is closed already, as
    // after `| head -c0`, and SIGPIPE has its default action.
    ProgramRun run(const std::string& program, const std::vector<std::string>& arguments,
                   bool closedOutput = false) {
        std::vector<std::string> environment;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
                entry.rfind("QT_QPA_PLATFORM=", 0) == 0 ||
                entry.rfind("XDG_CONFIG_HOME=", 0) == 0) {
                continue;
            }
            environment.push_back(entry);
        }
        environment.push_back("XDG_CONFIG_HOME=" + (m_Dir / "config").string());
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::vector<std::string> args = {program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);

        const std::string outPath = (m_Dir / "stdout").string();
        const std::string errPath = (m_Dir / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeEnd = -1;
        if (closedOutput) {
            int ends[2] = {-1, -1};
            if (::pipe(ends) != 0) ADD_FAILURE() << "no pipe";
            ::close(ends[0]);
            posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
            posix_spawn_file_actions_addclose(&actions, ends[1]);
            pipeEnd = ends[1];
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        const fs::path before = fs::current_path();
        fs::current_path(m_Dir);
        pid_t pid = 0;
        const int spawned =
            posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
        fs::current_path(before);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (pipeEnd >= 0) ::close(pipeEnd);
        ProgramRun result;
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << program;
            return result;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (!closedOutput) result.out = readFile(outPath);
        result.err = readFile(errPath);
        return result;
    }

    fs::path m_Dir;
};

TEST_F(Program, TomaroPrintsItsHelpAndVersionWithoutADisplay) {
    ProgramRun help = run(TOMARO_PROGRAM, {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_NE(help.out.find("tomaro [ФАЙЛ.wav]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");

    ProgramRun version = run(TOMARO_PROGRAM, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tomaro " TOMARO_VERSION "\n");
}

TEST_F(Program, TomaroHelpIntoAClosedPipeExitsOneNotBySignal) {
    EXPECT_EQ(run(TOMARO_PROGRAM, {"--help"}, true).exitCode, 1);
    EXPECT_EQ(run(TOMARO_PROGRAM, {"--version"}, true).exitCode, 1);
}

TEST_F(Program, TomaroWithoutADisplaySaysSoAndExitsOne) {
    const ProgramRun run = this->run(TOMARO_PROGRAM, {});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("tomaro: нет графического дисплея"), std::string::npos) << run.err;
}

TEST_F(Program, DemoStrikeHelpPrintsItsUsageAndWritesNothing) {
    const ProgramRun help = run(TOMARO_DEMO_STRIKE_PROGRAM, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("tomaro-demo-strike [FILE.wav] [FUNDAMENTAL_HZ]"), std::string::npos)
        << help.out;
    EXPECT_FALSE(fs::exists(m_Dir / "--help"));

    const ProgramRun bad = run(TOMARO_DEMO_STRIKE_PROGRAM, {"--pitch"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_FALSE(fs::exists(m_Dir / "--pitch"));

    const ProgramRun strike = run(TOMARO_DEMO_STRIKE_PROGRAM, {"strike.wav", "146"});
    EXPECT_EQ(strike.exitCode, 0);
    EXPECT_TRUE(fs::exists(m_Dir / "strike.wav"));
}

}  // namespace
}  // namespace tomaro
