#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "ReferenceFft.h"
#include "analysis/Fft.h"

namespace tomaro {
namespace {

using Buffer = std::vector<std::complex<double>>;

constexpr double kTwoPi = 6.283185307179586476925286766559;

Buffer randomSignal(int count, unsigned seed) {
    Buffer data(count);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    for (auto& value : data) value = {sample(random), sample(random)};
    return data;
}

bool sameBits(const Buffer& a, const Buffer& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0;
}

TEST(Fft, MatchesThePrescribedLoopOrderBitForBit) {
    Fft fft;
    for (int count : {1, 2, 4, 8, 16, 64, 1024, 4096, 65536}) {
        Buffer fast = randomSignal(count, 7u + static_cast<unsigned>(count));
        Buffer reference = fast;
        ASSERT_TRUE(fft.transform(fast.data(), count));
        testing::referenceFft(reference.data(), count);
        EXPECT_TRUE(sameBits(fast, reference)) << "count " << count;
    }
}

TEST(Fft, MatchesBitForBitOnAWindowedStrikeLikeInput) {
    // The shape the analysis feeds it: 48000 real samples, zero padded to 65536.
    Buffer fast(65536);
    for (int j = 0; j < 48000; ++j) {
        fast[j] = std::trunc(20000.0 * std::exp(-j / 9000.0) * std::cos(0.0123 * j * j / 1000.0));
    }
    Buffer reference = fast;
    Fft fft;
    fft.transform(fast.data(), 65536);
    testing::referenceFft(reference.data(), 65536);
    EXPECT_TRUE(sameBits(fast, reference));
}

TEST(Fft, ImpulseAtStartGivesEveryBinTheSameValueExactly) {
    Buffer data(65536);
    data[0] = 1000.0;
    Fft fft;
    fft.transform(data.data(), 65536);
    for (int k = 0; k < 65536; ++k) {
        ASSERT_EQ(data[k].real(), 1000.0 / 65536) << k;
        ASSERT_EQ(data[k].imag(), 0.0) << k;
    }
}

TEST(Fft, SinglePointTransformLeavesTheValue) {
    std::complex<double> point(-3.5, 2.25);
    Fft fft;
    ASSERT_TRUE(fft.transform(&point, 1));
    EXPECT_EQ(point, std::complex<double>(-3.5, 2.25));
}

TEST(Fft, CosineAtAnExactBinGivesHalfItsAmplitudeAtTheBinAndItsMirror) {
    const int count = 65536, bin = 1234;
    const double amplitude = 10000.0;
    Buffer data(count);
    for (int n = 0; n < count; ++n) data[n] = amplitude * std::cos(kTwoPi * bin * n / count);
    Fft fft;
    fft.transform(data.data(), count);
    EXPECT_NEAR(data[bin].real(), amplitude / 2, 1e-7);
    EXPECT_NEAR(data[count - bin].real(), amplitude / 2, 1e-7);
    EXPECT_NEAR(data[bin].imag(), 0.0, 1e-7);
    double leakage = 0.0;
    for (int k = 0; k < count; ++k) {
        if (k != bin && k != count - bin) leakage = std::max(leakage, std::abs(data[k]));
    }
    EXPECT_LT(leakage, 1e-7);
}

TEST(Fft, UsesTheNegativeExponent) {
    // sin(2 pi n / N) = (e^(+i..) - e^(-i..)) / 2i: with X[k] = (1/N) sum x e^(-2 pi i n k / N),
    // bin 1 holds -i/2 and bin N-1 holds +i/2.
    const int count = 64;
    Buffer data(count);
    for (int n = 0; n < count; ++n) data[n] = std::sin(kTwoPi * n / count);
    Fft fft;
    fft.transform(data.data(), count);
    EXPECT_NEAR(data[1].imag(), -0.5, 1e-15);
    EXPECT_NEAR(data[count - 1].imag(), 0.5, 1e-15);
}

TEST(Fft, AgreesWithADirectSumInNaturalOrder) {
    const int count = 256;
    Buffer data = randomSignal(count, 3);
    Buffer direct(count);
    for (int k = 0; k < count; ++k) {
        std::complex<long double> sum = 0;
        for (int n = 0; n < count; ++n) {
            const long double angle = -kTwoPi * static_cast<long double>(n * k % count) / count;
            sum += std::complex<long double>(data[n].real(), data[n].imag()) *
                   std::complex<long double>(std::cos(angle), std::sin(angle));
        }
        direct[k] = {static_cast<double>(sum.real() / count),
                     static_cast<double>(sum.imag() / count)};
    }
    Fft fft;
    fft.transform(data.data(), count);
    for (int k = 0; k < count; ++k) {
        EXPECT_NEAR(data[k].real(), direct[k].real(), 1e-9) << k;
        EXPECT_NEAR(data[k].imag(), direct[k].imag(), 1e-9) << k;
    }
}

TEST(Fft, WritesNothingOutsideTheGivenPoints) {
    const int count = 1024, guard = 16;
    const std::complex<double> sentinel(12345.0, -6789.0);
    Buffer data(count + 2 * guard, sentinel);
    Buffer signal = randomSignal(count, 11);
    std::copy(signal.begin(), signal.end(), data.begin() + guard);
    Fft fft;
    fft.transform(data.data() + guard, count);
    for (int i = 0; i < guard; ++i) {
        EXPECT_EQ(data[i], sentinel);
        EXPECT_EQ(data[guard + count + i], sentinel);
    }
}

TEST(Fft, RefusesCountsThatAreNotPowersOfTwoWithinTheTable) {
    Buffer data = randomSignal(131072, 5);
    const Buffer before = data;
    Fft fft;
    EXPECT_FALSE(fft.transform(data.data(), 0));
    EXPECT_FALSE(fft.transform(data.data(), 48000));
    EXPECT_FALSE(fft.transform(data.data(), 131072));
    EXPECT_TRUE(sameBits(data, before));
}

}  // namespace
}  // namespace tomaro
