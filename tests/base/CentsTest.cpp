#include <gtest/gtest.h>

#include "base/Cents.h"

namespace tomaro {

// The order of the arguments is the one thing a caller can get wrong without a sound: a sharp
// reading must come out positive.
TEST(Cents, AReadingAboveItsReferenceIsPositive) {
    EXPECT_DOUBLE_EQ(centsBetween(110.0, 220.0), 1200.0);
    EXPECT_DOUBLE_EQ(centsBetween(220.0, 110.0), -1200.0);
    EXPECT_NEAR(centsBetween(440.0, 440.0 * std::exp2(1.0 / 12.0)), 100.0, 1e-9);
    EXPECT_EQ(centsBetween(97.5, 97.5), 0.0);
}

}  // namespace tomaro
