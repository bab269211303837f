// What a snapshot and a drift hold: rods measured since, and readings from sound files kept apart
// from the drums' tuning.
#include <gtest/gtest.h>

#include <filesystem>

#include "history/HistoryStore.h"
#include "support/MessageText.h"
#include "support/SqliteFile.h"
#include "support/TempFolder.h"

namespace tomaro::history {
namespace {

namespace fs = std::filesystem;

class HistoryFileStrikesTest : public ::testing::Test {
protected:
    std::string file() const { return m_Folder.file("tomaro.sqlite"); }

    test::TempFolder m_Folder{"file-strikes"};
};

Reading reading(const std::string& drum, Struck struck, int lug, double hz, std::int64_t timeMs,
                bool fromFile = false) {
    Reading r;
    r.drum = drum;
    r.struck = struck;
    r.lug = lug;
    r.lugCount = lug > 0 ? 6 : 0;
    r.frequencyHz = hz;
    r.timeMs = timeMs;
    r.verdict = "good";
    r.fromFile = fromFile;
    return r;
}

TEST_F(HistoryFileStrikesTest, ARodNotMeasuredSinceTheSnapshotHasNoDrift) {
    HistoryStore store(file());
    store.addReading(reading("12\"", Struck::Drum, 0, 120.0, 1000));
    for (int lug = 1; lug <= 6; ++lug)
        store.addReading(reading("12\"", Struck::Batter, lug, 180.0, 1000 + lug));
    const std::int64_t id = store.createSnapshot("gig", 2000);
    ASSERT_GT(id, 0);
    // Only rod 2 is tapped again.
    store.addReading(reading("12\"", Struck::Batter, 2, 181.0, 3000));

    const auto then = store.snapshot(id);
    ASSERT_TRUE(then);
    int measured = 0;
    for (const DriftLine& line : compare(*then, store.currentState())) {
        if (line.struck == Struck::Batter && line.lug == 2) {
            ASSERT_TRUE(line.cents);
            EXPECT_TRUE(line.measuredSince);
            EXPECT_NEAR(*line.cents, 9.59, 0.01);
            ++measured;
        } else {
            EXPECT_FALSE(line.measuredSince) << line.lug;
            EXPECT_FALSE(line.cents.has_value()) << line.lug;
            EXPECT_GT(line.toHz, 0.0);
        }
    }
    EXPECT_EQ(measured, 1);

    // A later snapshot keeps each rod's own time: between the two only rod 2 was measured.
    const std::int64_t later = store.createSnapshot("after", 4000);
    const auto now = store.snapshot(later);
    ASSERT_TRUE(now);
    int withCents = 0;
    for (const DriftLine& line : compare(*then, *now)) withCents += line.cents ? 1 : 0;
    EXPECT_EQ(withCents, 1);
}

TEST_F(HistoryFileStrikesTest, ReadingsFromFilesStayOutOfSnapshotsUnlessChosen) {
    HistoryStore store(file());
    store.addReading(reading("12\"", Struck::Drum, 0, 120.0, 1000));
    store.addReading(reading("12\"", Struck::Drum, 0, 98.0, 2000, true));
    store.addReading(reading("14\"", Struck::Drum, 0, 90.0, 2100, true));
    store.addReading(reading("14\"", Struck::Batter, 1, 150.0, 2200, true));

    const auto readings = store.readings({});
    ASSERT_EQ(readings.size(), 4u);
    EXPECT_FALSE(readings[0].fromFile);
    EXPECT_TRUE(readings[1].fromFile);

    const auto live = store.snapshot(store.createSnapshot("live", 3000));
    ASSERT_TRUE(live);
    ASSERT_EQ(live->drums.size(), 1u);
    EXPECT_EQ(live->drums[0].strike->frequencyHz, 120.0);

    const auto chosen = store.snapshot(store.createSnapshot("with files", 3100, true));
    ASSERT_TRUE(chosen);
    ASSERT_EQ(chosen->drums.size(), 2u);
    EXPECT_EQ(chosen->drum("12\"")->strike->frequencyHz, 98.0);
    EXPECT_TRUE(chosen->drum("12\"")->strike->fromFile);
    ASSERT_TRUE(chosen->drum("14\"")->head(Struck::Batter));
}

TEST_F(HistoryFileStrikesTest, AFileOfTheVersionBeforeIsReadAndUpgraded) {
    {
        HistoryStore store(file());
        store.addReading(reading("12\"", Struck::Drum, 0, 120.0, 1000));
        ASSERT_GT(store.createSnapshot("gig", 2000), 0);
    }
    ASSERT_TRUE(test::runSql(file(),
                             "ALTER TABLE readings DROP COLUMN from_file;"
                             "ALTER TABLE snapshot_rows DROP COLUMN from_file;"
                             "PRAGMA user_version=3;"));
    {
        HistoryStore reader(file(), HistoryStore::Mode::ReadOnly);
        ASSERT_TRUE(reader.isOpen()) << test::messageText(reader.takeMessage());
        ASSERT_EQ(reader.readings({}).size(), 1u);
        EXPECT_EQ(reader.currentState().drums.size(), 1u);
        const auto found = reader.findSnapshots("gig");
        ASSERT_EQ(found.size(), 1u);
        EXPECT_TRUE(reader.snapshot(found[0].id));
    }
    HistoryStore store(file());
    ASSERT_TRUE(store.isOpen()) << test::messageText(store.takeMessage());
    EXPECT_EQ(store.readings({}).size(), 1u);
    EXPECT_GT(store.addReading(reading("12\"", Struck::Drum, 0, 99.0, 3000, true)), 0);
    EXPECT_TRUE(store.readings({}).back().fromFile);
}

}  // namespace
}  // namespace tomaro::history
