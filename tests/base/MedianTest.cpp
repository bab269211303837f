#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "base/Median.h"

namespace tomaro {
namespace {

// The median as the callers computed it before they shared one: sorted, the middle value, or for
// an even count the mean of the two middle values or the upper of them.
double sortedMedian(std::vector<double> values, EvenMedian even) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n % 2 == 1 || even == EvenMedian::Upper) return values[n / 2];
    return (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

TEST(Median, OddCountGivesTheMiddleValueAndEvenCountFollowsItsRule) {
    std::vector<double> odd{5.0, 1.0, 4.0};
    EXPECT_EQ(median(odd), 4.0);
    std::vector<double> even{110.0, 100.0, 130.0, 120.0};
    std::vector<double> copy = even;
    EXPECT_EQ(median(even), 115.0);
    EXPECT_EQ(median(copy, EvenMedian::Upper), 120.0);
    std::vector<double> none;
    EXPECT_EQ(median(none), 0.0);
    EXPECT_EQ(median(none, EvenMedian::Upper), 0.0);
}

// Bit for bit what sorting gives, for both rules, with repeated values among them: the readings
// of the series, the turns and the head fits must not move by a rounding.
TEST(Median, EqualsTheSortedMiddleExactly) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> hz(60.0, 400.0);
    std::uniform_int_distribution<int> repeat(0, 3);
    for (int n = 1; n <= 40; ++n) {
        for (int trial = 0; trial < 50; ++trial) {
            std::vector<double> values;
            while (static_cast<int>(values.size()) < n) {
                values.push_back(repeat(random) == 0 && !values.empty() ? values.back()
                                                                        : hz(random));
            }
            std::shuffle(values.begin(), values.end(), random);
            for (EvenMedian even : {EvenMedian::Mean, EvenMedian::Upper}) {
                std::vector<double> work = values;
                EXPECT_EQ(median(work, even), sortedMedian(values, even)) << n;
            }
        }
    }
}

}  // namespace tomaro
