#include <gtest/gtest.h>

#include <algorithm>

#include "tuning/HeadResponse.h"

namespace tomaro {
namespace {

HeadFit headWith(double splitCents, double axisDeg) {
    HeadFit head;
    head.splitResolved = splitCents > 0.0;
    head.splitCents = splitCents;
    head.axisDeg = axisDeg;
    return head;
}

TEST(HeadResponse, OverTurningShrinksTheAdviceAndAWorsePassHalvesIt) {
    HeadResponse response;
    EXPECT_DOUBLE_EQ(response.scale(), 1.0);
    response.passDone(headWith(40.0, 30.0), 5.0);
    // The advice was followed 1.75 times over: the split flipped to 30 cents across the axis.
    response.passDone(headWith(30.0, 120.0), 5.0);
    EXPECT_LT(response.scale(), 0.85);
    EXPECT_GT(response.scale(), HeadResponse::kMinScale);
    EXPECT_NEAR(response.turnDeg(), 0.0, 1e-6);
    EXPECT_FALSE(response.reduced());
    // A pass that raised the split: the next advice is half the size, and says so.
    const double before = response.scale();
    response.passDone(headWith(45.0, 120.0), 5.0);
    EXPECT_TRUE(response.reduced());
    EXPECT_NEAR(response.scale(), std::max(0.5 * before, HeadResponse::kMinScale), 1e-9);
    // An axis read 15 degrees off turns the advice, within bounds.
    HeadResponse turned;
    turned.passDone(headWith(40.0, 0.0), 5.0);
    turned.passDone(headWith(20.0, 30.0), 5.0);
    EXPECT_LE(std::abs(turned.turnDeg()), HeadResponse::kMaxTurnDeg);
    EXPECT_GT(std::abs(turned.turnDeg()), 1.0);
}

TEST(HeadResponse, AHeadThatSplitsLittleGetsLargerAdviceInBoundedSteps) {
    // Each pass closes a third of what the advice asked for (a stiff stress field).
    HeadResponse response;
    double split = 14.0;
    double last = response.scale();
    for (int pass = 0; pass < 4; ++pass) {
        response.passDone(headWith(split, 0.0), 5.0);
        EXPECT_LE(response.scale(), HeadResponse::kMaxStep * last + 1e-9) << pass;
        last = response.scale();
        split *= 1.0 - std::min(1.0, response.scale() / 3.0);
    }
    EXPECT_GT(response.scale(), 2.0);
    EXPECT_LE(response.scale(), HeadResponse::kMaxScale);
}

TEST(HeadResponse, KeptAsTextAndBadTextRefused) {
    HeadResponse response;
    response.passDone(headWith(40.0, 30.0), 5.0);
    response.passDone(headWith(30.0, 120.0), 5.0);
    HeadResponse restored;
    ASSERT_TRUE(restored.restore(response.text()));
    EXPECT_NEAR(restored.scale(), response.scale(), 1e-3);
    EXPECT_EQ(restored.passes(), 2);
    for (const char* bad : {"", "1;2", "x;1;0;0;0;1;0", "1;nan;0;0;0;1;0", "-1;1;0;0;0;1;0"}) {
        EXPECT_FALSE(restored.restore(bad)) << bad;
    }
    EXPECT_EQ(restored.passes(), 2);
}

}  // namespace
}  // namespace tomaro
