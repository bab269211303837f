#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "history/SnapshotExport.h"
#include "support/MessageText.h"
#include "support/SqliteFile.h"
#include "support/TempFolder.h"

namespace tomaro::history {
namespace {

namespace fs = std::filesystem;

// A fresh folder of its own for each test.
class HistoryStoreTest : public ::testing::Test {
protected:
    std::string file(const std::string& name = "tomaro.sqlite") const {
        return m_Folder.file(name);
    }
    std::vector<fs::path> filesStartingWith(const std::string& prefix) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_Folder.path())) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry);
        }
        return found;
    }

    test::TempFolder m_Folder{"history"};
};

Reading strike(const std::string& drum, double hz, std::int64_t timeMs,
               const std::string& verdict = "good") {
    Reading reading;
    reading.drum = drum;
    reading.frequencyHz = hz;
    reading.timeMs = timeMs;
    reading.verdict = verdict;
    reading.toleranceCents = 5;
    reading.targetHz = 110.0;
    return reading;
}

Reading tap(const std::string& drum, Struck head, int lug, int count, double hz,
            std::int64_t timeMs) {
    Reading reading = strike(drum, hz, timeMs);
    reading.struck = head;
    reading.lug = lug;
    reading.lugCount = count;
    reading.targetHz = 0.0;
    return reading;
}

TEST_F(HistoryStoreTest, StoresReadingsAndTheKitAsItWasTuned) {
    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen()) << test::messageText(store.takeMessage());
    EXPECT_EQ(test::firstText(file(), "PRAGMA user_version"), "4");
    EXPECT_EQ(test::firstText(file(), "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(
        test::firstText(file(), "SELECT name FROM sqlite_master WHERE name='readings_drum_time'"),
        "readings_drum_time");

    Reading first = strike("12\"", 110.0, 1000);
    first.pair = ModePair{180.0, 186.0, -12.0, -15.0};
    EXPECT_GT(store.addReading(first), 0);
    store.addReading(strike("Малый", 220.0, 2000));
    store.addReading(strike("12\"", 111.0, 3000));
    store.addReading(strike("12\"", 95.0, 4000, "rejected"));
    for (int lug = 1; lug <= 6; ++lug)
        store.addReading(tap("12\"", Struck::Batter, lug, 6, 180.0 + lug, 5000 + lug));
    // Rod 2 tapped again: the newer reading counts.
    store.addReading(tap("12\"", Struck::Batter, 2, 6, 190.0, 6000));

    const auto drumReadings = store.readings({std::string("12\""), 2500, 0});
    ASSERT_EQ(drumReadings.size(), 9u);
    EXPECT_EQ(drumReadings.front().frequencyHz, 111.0);  // newest last
    EXPECT_EQ(drumReadings.back().lug, 2);
    const auto lastTwo = store.readings({std::nullopt, std::nullopt, 2});
    ASSERT_EQ(lastTwo.size(), 2u);
    EXPECT_EQ(lastTwo.back().timeMs, 6000);
    const auto all = store.readings({});
    ASSERT_TRUE(all.front().pair.has_value());
    EXPECT_EQ(all.front().pair->hiHz, 186.0);
    EXPECT_FALSE(all[1].pair.has_value());

    const auto strikes = store.lastGoodStrikes();
    ASSERT_EQ(strikes.size(), 2u);
    EXPECT_EQ(strikes[0].drum, "12\"");
    EXPECT_EQ(strikes[0].frequencyHz, 111.0);  // the rejected one later does not count
    const auto pass = store.lastLugPass("12\"", Struck::Batter);
    ASSERT_TRUE(pass.has_value());
    EXPECT_EQ(pass->lugCount, 6);
    EXPECT_EQ(pass->rodHz[1], 190.0);
    EXPECT_EQ(pass->rodHz[5], 186.0);
    EXPECT_FALSE(store.lastLugPass("12\"", Struck::Reso).has_value());

    const std::int64_t before = store.createSnapshot("до концерта", 7000);
    ASSERT_GT(before, 0);
    store.addReading(strike("12\"", 113.0, 8000));
    store.addReading(tap("12\"", Struck::Batter, 3, 6, 185.0, 8001));
    const std::int64_t after = store.createSnapshot("после", 9000);
    ASSERT_TRUE(store.renameSnapshot(before, "до"));

    const auto list = store.snapshots();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "после");
    EXPECT_EQ(list[1].name, "до");
    EXPECT_EQ(list[1].drums, (std::vector<std::string>{"12\"", "Малый"}));

    const auto old = store.snapshot(before);
    const auto now = store.snapshotNamed("после");
    ASSERT_TRUE(old && now);
    EXPECT_EQ(old->drum("12\"")->strike->frequencyHz, 111.0);
    EXPECT_EQ(old->drum("12\"")->head(Struck::Batter)->rodHz[1], 190.0);
    const auto drift = compare(*old, *now);
    int changed = 0;
    for (const DriftLine& line : drift) {
        if (line.drum != "12\"" || !line.cents || std::abs(*line.cents) < 1e-9) continue;
        ++changed;
        if (line.struck == Struck::Drum) {
            EXPECT_NEAR(*line.cents, 1200 * std::log2(113.0 / 111.0), 1e-6);
        }
        if (line.struck == Struck::Batter) {
            EXPECT_EQ(line.lug, 3);
            EXPECT_NEAR(*line.cents, 1200 * std::log2(185.0 / 183.0), 1e-6);
        }
    }
    EXPECT_EQ(changed, 2);

    const std::string csv = snapshotCsv(*old);
    EXPECT_NE(csv.find("12\"\"\",batter,2,60.0,190.00,"), std::string::npos) << csv;
    EXPECT_NE(snapshotJson(*old).find("\"name\":\"до\""), std::string::npos);

    ASSERT_TRUE(store.deleteSnapshot(after));
    EXPECT_EQ(store.snapshots().size(), 1u);
    const std::string rowsLeft =
        "SELECT count(*) FROM snapshot_rows WHERE snapshot_id=" + std::to_string(after);
    EXPECT_EQ(test::firstText(file(), rowsLeft), "0");
    EXPECT_EQ(test::messageText(store.takeMessage()), "");
}

