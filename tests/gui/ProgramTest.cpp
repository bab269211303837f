// The programs as a user starts them from a terminal: tomaro's --help and --version, tomaro
// without a display, and tomaro-demo-strike's --help.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ProgramRunner.h"
#include "support/TempFolder.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

class Program : public ::testing::Test {
protected:
    // Runs `program` in the test's folder, without a display of any kind.
    // With `closedOutput` standard output is a pipe whose reading end is closed already, as
    // after `| head -c0`, and SIGPIPE has its default action.
    ProgramRun run(const std::string& program, const std::vector<std::string>& arguments,
                   bool closedOutput = false) {
        return test::ProgramRunner(program, m_Dir)
            .unset("DISPLAY")
            .unset("WAYLAND_DISPLAY")
            .unset("QT_QPA_PLATFORM")
            .set("XDG_CONFIG_HOME", (m_Dir / "config").string())
            .startIn(m_Dir)
            .run(arguments,
                 closedOutput ? test::ProgramOutput::BrokenPipe : test::ProgramOutput::File);
    }

    test::TempFolder m_Folder{"program"};
    const fs::path m_Dir = m_Folder.path();
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

// What tomaro says before any window exists follows the stored language, in the same words as
// ever: the help and the missing display, in English.
TEST_F(Program, TomaroSaysItsHelpAndTheMissingDisplayInTheStoredLanguage) {
    fs::create_directories(m_Dir / "config" / "Harnwick");
    std::ofstream(m_Dir / "config" / "Harnwick" / "Tomaro.conf")
        << "[Tomaro1_5_demo2]\nOptions\\m_Language=en\n";

    const ProgramRun help = run(TOMARO_PROGRAM, {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out,
              "Usage: tomaro [FILE.wav]\n"
              "A tuner for drums: opens the window, and FILE (the WAV of a strike) in it at once.\n"
              "  --help     this help\n"
              "  --version  the program's version\n"
              "Analysis of files from the command line: tomaro-analyze --help\n");
    EXPECT_EQ(help.err, "");

    const ProgramRun window = run(TOMARO_PROGRAM, {});
    EXPECT_EQ(window.exitCode, 1) << window.err;
    EXPECT_NE(window.err.find("tomaro: no graphical display: the window cannot be opened (X11 or "
                              "Wayland is needed, the variable DISPLAY or WAYLAND_DISPLAY).\n"),
              std::string::npos)
        << window.err;
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
