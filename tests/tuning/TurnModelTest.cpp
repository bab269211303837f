#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <random>

#include "settings/Language.h"
#include "settings/MemoryProfile.h"
#include "support/DrumHeadModel.h"
#include "support/MessageText.h"
#include "tuning/TurnModel.h"

namespace tomaro {
namespace {

// The head fit a perfect analysis of `head` would give: the mean, cos 2θ and (8 or more rods)
// cos 4θ, in cents of rod pitch.
HeadFit fitOf(const test::DrumHeadModel& head) {
    constexpr double kDeg = 180.0 / std::numbers::pi;
    HeadFit fit;
    fit.measured = head.rods;
    fit.meanHz = head.meanHz11();
    fit.patternCents = 865.6 * head.pattern(2);
    fit.axisDeg = head.axisRad(2) * kDeg;
    if (head.rods >= 8) {
        fit.hasPattern4 = true;
        fit.pattern4Cents = 865.6 * head.pattern(4);
        fit.axis4Deg = head.axisRad(4) * kDeg;
    }
    return fit;
}

// A drum key whose turn moves a rod's own pitch by `centsPerTurn`, each turn by that figure with
// a scatter of +-20 % (uniform): the key's grip, the thread's friction.
class Hand {
public:
    Hand(std::mt19937& random, double centsPerTurn) : m_Random(random), m_PerTurn(centsPerTurn) {}
    // Turns rod `lug` of `head` by `eighths` (tightening); returns its own change in cents.
    double turn(test::DrumHeadModel& head, int lug, int eighths) {
        return turnBy(head, lug, eighths / 8.0);
    }
    double turnDegrees(test::DrumHeadModel& head, int lug, int degrees) {
        return turnBy(head, lug, degrees / 360.0);
    }

private:
    double turnBy(test::DrumHeadModel& head, int lug, double turns) {
        std::uniform_real_distribution<double> scatter(0.8, 1.2);
        const double cents = m_PerTurn * turns * scatter(m_Random);
        head.turn(lug, cents);
        return cents;
    }

    std::mt19937& m_Random;
    double m_PerTurn;
};

// A head of `rods` rods, each a few per cent off.
test::DrumHeadModel unevenHead(int rods, std::mt19937& random) {
    test::DrumHeadModel head(rods, 180.0);
    std::uniform_real_distribution<double> off(-0.04, 0.04);
    for (double& tension : head.tension) tension *= 1.0 + off(random);
    return head;
}

TEST(TurnModelTest, TheFitSeesHalfOfOneRodsChangeOnSixEightAndTenRods) {
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(6, false), 0.5);
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(8, true), 0.5);
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(10, true), 0.5);
    // Without the cos 4θ pattern an 8-rod head shows 3/8; on 4 rods cos 2θ is the rods' last
    // pattern, counted once; 12 rods show 5/12.
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(8, false), 3.0 / 8.0);
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(4, false), 0.5);
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(12, true), 5.0 / 12.0);
    EXPECT_DOUBLE_EQ(TurnModel::visibleShare(3, false), 0.0);
}

TEST(TurnModelTest, OneExactTurnCalibratesTheRodsOwnCentsPerTurn) {
    std::mt19937 random(7);
    for (const int rods : {6, 8, 10}) {
        test::DrumHeadModel head = unevenHead(rods, random);
        TurnModel model;
        const int lug = 2;
        ASSERT_TRUE(model.markTurn(lug, rods, fitOf(head), 181.0, 2));  // "¼"
        head.turn(lug, 60.0);                                           // 240 cents per turn
        // Another rod's tap, and the marked rod's own tap before the turn, wait.
        EXPECT_FALSE(model.tapped(lug + 1, rods, fitOf(head), 190.0));
        EXPECT_FALSE(model.tapped(lug, rods, fitOf(head), 181.0));
        ASSERT_TRUE(model.tapped(lug, rods, fitOf(head), 185.0)) << rods << " rods";
        // The rod's own change, not the half of it that the fit shows at its angle.
        EXPECT_NEAR(model.centsPerTurn(), 240.0, 240.0 * 0.03) << rods << " rods";
        EXPECT_FALSE(model.pending());
    }
}