TEST_F(HistoryStoreTest, AnOlderFileIsCopiedThenUpgradedStepByStep) {
    ASSERT_TRUE(test::runSql(file(),
                             "CREATE TABLE readings (id INTEGER PRIMARY KEY, time_ms INTEGER "
                             "NOT NULL, drum TEXT NOT NULL, struck TEXT NOT NULL, lug INTEGER "
                             "NOT NULL DEFAULT 0, frequency_hz REAL NOT NULL, verdict TEXT NOT "
                             "NULL, tolerance_cents REAL, target_hz REAL);"
                             "INSERT INTO readings VALUES (1, 1000, '14\"', 'drum', 0, 98.5, "
                             "'good', 5, 98.0);"
                             "INSERT INTO readings VALUES (2, 2000, '14\"', 'reso', 3, 150.0, "
                             "'doubtful', 5, NULL);"
                             "PRAGMA user_version=1;"));
    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen()) << test::messageText(store.takeMessage());
    EXPECT_EQ(test::firstText(file(), "PRAGMA user_version"), "4");
    const auto readings = store.readings({});
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_EQ(readings[0].frequencyHz, 98.5);
    EXPECT_EQ(readings[0].drumType, -1);
    EXPECT_FALSE(readings[0].pair.has_value());
    // The count of an old tap is unknown: its rod stands for it.
    const auto pass = store.lastLugPass("14\"", Struck::Reso);
    ASSERT_TRUE(pass.has_value());
    EXPECT_EQ(pass->rodHz.at(2), 150.0);
    EXPECT_GT(store.createSnapshot("после обновления"), 0);

    // The copy made before holds the old file as it was.
    const std::string backup = file("tomaro.sqlite.v1.bak");
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_EQ(test::firstText(backup, "PRAGMA user_version"), "1");
    EXPECT_EQ(test::firstText(backup, "SELECT count(*) FROM readings"), "2");
}

