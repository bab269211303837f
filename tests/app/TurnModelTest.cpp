#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/TurnModel.h"
#include "settings/Language.h"
#include "settings/MemoryProfile.h"

namespace tomaro {
namespace {

// A rod whose pitch moves 60 cents per quarter turn, each turn by that figure with a scatter of
// +-20 % (uniform): the key's grip, the thread's friction.
class SimulatedRod {
public:
    explicit SimulatedRod(std::mt19937& random) : m_Random(random) {}
    double hz() const { return m_Hz; }
    // Turns the rod by `eighths` (tightening); returns the change in cents.
    double turn(int eighths) {
        std::uniform_real_distribution<double> scatter(0.8, 1.2);
        const double cents = 240.0 * eighths / 8.0 * scatter(m_Random);
        m_Hz *= std::exp2(cents / 1200.0);
        return cents;
    }

private:
    std::mt19937& m_Random;
    double m_Hz = 180.0;
};

TEST(TurnModelTest, OneCalibrationPredictsTheNextTurn) {
    std::mt19937 random(20);
    int close = 0;
    for (int trial = 0; trial < 10; ++trial) {
        SimulatedRod rod(random);
        TurnModel model;
        model.markTurn(3, rod.hz(), 2);  // "¼"
        rod.turn(2);
        EXPECT_FALSE(model.tapped(4, rod.hz() * 1.01));  // another rod: still waiting
        ASSERT_TRUE(model.tapped(3, rod.hz()));
        const double predicted = model.centsPerTurn() * 2 / 8.0;
        const double actual = rod.turn(2);
        if (std::abs(predicted - actual) <= 0.25 * actual) ++close;
    }
    EXPECT_GE(close, 9);
}

TEST(TurnModelTest, MedianOfCalibrationsAndTheAdviceInTurns) {
    setCurrentLanguage(Language::Russian);
    TurnModel model;
    EXPECT_EQ(model.eighthsFor(60.0), 0);
    model.addCalibration(240.0);
    // 60 cents at 240 cents per turn: a quarter, either way.
    EXPECT_EQ(model.eighthsFor(-60.0), 2);
    EXPECT_EQ(turns::adviceText(model.eighthsFor(60.0)), "≈ ¼ оборота");
    // A clumsy turn does not spoil the median.
    model.addCalibration(900.0);
    model.addCalibration(250.0);
    EXPECT_DOUBLE_EQ(model.centsPerTurn(), 250.0);
    EXPECT_EQ(turns::adviceText(3), "≈ ⅜ оборота");
    EXPECT_EQ(turns::adviceText(8), "≈ 1 оборот");
    EXPECT_EQ(turns::adviceText(12), "≈ 1 ½ оборота");
    EXPECT_EQ(turns::adviceText(0), "меньше ⅛ оборота");
    // A tap that did not move (the rod was not turned) teaches nothing.
    model.markTurn(1, 200.0, 4);
    EXPECT_FALSE(model.tapped(1, 200.1));
    EXPECT_EQ(model.calibrations().size(), 3u);
}

TEST(TurnModelTest, StoredPerDrumAndHeadAndForgotten) {
    MemoryProfile profile;
    TurnModel batter;
    batter.addCalibration(240.0);
    batter.addCalibration(212.5);
    turnstore::save(profile, 8, DrumHead::Batter, batter);
    EXPECT_EQ(turnstore::load(profile, 8, DrumHead::Batter).calibrations(),
              (std::vector<double>{240.0, 212.5}));
    EXPECT_FALSE(turnstore::load(profile, 8, DrumHead::Resonant).calibrated());
    EXPECT_FALSE(turnstore::load(profile, 6, DrumHead::Batter).calibrated());
    batter.forget();
    turnstore::save(profile, 8, DrumHead::Batter, batter);
    EXPECT_FALSE(turnstore::load(profile, 8, DrumHead::Batter).calibrated());
    // A damaged entry loses only itself.
    profile.writeString(turnstore::kSection, "Baraban_12дюймов_batter", "240;x;1e9;230");
    EXPECT_EQ(turnstore::load(profile, 8, DrumHead::Batter).calibrations(),
              (std::vector<double>{240.0, 230.0}));
}

}  // namespace
}  // namespace tomaro