TEST(TurnModelTest, TurnsAdvisedAndMadeLandOnTheAdviceWithoutBias) {
    std::mt19937 random(23);
    std::uniform_real_distribution<double> perTurn(150.0, 350.0);
    std::uniform_real_distribution<double> asked(50.0, 150.0);
    int close = 0;
    int closeByDegrees = 0;
    int turnsMade = 0;
    std::vector<double> ratios;
    for (const int rods : {6, 8, 10}) {
        for (int trial = 0; trial < 20; ++trial) {
            test::DrumHeadModel head = unevenHead(rods, random);
            Hand hand(random, perTurn(random));
            TurnModel model;
            // Three marked turns of ¼ on rods around the head.
            for (const int lug : {1, 1 + rods / 3, 1 + 2 * rods / 3}) {
                ASSERT_TRUE(model.markTurn(lug, rods, fitOf(head), 180.0, 2));
                hand.turn(head, lug, 2);
                model.tapped(lug, rods, fitOf(head), 181.0);
            }
            ASSERT_EQ(model.calibrations().size(), 3u);
            // Every rod asked for a change; the turn advised, made with the same hand.
            for (int lug = 1; lug <= rods; ++lug) {
                const double cents = asked(random);
                const double made = hand.turn(head, lug, model.eighthsFor(cents));
                ratios.push_back(made / cents);
                if (std::abs(made - cents) <= 0.25 * cents) ++close;
                const double byDegrees = hand.turnDegrees(head, lug, model.degreesFor(cents));
                if (std::abs(byDegrees - cents) <= 0.25 * cents) ++closeByDegrees;
                ++turnsMade;
            }
        }
    }
    // No bias: a turn calibrated from the rod's own reading, or from the fit without the share,
    // goes about twice too far.
    std::sort(ratios.begin(), ratios.end());
    EXPECT_NEAR(ratios[ratios.size() / 2], 1.0, 0.06);
    // The hand's own +-20 % and the eighth the advice is rounded to leave some turns beyond a
    // quarter: with an exact calibration 88 % of these turns land within it, with three
    // calibrations of the same hand 82 %. Turned by the degrees the advice also gives, only the
    // calibration's own error is left beside the hand's: 90 % (nearly all with an exact one).
    EXPECT_GE(close, turnsMade * 78 / 100) << close << " of " << turnsMade;
    EXPECT_GE(closeByDegrees, turnsMade * 88 / 100) << closeByDegrees << " of " << turnsMade;
}

TEST(TurnModelTest, AMarkNeedsAFittedHeadAndAReadRod) {
    std::mt19937 random(3);
    const test::DrumHeadModel head = unevenHead(6, random);
    HeadFit twoRods = fitOf(head);
    twoRods.measured = 2;
    TurnModel model;
    EXPECT_FALSE(model.markTurn(1, 6, twoRods, 180.0, 2));
    EXPECT_FALSE(model.markTurn(1, 6, fitOf(head), 0.0, 2));
    EXPECT_FALSE(model.markTurn(7, 6, fitOf(head), 180.0, 2));
    EXPECT_FALSE(model.markTurn(1, 6, fitOf(head), 180.0, 17));
    EXPECT_FALSE(model.pending());
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
    // Degrees beside the eighths: 70 cents at 250 cents per turn is 100.8 degrees.
    EXPECT_EQ(model.adviceText(70.0), "≈ ¼ оборота (100°)");
    EXPECT_EQ(model.adviceText(-10.0), "меньше ⅛ оборота (15°)");
    EXPECT_EQ(TurnModel{}.adviceText(70.0), "");
    // A tap that did not move the head (the rod was not turned) teaches nothing.
    test::DrumHeadModel head(8);
    ASSERT_TRUE(model.markTurn(1, 8, fitOf(head), 200.0, 4));
    EXPECT_FALSE(model.tapped(1, 8, fitOf(head), 200.1));
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

TEST(TurnModelTest, StateTextKeepsTheCalibrationsAndThePendingMark) {
    std::mt19937 random(5);
    test::DrumHeadModel head = unevenHead(8, random);
    TurnModel model;
    model.addCalibration(240.0);
    ASSERT_TRUE(model.markTurn(3, 8, fitOf(head), 182.5, 4));
    TurnModel again;
    const std::optional<UserMessage> damage = again.restoreState(model.stateText());
    ASSERT_FALSE(damage) << test::messageText(damage);
    EXPECT_EQ(again.calibrations(), model.calibrations());
    EXPECT_EQ(again.pendingLug(), 3);
    EXPECT_EQ(again.pendingEighths(), 4);
    // The restored mark calibrates as the first would have.
    head.turn(3, 120.0);
    ASSERT_TRUE(again.tapped(3, 8, fitOf(head), 186.0));
    EXPECT_NEAR(again.calibrations().back(), 240.0, 240.0 * 0.03);
}

TEST(TurnModelTest, ADamagedStateTextChangesNothing) {
    TurnModel model;
    model.addCalibration(200.0);
    for (const std::string& text :
         {std::string(), std::string("\x89PNG\r\n"), std::string("tomaro-turns 1\n"),
          std::string("tomaro-turns 1\ncalibrations 240;x\n"),
          std::string("tomaro-turns 1\ncalibrations 240\nmark 9 2 8 180 180 0 0 0\n"),
          std::string("tomaro-turns 1\ncalibrations 240\nmark 1 2 8 nan 180 0 0 0\n"),
          std::string("tomaro-turns 1\ncalibrations 240\nwhat\n")}) {
        const std::optional<UserMessage> damage = model.restoreState(text);
        EXPECT_TRUE(damage) << text;
        EXPECT_FALSE(test::messageText(damage).empty()) << text;
        EXPECT_EQ(model.calibrations(), std::vector<double>{200.0}) << text;
    }
}

}  // namespace
}  // namespace tomaro