TEST_F(HistoryStoreTest, ADamagedFileIsMovedAsideWithAMessage) {
    // Not a database at all.
    {
        std::ofstream out(file(), std::ios::binary);
        out << std::string(8192, 'x');
    }
    {
        HistoryStore store(file());
        ASSERT_TRUE(store.isOpen());
        const std::string message = test::messageText(store.takeMessage());
        EXPECT_NE(message.find("broken-"), std::string::npos) << message;
        EXPECT_EQ(test::messageText(store.takeMessage()), "");  // once
        EXPECT_GT(store.addReading(strike("12\"", 110.0, 1000)), 0);
    }
    auto aside = filesStartingWith("tomaro.sqlite.broken-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(aside[0]), 8192u);  // kept whole

    // A database whose table pages were overwritten: it opens, but quick_check finds it.
    fs::remove(aside[0]);
    {
        HistoryStore store(file());
        for (int i = 0; i < 2000; ++i) store.addReading(strike("12\"", 100.0 + i, 2000 + i));
    }
    {
        std::fstream out(file(), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(4096 * 3);
        const std::string junk(4096 * 4, '\x5a');
        out.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    HistoryStore store(file());
    EXPECT_TRUE(store.isOpen());
    EXPECT_NE(test::messageText(store.takeMessage()).find("broken-"), std::string::npos);
    EXPECT_EQ(filesStartingWith("tomaro.sqlite.broken-").size(), 1u);
    EXPECT_TRUE(store.readings({}).empty());

    // Read-only: the damage is said, nothing is moved.
    {
        std::ofstream out(file("other.sqlite"), std::ios::binary);
        out << std::string(4096, 'y');
    }
    HistoryStore reader(file("other.sqlite"), HistoryStore::Mode::ReadOnly);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(test::messageText(reader.takeMessage()).empty());
    EXPECT_TRUE(fs::exists(file("other.sqlite")));
    EXPECT_TRUE(filesStartingWith("other.sqlite.broken").empty());
}

TEST_F(HistoryStoreTest, AFolderThatCannotBeWrittenIsSaidOnceAndNothingElseFails) {
    // A path below a regular file cannot be created even by root.
    { std::ofstream(file("plain")) << "x"; }
    HistoryStore store(file("plain") + "/sub/tomaro.sqlite");
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(test::messageText(store.takeMessage()).empty());
    EXPECT_EQ(store.addReading(strike("12\"", 110.0, 1000)), 0);
    EXPECT_TRUE(store.readings({}).empty());
    EXPECT_EQ(store.createSnapshot("x"), 0);
    EXPECT_EQ(test::messageText(store.takeMessage()), "");

    // Read-only stores never create the file.
    HistoryStore reader(file("absent.sqlite"), HistoryStore::Mode::ReadOnly);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(fs::exists(file("absent.sqlite")));

    // A file written by a newer version is left as it is.
    test::runSql(file("newer.sqlite"), "CREATE TABLE t(x); PRAGMA user_version=99;");
    HistoryStore newer(file("newer.sqlite"));
    EXPECT_FALSE(newer.isOpen());
    EXPECT_FALSE(test::messageText(newer.takeMessage()).empty());
    EXPECT_EQ(test::firstText(file("newer.sqlite"), "PRAGMA user_version"), "99");
}

TEST_F(HistoryStoreTest, ReadersSeeWholeReadingsWhileAWriterWrites) {
    HistoryStore writer(file());
    writer.addReading(strike("12\"", 100.0, 1));
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    auto read = [&] {
        HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
        if (!reader.isOpen()) {
            ++failures;
            return;
        }
        std::size_t seen = 0;
        while (!done.load()) {
            const auto readings = reader.readings({std::string("12\""), std::nullopt, 0});
            // Never fewer than before, never a reading half written.
            if (readings.size() < seen) ++failures;
            for (const Reading& r : readings) {
                if (r.frequencyHz != 100.0 + (r.timeMs - 1)) ++failures;
            }
            seen = readings.size();
        }
    };
    std::thread a(read), b(read);
    for (int i = 1; i < 400; ++i) EXPECT_GT(writer.addReading(strike("12\"", 100.0 + i, 1 + i)), 0);
    done = true;
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(writer.readings({}).size(), 400u);
}

TEST_F(HistoryStoreTest, AKilledWriterLosesAtMostTheReadingBeingWritten) {
    int acknowledged[2];
    ASSERT_EQ(::pipe(acknowledged), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(acknowledged[0]);
        HistoryStore store(file());
        for (int i = 1;; ++i) {
            if (store.addReading(strike("12\"", 100.0, i)) == 0) ::_exit(1);
            // Said only after the commit returned.
            if (::write(acknowledged[1], &i, sizeof i) != sizeof i) ::_exit(1);
        }
    }
    ::close(acknowledged[1]);
    int last = 0;
    int value = 0;
    while (last < 300 && ::read(acknowledged[0], &value, sizeof value) == sizeof value)
        last = value;
    ::kill(child, SIGKILL);
    // Whatever the pipe still holds was committed as well.
    while (::read(acknowledged[0], &value, sizeof value) == sizeof value) last = value;
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ::close(acknowledged[0]);

    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen()) << test::messageText(store.takeMessage());
    EXPECT_EQ(test::messageText(store.takeMessage()), "");
    const auto readings = store.readings({});
    ASSERT_GE(static_cast<int>(readings.size()), last);
    EXPECT_LE(static_cast<int>(readings.size()), last + 1);
    for (std::size_t i = 0; i < readings.size(); ++i)
        EXPECT_EQ(readings[i].timeMs, static_cast<std::int64_t>(i + 1));
}

// A full disk, as a file size limit in a child process (the writes beyond it fail): said once,
// the store goes on refusing quietly, and the file stays whole with what was committed.
TEST_F(HistoryStoreTest, AFullDiskIsSaidOnceAndLosesNothingCommitted) {
    {
        HistoryStore store(file());
        store.addReading(strike("12\"", 100.0, 1));
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        HistoryStore store(file());
        const rlimit limit{static_cast<rlim_t>(fs::file_size(file()) + 64 * 1024),
                           static_cast<rlim_t>(fs::file_size(file()) + 64 * 1024)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int stored = 0;
        while (stored < 100000 && store.addReading(strike("12\"", 100.0, 2 + stored)) > 0) ++stored;
        const bool refused = stored < 100000;
        const bool saidOnce = !test::messageText(store.takeMessage()).empty();
        const bool quietAfter = store.addReading(strike("12\"", 1.0, 1)) == 0 &&
                                test::messageText(store.takeMessage()).empty() &&
                                store.readings({}).size() > 1;
        ::_exit(refused && saidOnce && quietAfter ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen());
    EXPECT_EQ(test::messageText(store.takeMessage()), "");  // not damaged
    EXPECT_TRUE(filesStartingWith("tomaro.sqlite.broken-").empty());
    EXPECT_GT(store.readings({}).size(), 1u);
    EXPECT_GT(store.addReading(strike("12\"", 100.0, 999999)), 0);
}

TEST(HistoryTime, IsoTimesRoundTrip) {
    EXPECT_EQ(isoTime(0), "1970-01-01T00:00:00.000Z");
    const auto time = parseIsoTime("2026-12-09T03:46:00.250Z");
    ASSERT_TRUE(time.has_value());
    EXPECT_EQ(isoTime(*time), "2026-12-09T03:46:00.250Z");
    EXPECT_EQ(parseIsoTime("2026-12-09"), parseIsoTime("2026-12-09T00:00:00Z"));
    EXPECT_EQ(*parseIsoTime("2026-12-09T05:46+02:00"), *parseIsoTime("2026-12-09T03:46Z"));
    EXPECT_FALSE(parseIsoTime("2026-13-01").has_value());
    EXPECT_FALSE(parseIsoTime("yesterday").has_value());
}

}  // namespace
}  // namespace tomaro::history
