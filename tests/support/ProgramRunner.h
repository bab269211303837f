#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace tomaro::test {

// Where a program's standard output goes.
enum class ProgramOutput {
    File,        // a file, read once the program has ended
    Read,        // a pipe read here while the program writes, timed
    Full,        // /dev/full: every write fails with "no space"
    Closed,      // no standard output at all
    BrokenPipe,  // a pipe whose reading end is closed already, as after `| head -1`
};

// What one run of a program gave.
struct ProgramRun {
    int exitCode = -1;         // -1: ended by a signal, or killed after the time allowed
    std::string out;           // standard output (File and Read only)
    std::string err;           // standard error
    double firstLineS = -1.0;  // Read: seconds from the start to the first whole line of output
    double allS = -1.0;        // Read: seconds from the start to the end of the output
    // Each line of standard output parsed as JSON (a line that is not fails the test).
    std::vector<nlohmann::json> jsonLines() const;
};

// Runs a built program as a user starts it from a terminal, one run at a time, with the test's
// own environment changed by set() and unset(); the program's standard error (and a File
// output) goes to files in `folder`. SIGPIPE has its default action in the program whatever the
// test's is. The test's thread; the program is waited for before run() returns.
class ProgramRunner {
public:
    ProgramRunner(std::string program, std::filesystem::path folder);

    // NAME=VALUE in every run's environment, in place of the test's own NAME.
    ProgramRunner& set(const std::string& name, const std::string& value);
    // NAME left out of every run's environment.
    ProgramRunner& unset(const std::string& name);
    // The program starts in `folder` instead of the test's current folder.
    ProgramRunner& startIn(std::filesystem::path folder);

    // Runs the program with `arguments`; `moreEnvironment` ("NAME=VALUE") is set for this run
    // only. With `limitS` above 0 the program is killed after that many seconds.
    ProgramRun run(const std::vector<std::string>& arguments,
                   ProgramOutput output = ProgramOutput::File,
                   const std::vector<std::string>& moreEnvironment = {}, double limitS = 0.0) const;

private:
    std::vector<std::string> environment(const std::vector<std::string>& moreEnvironment) const;

    std::string m_Program;
    std::filesystem::path m_Folder;
    std::filesystem::path m_StartFolder;
    std::map<std::string, std::string> m_Set;
    std::set<std::string> m_Unset;
};

}  // namespace tomaro::test
