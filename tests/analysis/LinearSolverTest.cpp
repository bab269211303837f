#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/LinearSolver.h"

namespace tomaro {
namespace {

TEST(LinearSolver, SwapsRowsWhenTheDiagonalIsZero) {
    double a[4] = {0.0, 1.0, 1.0, 1.0};
    double b[2] = {2.0, 3.0};
    double x[2];
    solveLinear(a, 2, 2, b, x);
    EXPECT_DOUBLE_EQ(x[0], 1.0);
    EXPECT_DOUBLE_EQ(x[1], 2.0);
}

TEST(LinearSolver, PivotsOnTheLargestMagnitudeForAccuracy) {
    // Without partial pivoting the tiny first pivot wipes out the answer.
    double a[4] = {1e-20, 1.0, 1.0, 1.0};
    double b[2] = {1.0, 2.0};
    double x[2];
    solveLinear(a, 2, 2, b, x);
    EXPECT_NEAR(x[0], 1.0, 1e-12);
    EXPECT_NEAR(x[1], 1.0, 1e-12);
}

TEST(LinearSolver, KeepsTheEarlierRowOnEqualPivotMagnitudes) {
    // |6| == |-6|: eliminating with the first row and with the second round differently.
    double a[4] = {6.0, 4.0, -6.0, 3.0};
    double b[2] = {-2.0, -1.0};
    double x[2];
    solveLinear(a, 2, 2, b, x);
    EXPECT_EQ(x[0], -0.047619047619047637);
}

TEST(LinearSolver, HonoursTheRowStride) {
    // 3 x 3 system stored in rows of 5 with junk in the unused columns.
    double a[15] = {2, 1, 1, 99, 99, 1, 3, 2, 99, 99, 1, 0, 0, 99, 99};
    double b[3] = {4, 5, 6};
    double x[3];
    solveLinear(a, 3, 5, b, x);
    EXPECT_NEAR(x[0], 6.0, 1e-12);
    EXPECT_NEAR(x[1], 15.0, 1e-12);
    EXPECT_NEAR(x[2], -23.0, 1e-12);
}

TEST(LinearSolver, SingularSystemGivesValuesThatAreNotFinite) {
    double a[4] = {1.0, 2.0, 2.0, 4.0};
    double b[2] = {1.0, 1.0};
    double x[2];
    solveLinear(a, 2, 2, b, x);
    EXPECT_FALSE(allFinite(x, 2));

    double zeros[4] = {};
    double rhs[2] = {};
    solveLinear(zeros, 2, 2, rhs, x);
    EXPECT_FALSE(allFinite(x, 2));
}

TEST(LinearSolver, SolvesTheLargestFitSystem) {
    const int n = 25;
    std::mt19937 random(42);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<double> a(n * n), expected(n), b(n, 0.0), x(n);
    for (auto& v : a) v = value(random);
    for (auto& v : expected) v = value(random);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) b[i] += a[i * n + j] * expected[j];
    }
    solveLinear(a.data(), n, n, b.data(), x.data());
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-9) << i;
}

}  // namespace
}  // namespace tomaro
