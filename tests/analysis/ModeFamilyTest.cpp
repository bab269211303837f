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

TEST(ModeFamily, AHigherModeLouderThanTheOneOneOverSeveralModesIsNotTheFamily) {
    // A large head's taps: (1,2) at 2x rings loudest, (2,1), (0,2) and (3,1) lie between, and
    // the fundamental shows on one tap only.
    const std::vector<PeakList> taps{
        peaksOf({{257.6, 36}, {129.7, 35}, {198.5, 34}, {181.4, 34}, {314.2, 32}, {231.9, 31}}),
        peaksOf({{258.0, 33}, {129.9, 32}, {182.0, 31}, {198.5, 31}, {387.4, 30}, {231.9, 30}}),
        peaksOf({{257.4, 34}, {129.6, 33}, {182.0, 32}, {198.5, 32}, {386.4, 31}, {87.4, 26}})};
    EXPECT_NEAR(pairFamilyHz(taps), 129.7, 0.5);
    EXPECT_NEAR(pairFamilyHz(std::span(taps.data(), 1)), 129.7, 0.5);
}

TEST(ModeFamily, TheTwoOneModeIsTheLowestPeakAboveTheOneOneThatMostTapsShow) {
    // (2,1) at 1.40x and (0,2) at 1.53x (a head moving much air), then the ideal membrane's 1.34x
    // and 1.44x.
    const std::vector<PeakList> airy{peaksOf({{100.0, 40}, {153.0, 38}, {140.0, 30}}),
                                     peaksOf({{100.2, 40}, {140.4, 33}, {153.1, 35}}),
                                     peaksOf({{99.8, 40}, {153.2, 36}})};
    EXPECT_NEAR(pair21Hz(airy, 100.0), 140.2, 1e-9);
    const std::vector<PeakList> ideal{peaksOf({{100.0, 40}, {144.0, 38}, {134.0, 30}}),
                                      peaksOf({{100.0, 40}, {134.2, 38}})};
    EXPECT_NEAR(pair21Hz(ideal, 100.0), 134.1, 1e-9);
    // Fewer than half of the taps show one: no (2,1) from the peaks.
    const std::vector<PeakList> faint{peaksOf({{100.0, 40}, {140.0, 30}}), peaksOf({{100.0, 40}}),
                                      peaksOf({{100.0, 40}})};
    EXPECT_EQ(pair21Hz(faint, 100.0), 0.0);
}

TEST(ModeFamily, ACentreStrikesFundamentalIsTheLowestStrongPeak) {
    // (0,3) as loud as (0,1), (0,2) louder: the series starts at its lowest strong member.
    EXPECT_NEAR(centreFundamentalHz(peaksOf({{200.0, 52}, {325.9, 50}, {87.8, 49}, {40.0, 20}})),
                87.8, 1e-9);
    EXPECT_EQ(centreFundamentalHz(PeakList{}), 0.0);
}

}  // namespace
}  // namespace tomaro
