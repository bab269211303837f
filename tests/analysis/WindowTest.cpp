#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Window.h"

namespace tomaro {
namespace {

TEST(Window, RectangularWeighsEverySampleOne) {
    for (int j : {0, 1, 500, 999}) EXPECT_EQ(windowWeight(0, j, 1000), 1.0);
}

TEST(Window, GaussiansAreZeroAtTheStartAndUnnormalisedInTheMiddle) {
    EXPECT_EQ(windowWeight(1, 0, 1000), 0.0);
    EXPECT_EQ(windowWeight(2, 0, 1000), 0.0);
    EXPECT_EQ(windowWeight(1, 500, 1000), 1.0 - std::exp(-1.0));
    EXPECT_EQ(windowWeight(2, 500, 1000), 1.0 - std::exp(-3.0));
    EXPECT_NEAR(windowWeight(1, 500, 1000), 0.632, 0.001);
    EXPECT_NEAR(windowWeight(2, 500, 1000), 0.950, 0.001);
}

TEST(Window, GaussianFallsToItsFloorTowardsTheEnd) {
    // x = 2 |j / L - 0.5|: a quarter of the way in x = 0.5, so exp(-k / 4) - exp(-k).
    EXPECT_DOUBLE_EQ(windowWeight(1, 250, 1000), std::exp(-0.25) - std::exp(-1.0));
    EXPECT_DOUBLE_EQ(windowWeight(2, 750, 1000), std::exp(-0.75) - std::exp(-3.0));
    EXPECT_LT(windowWeight(1, 999, 1000), 0.005);
    for (int j = 1; j < 500; ++j) {
        EXPECT_NEAR(windowWeight(1, j, 1000), windowWeight(1, 1000 - j, 1000), 1e-15) << j;
    }
}

TEST(Window, UnknownKindsWeighAsGauss1) {
    for (int kind : {-1, 3, 7, 1000}) {
        EXPECT_EQ(windowWeight(kind, 123, 1000), windowWeight(1, 123, 1000)) << kind;
    }
}

}  // namespace
}  // namespace tomaro
