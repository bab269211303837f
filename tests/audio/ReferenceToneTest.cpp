#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/ReferenceTone.h"

namespace tomaro {
namespace {

TEST(ReferenceTone, SoundsAtTheTargetAndDiesAwayLikeADrum) {
    std::vector<std::int16_t> samples(48000);
    makeReferenceTone(174.81, 48000.0, samples);
    // Rising zero crossings over the first half second count the cycles.
    int crossings = 0;
    for (int i = 1; i < 24000; ++i) crossings += samples[i - 1] < 0 && samples[i] >= 0;
    EXPECT_NEAR(crossings, 174.81 / 2, 1.0);
    auto peak = [&](int from, int to) {
        int high = 0;
        for (int i = from; i < to; ++i) high = std::max(high, std::abs(int(samples[i])));
        return high;
    };
    EXPECT_NEAR(peak(0, 2400), 16384 * std::exp(-0.005 / 0.35), 200);
    EXPECT_LT(peak(45600, 47000), peak(0, 2400) / 12);  // over 20 dB down after 0.95 s
    EXPECT_EQ(samples[0], 0);                           // no click at the start
    EXPECT_LT(std::abs(int(samples.back())), 20);       // nor at the end

    makeReferenceTone(0.0, 48000.0, samples);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](auto s) { return s == 0; }));
}

}  // namespace
}  // namespace tomaro
