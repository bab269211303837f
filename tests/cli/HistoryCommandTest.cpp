// tomaro-analyze --history, --snapshots and --snapshot on histories that are not what they should
// be: something else at the path, text and numbers another program wrote, a million readings.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "history/HistoryStore.h"
#include "support/ProgramRunner.h"
#include "support/SqliteFile.h"
#include "support/TempFolder.h"

namespace tomaro {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using CommandRun = test::ProgramRun;

class HistoryCommands : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(historyFile().parent_path()); }

    fs::path historyFile() const {
        return m_Folder.path() / "data" / "Harnwick" / "Tomaro" / "tomaro.sqlite";
    }

    // Runs tomaro-analyze with its output on a pipe read here; killed after `limitS` seconds.
    CommandRun run(const std::vector<std::string>& arguments, double limitS = 20.0) {
        return m_Program.run(arguments, test::ProgramOutput::Read, {}, limitS);
    }

    void sql(const std::string& statements) { test::runSql(historyFile().string(), statements); }

    // A good strike of the 12" stored as the window stores it (at 1 s, 110 Hz by default).
    void storeStrike(double hz = 110.0, std::int64_t timeMs = 1000, bool fromFile = false) {
        history::HistoryStore store(historyFile().string());
        history::Reading strike;
        strike.drum = "12\"";
        strike.frequencyHz = hz;
        strike.verdict = "good";
        strike.timeMs = timeMs;
        strike.fromFile = fromFile;
        ASSERT_GT(store.addReading(strike), 0);
    }

    test::TempFolder m_Folder{"history"};
    test::ProgramRunner m_Program = test::ProgramRunner(TOMARO_ANALYZE_PROGRAM, m_Folder.path())
                                        .set("XDG_CONFIG_HOME", m_Folder.file("config"))
                                        .set("XDG_DATA_HOME", m_Folder.file("data"));
};

TEST_F(HistoryCommands, SomethingElseAtThePathIsNamedAtOnce) {
    ASSERT_EQ(::mkfifo(historyFile().c_str(), 0600), 0);
    for (const char* command : {"--history", "--snapshots"}) {
        const CommandRun russian = run({command}, 5.0);
        EXPECT_EQ(russian.exitCode, 1) << command << " did not end within 5 s";
        EXPECT_NE(russian.err.find("именованный канал"), std::string::npos) << russian.err;
        const CommandRun english = run({command, "--lang", "en"}, 5.0);
        EXPECT_EQ(english.exitCode, 1);
        EXPECT_NE(english.err.find("named pipe"), std::string::npos) << english.err;
    }
    fs::remove(historyFile());
    { std::ofstream empty(historyFile()); }
    const CommandRun empty = run({"--history"}, 5.0);
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err.find("старого формата"), std::string::npos) << empty.err;
    EXPECT_NE(empty.err.find("пуста"), std::string::npos) << empty.err;
}

