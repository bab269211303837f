// The history under attack: what stands at its path, what a foreign program wrote into it, a file
// deleted or locked while the window runs, names given twice.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "history/HistoryStore.h"
#include "history/SnapshotExport.h"
#include "history/UntrustedText.h"
#include "support/InEnglish.h"
#include "support/MessageText.h"
#include "support/SqliteFile.h"
#include "support/TempFolder.h"

namespace tomaro::history {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HistoryHazards : public ::testing::Test {
protected:
    std::string file(const std::string& name = "tomaro.sqlite") const {
        return m_Folder.file(name);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_Folder.path()))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    test::TempFolder m_Folder{"hazards"};
};

Reading strike(const std::string& drum, double hz, std::int64_t timeMs) {
    Reading reading;
    reading.drum = drum;
    reading.frequencyHz = hz;
    reading.timeMs = timeMs;
    reading.verdict = "good";
    reading.toleranceCents = 5;
    return reading;
}

// Opens a store on another thread: one that blocks (a reader opening a named pipe) is released
// by a writer opening the pipe, and counts as a failure.
struct Opened {
    bool inTime = false;
    bool open = true;
    std::string message;
};

Opened openWithin(const std::string& path, HistoryStore::Mode mode, bool english = false) {
    auto opening = std::async(std::launch::async, [=] {
        std::optional<test::InEnglish> guard;
        if (english) guard.emplace();
        HistoryStore store(path, mode);
        return std::make_pair(store.isOpen(), test::messageText(store.takeMessage()));
    });
    Opened result;
    result.inTime = opening.wait_for(1s) == std::future_status::ready;
    if (!result.inTime) {
        const int unblock = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
        opening.wait();
        if (unblock >= 0) ::close(unblock);
    }
    const auto [open, message] = opening.get();
    result.open = open;
    result.message = message;
    return result;
}

TEST_F(HistoryHazards, WhatStandsAtThePathIsNamedAtOnceAndNeverOpened) {
    ASSERT_EQ(::mkfifo(file("pipe").c_str(), 0600), 0);
    fs::create_directories(file("folder"));
    fs::create_symlink(file("loop-b"), file("loop-a"));
    fs::create_symlink(file("loop-a"), file("loop-b"));
    fs::create_symlink(file("nowhere"), file("dangling"));
    struct Case {
        std::string path;
        const char* russian;
        const char* english;
    };
    const std::vector<Case> cases = {
        {file("pipe"), "именованный канал", "named pipe"},
        {file("folder"), "папка", "folder"},
        {"/dev/null", "устройство", "device"},
        {file("loop-a"), "петлю", "loop"},
        {file("dangling"), "несуществующему файлу", "does not exist"},
    };
    for (const Case& c : cases) {
        for (HistoryStore::Mode mode :
             {HistoryStore::Mode::ReadOnly, HistoryStore::Mode::ReadWrite}) {
            const Opened russian = openWithin(c.path, mode);
            EXPECT_TRUE(russian.inTime) << c.path;
            EXPECT_FALSE(russian.open) << c.path;
            EXPECT_NE(russian.message.find(c.russian), std::string::npos) << russian.message;
            const Opened english = openWithin(c.path, mode, true);
            EXPECT_NE(english.message.find(c.english), std::string::npos) << english.message;
        }
    }
    // Nothing was made in their place or behind the links.
    EXPECT_FALSE(fs::exists(file("nowhere")));
    EXPECT_TRUE(fs::is_fifo(file("pipe")));

    // An empty file is an empty history to a reader, not one of an older format; the window
    // starts its history in it.
    { std::ofstream(file("empty.sqlite")); }
    const Opened empty = openWithin(file("empty.sqlite"), HistoryStore::Mode::ReadOnly);
    EXPECT_FALSE(empty.open);
    EXPECT_NE(empty.message.find("пуста"), std::string::npos) << empty.message;
    EXPECT_EQ(empty.message.find("старого формата"), std::string::npos) << empty.message;
    EXPECT_TRUE(openWithin(file("empty.sqlite"), HistoryStore::Mode::ReadWrite).open);
}

