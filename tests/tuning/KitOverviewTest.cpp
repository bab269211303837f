#include <gtest/gtest.h>

#include <cmath>

#include "kit/DrumTypes.h"
#include "tuning/KitOverview.h"

namespace tomaro {
namespace {

history::SnapshotDrum struckDrum(const std::string& name, double hz) {
    history::SnapshotDrum drum;
    drum.drum = name;
    history::Reading strike;
    strike.drum = name;
    strike.frequencyHz = hz;
    strike.verdict = "good";
    drum.strike = strike;
    return drum;
}

// The kit in size order with the interval up to the next smaller drum: measured from the last
// good strikes against planned from the notes; narrower than planned is negative.
TEST(KitOverviewTest, IntervalsToTheNeighbourMeasuredAgainstPlanned) {
    Kit kit;
    kit.assign({{drums::kKick, -31}, {12, -15}, {8, -10}, {6, -5}});  // kick, 16", 12", 10"
    history::Snapshot state;
    state.drums.push_back(struckDrum("16\"", 110.0));
    // The 12" a fourth above the 16", 20 cents flat; the 10" not struck.
    state.drums.push_back(struckDrum("12\"", 110.0 * std::exp2(480.0 / 1200.0)));
    const std::vector<overview::KitRow> rows = overview::kitRows(kit, state);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(kit.drumName(rows[0].position), "10\"");
    EXPECT_FALSE(rows[0].hasNeighbour);
    EXPECT_EQ(rows[1].plannedSemitones, 5);  // 12" up to 10"
    EXPECT_FALSE(rows[1].measured.valid);    // the 10" has no strike
    EXPECT_EQ(kit.drumName(rows[2].position), "16\"");
    EXPECT_EQ(rows[2].plannedSemitones, 5);
    ASSERT_TRUE(rows[2].measured.valid);
    EXPECT_NEAR(rows[2].deviationCents, -20.0, 1e-9);
    EXPECT_EQ(rows[3].plannedSemitones, 16);  // kick up to the 16"
}

TEST(KitOverviewTest, HeadsFromTheirLastPassesAndTheBendAfterTheHit) {
    history::SnapshotDrum drum = struckDrum("12\"", 120.0);
    history::HeadPass batter;
    batter.head = history::Struck::Batter;
    batter.lugCount = 6;
    batter.rodHz = {180.0, 180.0, 0.0, 180.0, 180.0, 180.0};
    drum.heads.push_back(batter);
    history::Snapshot state;
    state.drums.push_back(drum);
    const overview::TwoHeads heads = overview::twoHeads(state, "12\"");
    EXPECT_EQ(heads.batter.measured, 5);
    EXPECT_NEAR(heads.batter.meanHz, 180.0, 1e-6);
    EXPECT_EQ(heads.reso.measured, 0);
    EXPECT_FALSE(heads.interval.valid);  // one head alone has no interval
    EXPECT_EQ(heads.fundamentalHz, 120.0);
    EXPECT_EQ(overview::twoHeads(state, "16\"").batter.rods, 0);

    // The pitch fell 30 cents from the first valid point to the last; invalid points ignored.
    const std::vector<PitchPoint> track = {{0.00, 500.0, 0.0, false},
                                           {0.01, 100.0 * std::exp2(30.0 / 1200.0), 20.0, true},
                                           {0.02, 100.2, 20.0, true},
                                           {0.03, 100.0, 20.0, true},
                                           {0.04, 50.0, 0.0, false}};
    EXPECT_NEAR(overview::pitchBendCents(track), -30.0, 1e-9);
    EXPECT_EQ(overview::pitchBendCents({}), 0.0);
}

}  // namespace
}  // namespace tomaro