TEST_F(HistoryCommands, ForeignTextNumbersAndCountsGiveValidJson) {
    storeStrike();
    {
        history::HistoryStore store(historyFile().string());
        ASSERT_GT(store.createSnapshot("gig", 2000), 0);
    }
    sql("UPDATE readings SET drum = CAST(X'3132FF22' AS TEXT);"
        "UPDATE snapshots SET name = CAST(X'676967C3' AS TEXT);"
        "UPDATE snapshot_rows SET drum = CAST(X'3132FF22' AS TEXT), frequency_hz = 9e999;"
        "INSERT INTO snapshot_rows (snapshot_id, drum, struck, lug, lug_count, frequency_hz, "
        "time_ms) VALUES (1, 'x', 'batter', 5, 2147483647, 170, 1000);");
    const CommandRun readings = run({"--history", "--json"});
    ASSERT_EQ(readings.exitCode, 0) << readings.err;
    ASSERT_EQ(readings.jsonLines().size(), 1u);
    EXPECT_EQ(readings.jsonLines()[0]["drum"], "12\xef\xbf\xbd\"");

    const CommandRun list = run({"--snapshots", "--json"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    ASSERT_EQ(list.jsonLines().size(), 1u);
    EXPECT_EQ(list.jsonLines()[0]["name"], "gig\xef\xbf\xbd");
    EXPECT_EQ(list.jsonLines()[0]["id"], 1);

    const CommandRun one = run({"--snapshot", "1", "--json"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const Json snapshot = one.jsonLines().at(0);
    EXPECT_TRUE(snapshot["drums"][0]["strike"]["frequency_hz"].is_null()) << one.out;
    EXPECT_EQ(snapshot["drums"][0]["drum"], "12\xef\xbf\xbd\"");
}

// A reading from a sound file opened while exploring is marked so; a strike is not.
TEST_F(HistoryCommands, ReadingsFromFilesAreMarked) {
    storeStrike();
    storeStrike(98.0, 2000, true);
    const CommandRun json = run({"--history", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto lines = json.jsonLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].contains("from_file"));
    EXPECT_EQ(lines[1]["from_file"], true);
    const CommandRun text = run({"--history"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.find("from file"), text.out.rfind("from file")) << text.out;
    EXPECT_NE(text.out.find("98.00 Hz  good  from file"), std::string::npos) << text.out;
}

TEST_F(HistoryCommands, SnapshotsAreFoundByIdAndASharedNameIsRefusedWithTheIds) {
    storeStrike();
    const CommandRun none = run({"--snapshots"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_NE(none.out.find("Снимков настройки ещё нет"), std::string::npos) << none.out;
    EXPECT_NE(run({"--snapshots", "--lang", "en"}).out.find("no tuning snapshots"),
              std::string::npos);
    {
        history::HistoryStore store(historyFile().string());
        store.createSnapshot("gig", 2000);
        store.createSnapshot("gig", 3000);
    }
    const CommandRun list = run({"--snapshots", "--json"});
    ASSERT_EQ(list.jsonLines().size(), 2u);
    EXPECT_EQ(list.jsonLines()[0]["name"], "gig (2)");
    EXPECT_EQ(run({"--snapshot", "gig", "--json"}).jsonLines().at(0)["time"],
              "1970-01-01T00:00:02.000Z");
    EXPECT_EQ(run({"--snapshot", "2", "--json"}).jsonLines().at(0)["name"], "gig (2)");

    // Written before names were unique.
    sql("UPDATE snapshots SET name = 'gig'");
    const CommandRun shared = run({"--snapshot", "gig"});
    EXPECT_EQ(shared.exitCode, 1);
    EXPECT_EQ(shared.out, "");
    EXPECT_NE(shared.err.find("  1  "), std::string::npos) << shared.err;
    EXPECT_NE(shared.err.find("  2  "), std::string::npos) << shared.err;
    EXPECT_EQ(run({"--snapshot", "7"}).exitCode, 1);
}

TEST_F(HistoryCommands, HistoryPrintsItsFirstLineBeforeReadingTheRest) {
    storeStrike();
    // 200,000 readings of three drums in one transaction, their times interleaved.
    sql("BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
        "INSERT INTO readings (time_ms, drum, struck, frequency_hz, verdict) "
        "SELECT 1000 + i * 10, CASE i % 3 WHEN 0 THEN '12\"' WHEN 1 THEN 'Малый' ELSE '' END, "
        "'drum', 100 + i % 50, 'good' FROM n;"
        "COMMIT;");
    const CommandRun all = run({"--history", "--json"}, 60.0);
    ASSERT_EQ(all.exitCode, 0) << all.err;
    ASSERT_GT(all.firstLineS, 0.0);
    ASSERT_GT(all.allS, 0.0);
    // Streamed: the first line long before the last (read whole first, it came at about half
    // of the time), and in time order across the drums.
    EXPECT_LT(all.firstLineS, all.allS / 4) << all.firstLineS << " s of " << all.allS << " s";
    EXPECT_LT(all.firstLineS, 3.0);
    std::istringstream lines(all.out);
    std::string line, previous;
    std::size_t count = 0;
    while (std::getline(lines, line)) {
        const std::string time = Json::parse(line)["time"];
        EXPECT_LE(previous, time);
        if (previous > time) break;
        previous = time;
        ++count;
    }
    EXPECT_EQ(count, 200001u);
}

}  // namespace
}  // namespace tomaro