TEST_F(HistoryHazards, ForeignTextNumbersAndCountsAreMadeSafe) {
    EXPECT_EQ(validUtf8("Малый \xff\xfe 12\xc3"), "Малый \xef\xbf\xbd 12\xef\xbf\xbd");
    // Surrogates, overlong forms and code points beyond U+10FFFF: one mark per bad run.
    EXPECT_EQ(validUtf8("\xed\xa0\x80x\xc0\xaf\xf4\x90\x80\x80"), "\xef\xbf\xbdx\xef\xbf\xbd");
    EXPECT_EQ(validUtf8("ok \xf0\x9f\xa5\x81"), "ok \xf0\x9f\xa5\x81");
    {
        HistoryStore store(file());
        store.addReading(strike("12\"", 110.0, 1000));
        ASSERT_GT(store.createSnapshot("gig", 2000), 0);
    }
    test::runSql(
        file(),
        "UPDATE readings SET drum = CAST(X'31320AFF22' AS TEXT);"
        "UPDATE snapshots SET name = CAST(X'676967C3' AS TEXT);"
        "UPDATE snapshot_rows SET frequency_hz = 9e999;"
        "INSERT INTO snapshot_rows (snapshot_id, drum, struck, lug, lug_count, frequency_hz, "
        "time_ms) VALUES (1, 'x', 'batter', 5, 2147483647, 170, 1000),"
        " (1, 'x', 'reso', 2147483647, 6, 170, 1000);"
        "INSERT INTO readings (time_ms, drum, struck, lug, lug_count, frequency_hz, verdict) "
        "VALUES (3000, 'y', 'batter', 3, 2147483647, 170, 'good'),"
        " (3000, 'y', 'reso', 50000000, 0, 170, 'good');");
    HistoryStore store(file(), HistoryStore::Mode::ReadOnly);
    ASSERT_TRUE(store.isOpen()) << test::messageText(store.takeMessage());
    EXPECT_EQ(store.readings({}).at(0).drum, "12\n\xef\xbf\xbd\"");
    const auto snapshot = store.snapshot(1);
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->info.name, "gig\xef\xbf\xbd");
    for (const SnapshotDrum& drum : snapshot->drums) {
        for (const HeadPass& pass : drum.heads) EXPECT_LE(pass.rodHz.size(), 16u);
    }
    const std::string json = snapshotJson(*snapshot);
    EXPECT_NE(json.find("\"frequency_hz\":null"), std::string::npos) << json;
    EXPECT_EQ(json.find("inf"), std::string::npos) << json;
    EXPECT_NE(json.find("gig\xef\xbf\xbd"), std::string::npos);
    EXPECT_FALSE(store.lastLugPass("y", Struck::Batter).has_value());
    EXPECT_FALSE(store.lastLugPass("y", Struck::Reso).has_value());
}

TEST_F(HistoryHazards, AFileDeletedOrMovedWhileOpenIsStartedAgainWithWhatItHeld) {
    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen());
    store.addReading(strike("12\"", 110.0, 1000));
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file() + suffix);

    const std::int64_t id = store.createSnapshot("после удаления", 2000);
    EXPECT_GT(id, 0);
    const std::string message = test::messageText(store.takeMessage());
    EXPECT_NE(message.find("удалён или перемещён"), std::string::npos) << message;
    EXPECT_NE(message.find(file()), std::string::npos) << message;
    store.addReading(strike("12\"", 111.0, 3000));
    {
        HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
        ASSERT_TRUE(reader.isOpen()) << test::messageText(reader.takeMessage());
        EXPECT_EQ(reader.readings({}).size(), 2u);
        ASSERT_EQ(reader.snapshots().size(), 1u);
        EXPECT_EQ(reader.snapshots()[0].name, "после удаления");
    }

    // Moved away: the moved file keeps what it had, the path gets the history going on.
    fs::rename(file(), file("moved.sqlite"));
    EXPECT_GT(store.addReading(strike("14\"", 98.0, 4000)), 0);
    EXPECT_EQ(test::messageText(store.takeMessage()), "");  // said once
    EXPECT_EQ(store.readings({}).size(), 3u);
    HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
    EXPECT_EQ(reader.readings({}).size(), 3u);
}

