#include <gtest/gtest.h>

#include <cmath>

#include "tuning/StrikeSeries.h"

namespace tomaro {
namespace {

double centsAbove(double hz, double cents) { return hz * std::pow(2.0, cents / 1200.0); }

TEST(StrikeSeries, StrikesWithin25CentsJoinAndAJumpStartsANewSeries) {
    StrikeSeries series;
    EXPECT_TRUE(series.add(110.0));
    EXPECT_TRUE(series.state().startedNew);
    EXPECT_FALSE(series.add(centsAbove(110.0, 24.0)));
    EXPECT_FALSE(series.add(centsAbove(110.0, -10.0)));
    EXPECT_EQ(series.state().count, 3);
    EXPECT_FALSE(series.state().startedNew);
    EXPECT_DOUBLE_EQ(series.state().medianHz, 110.0);
    EXPECT_NEAR(series.state().spreadCents, 10.0, 1e-9);
    EXPECT_FALSE(series.state().stable);

    // A rod was turned: 30 cents up begins a new series of one strike.
    EXPECT_TRUE(series.add(centsAbove(110.0, 30.0)));
    EXPECT_EQ(series.state().count, 1);
    EXPECT_NEAR(series.state().medianHz, centsAbove(110.0, 30.0), 1e-9);
    EXPECT_EQ(series.state().spreadCents, 0.0);
}

TEST(StrikeSeries, ThreeStrikesWithinThreeCentsAreStable) {
    StrikeSeries series;
    series.add(centsAbove(110.0, -2.0));
    series.add(110.0);
    EXPECT_FALSE(series.state().stable);  // two are not enough
    series.add(centsAbove(110.0, 2.9));
    EXPECT_TRUE(series.state().stable);
    EXPECT_NEAR(series.state().spreadCents, 2.0, 1e-9);
    series.add(centsAbove(110.0, 9.0));
    series.add(centsAbove(110.0, -9.0));
    EXPECT_NEAR(series.state().spreadCents, 2.9, 1e-9);
    EXPECT_TRUE(series.state().stable);
    series.add(centsAbove(110.0, 12.0));
    EXPECT_FALSE(series.state().stable);
}

// With few strikes the median deviation hides one strike far off: 110.01, 110.01 and 109.21 Hz
// spread "± 0.0" but one is 12.6 cents flat, so they are not stable until more strikes agree.
TEST(StrikeSeries, FewStrikesAreStableOnlyWhenEveryOneIsWithinTheSpread) {
    StrikeSeries series;
    series.add(110.01);
    series.add(110.01);
    series.add(109.21);
    EXPECT_NEAR(series.state().spreadCents, 0.0, 1e-9);
    EXPECT_FALSE(series.state().stable);
    series.add(110.01);
    EXPECT_FALSE(series.state().stable);
    series.add(110.02);  // five strikes: the median deviation speaks for them
    EXPECT_TRUE(series.state().stable);
}

TEST(StrikeSeries, OnlyTheLastEightStrikesCount) {
    StrikeSeries series;
    for (int i = 0; i < 8; ++i) series.add(centsAbove(100.0, -20.0));
    for (int i = 0; i < 5; ++i) series.add(centsAbove(100.0, 4.0));
    EXPECT_EQ(series.state().count, 8);
    EXPECT_EQ(series.count(), 8);
    // Five new against the three old that remain: the median moves to the new strikes.
    EXPECT_NEAR(series.state().medianHz, centsAbove(100.0, 4.0), 1e-9);
    EXPECT_NEAR(series.at(0), centsAbove(100.0, -20.0), 1e-9);
    EXPECT_NEAR(series.at(7), centsAbove(100.0, 4.0), 1e-9);
}

TEST(StrikeSeries, ClearAndUnusableFrequencies) {
    StrikeSeries series;
    series.add(110.0);
    EXPECT_FALSE(series.add(NAN));
    EXPECT_FALSE(series.add(0.0));
    EXPECT_EQ(series.state().count, 1);
    series.clear();
    EXPECT_EQ(series.state().count, 0);
    EXPECT_EQ(series.state().medianHz, 0.0);
    EXPECT_TRUE(series.add(200.0));
}

}  // namespace
}  // namespace tomaro
