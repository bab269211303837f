#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "analysis/ModeFamily.h"

namespace tomaro {
namespace {

PeakList peaksOf(std::initializer_list<std::pair<double, double>> peaks) {
    PeakList list;
    for (const auto& [hz, db] : peaks) list.peaks[list.count++] = {hz, db};
    return list;
}

TEST(ModeFamily, TheOneOneFamilyWinsOverItsPartnersSidelobesAndToneBelow) {
    // A tap's peaks with the window's sidelobes around the strong ones: the family is 250 Hz,
    // rung with its 0.66x and 1.34x partners.
    const std::vector<PeakList> taps{peaksOf({{250.0, 50},
                                              {335.0, 45},
                                              {165.0, 41},
                                              {257.8, 24},
                                              {242.3, 23},
                                              {345.4, 17},
                                              {324.7, 17},
                                              {266.3, 16},
                                              {233.8, 15},
                                              {274.7, 12}}),
                                     peaksOf({{250.0, 50},
                                              {335.0, 45},
                                              {165.0, 41},
                                              {242.3, 24},
                                              {257.8, 23},
                                              {345.4, 19},
                                              {233.7, 16},
                                              {324.7, 16},
                                              {266.3, 15},
                                              {356.5, 13}})};
    EXPECT_NEAR(pairFamilyHz(taps), 250.0, 0.5);
    EXPECT_NEAR(pairFamilyHz(std::span(taps.data(), 1)), 250.0, 0.5);
    // A weaker tone at 0.66x or 0.5x with no partners of its own is not the family.
    for (double below : {132.0, 100.0}) {
        const std::vector<PeakList> two{peaksOf({{200.0, 49}, {below, 41}, {207.8, 22}}),
                                        peaksOf({{200.0, 49}, {below, 41}, {192.2, 22}})};
        EXPECT_NEAR(pairFamilyHz(two), 200.0, 0.5) << below;
    }
    EXPECT_EQ(pairFamilyHz({}), 0.0);
}

TEST(ModeFamily, ACentreStrikesFundamentalIsTheLowestStrongPeak) {
    // (0,3) as loud as (0,1), (0,2) louder: the series starts at its lowest strong member.
    EXPECT_NEAR(centreFundamentalHz(peaksOf({{200.0, 52}, {325.9, 50}, {87.8, 49}, {40.0, 20}})),
                87.8, 1e-9);
    EXPECT_EQ(centreFundamentalHz(PeakList{}), 0.0);
}

}  // namespace
}  // namespace tomaro