TEST_F(HistoryHazards, AHistoryBusyAtTheStartIsOpenedAgainAtTheNextWrite) {
    { HistoryStore(file()).addReading(strike("12\"", 110.0, 1000)); }
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    HistoryStore store(file());
    EXPECT_FALSE(store.isOpen());
    EXPECT_NE(test::messageText(store.takeMessage()).find("занята"), std::string::npos);
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    EXPECT_GT(store.addReading(strike("12\"", 111.0, 2000)), 0);
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(store.readings({}).size(), 2u);
}

TEST_F(HistoryHazards, AReaderReadsAHistoryWhoseSharedMemoryCannotBeMade) {
    {
        HistoryStore store(file());
        store.addReading(strike("12\"", 110.0, 1000));
    }
    // A reader leaves at most the two files the documentation names.
    {
        HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
        ASSERT_TRUE(reader.isOpen()) << test::messageText(reader.takeMessage());
        EXPECT_EQ(reader.readings({}).size(), 1u);
    }
    for (const std::string& name : names()) {
        EXPECT_TRUE(name == "tomaro.sqlite" || name == "tomaro.sqlite-wal" ||
                    name == "tomaro.sqlite-shm")
            << name;
    }
    // Where the shared memory cannot be made (a folder that cannot be written; here something
    // else stands in its place, which root cannot write either), the file is read as it is.
    fs::remove(file() + "-shm");
    fs::create_directories(file() + "-shm");
    HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
    ASSERT_TRUE(reader.isOpen()) << test::messageText(reader.takeMessage());
    EXPECT_EQ(reader.readings({}).size(), 1u);
}

TEST_F(HistoryHazards, SnapshotNamesStayUniqueAndAreFoundByNameOrId) {
    HistoryStore store(file());
    store.addReading(strike("12\"", 110.0, 1000));
    const std::int64_t first = store.createSnapshot("gig", 2000);
    const std::int64_t second = store.createSnapshot("gig", 3000);
    const std::int64_t third = store.createSnapshot("other", 4000);
    EXPECT_EQ(store.snapshot(second)->info.name, "gig (2)");
    ASSERT_TRUE(store.renameSnapshot(third, "gig"));
    EXPECT_EQ(store.snapshot(third)->info.name, "gig (3)");
    ASSERT_TRUE(store.renameSnapshot(first, "gig"));
    EXPECT_EQ(store.snapshot(first)->info.name, "gig");

    ASSERT_EQ(store.findSnapshots("gig (2)").size(), 1u);
    EXPECT_EQ(store.findSnapshots("gig (2)")[0].id, second);
    ASSERT_EQ(store.findSnapshots(std::to_string(third)).size(), 1u);
    EXPECT_EQ(store.findSnapshots(std::to_string(third))[0].id, third);
    EXPECT_TRUE(store.findSnapshots("99").empty());
    // A file written before names were unique: both are found, newest first.
    test::runSql(file(), "UPDATE snapshots SET name = 'gig'");
    const auto both = store.findSnapshots("gig");
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(both[0].id, third);
}

TEST_F(HistoryHazards, ReadingsAreHandedOverOldestFirstAcrossDrumsAsTheyAreRead) {
    HistoryStore store(file());
    std::vector<Reading> many;
    for (int i = 0; i < 30; ++i) {
        many.push_back(strike(i % 3 == 0   ? "12\""
                              : i % 3 == 1 ? "Малый"
                                           : "",
                              100.0 + i, (i * 7919) % 30 * 1000));
    }
    ASSERT_EQ(store.addReadings(many), many.size());
    std::vector<std::int64_t> times;
    ASSERT_TRUE(store.forEachReading({}, [&](const Reading& reading) {
        times.push_back(reading.timeMs);
        return true;
    }));
    ASSERT_EQ(times.size(), 30u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));

    ReadingQuery query;
    query.drum = "Малый";
    query.sinceMs = 10000;
    int count = 0;
    store.forEachReading(query, [&](const Reading& reading) {
        EXPECT_EQ(reading.drum, "Малый");
        EXPECT_GE(reading.timeMs, 10000);
        return ++count < 3;
    });
    EXPECT_EQ(count, 3);
}

}  // namespace
}  // namespace tomaro::history
