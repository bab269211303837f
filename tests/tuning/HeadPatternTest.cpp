#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "tuning/HeadPattern.h"

namespace tomaro {
namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

// The (1,1) pair of a head as the fit over all taps gives it: members `splitCents` apart around
// `meanHz`, each tap ringing the upper member as cos²(θ - axis) of its energy and the lower one as
// sin², as their shapes at a rod on the rim ask (the higher member's antinodes on the tight axis).
HeadModes pairOnRods(int rods, double meanHz, double splitCents, double axisDeg) {
    HeadModes modes;
    modes.count = 2;
    modes.lo.frequencyHz = meanHz * std::exp2(-splitCents / 2400.0);
    modes.hi.frequencyHz = meanHz * std::exp2(splitCents / 2400.0);
    modes.tapsFitted = rods;
    for (int i = 0; i < rods; ++i) {
        const double angle = (360.0 * i / rods - axisDeg) * kDegToRad;
        HeadModes::TapLevels& tap = modes.taps[i];
        tap.fitted = true;
        tap.hiAmplitude = 1000.0 * std::cos(angle) * std::cos(angle) + 1.0;
        tap.loAmplitude = 1000.0 * std::sin(angle) * std::sin(angle) + 1.0;
        tap.explained = 0.95;
    }
    return modes;
}

std::vector<RodObservation> rodsAt(int count, double hz) {
    std::vector<RodObservation> rods(count);
    for (int i = 0; i < count; ++i) {
        rods[i].angleDeg = 360.0 * i / count;
        rods[i].readingHz = hz;
    }
    return rods;
}

TEST(HeadPattern, TheMembersShapesAcrossTheRodsGiveTheTightAxisAndTheAdvice) {
    for (const int count : {6, 8, 10}) {
        for (const double axis : {0.0, 30.0, 75.0, 140.0}) {
            const HeadModes modes = pairOnRods(count, 200.0, 12.0, axis);
            const std::vector<RodObservation> rods = rodsAt(count, 200.0);
            const HeadFit fit = fitHead(rods, 0.0, &modes);
            ASSERT_TRUE(fit.splitResolved);
            EXPECT_NEAR(fit.splitCents, 12.0, 1e-6);
            ASSERT_TRUE(fit.axisKnown) << count << " rods, axis " << axis;
            const double off = std::remainder(fit.axisDeg - axis, 180.0);
            EXPECT_NEAR(off, 0.0, 3.0) << count << " rods, axis " << axis;
            // Rods near the tight axis are sharp (to be loosened), rods across it flat, by the
            // same pattern.
            for (int i = 0; i < count; ++i) {
                const double along = std::cos(2.0 * (rods[i].angleDeg - axis) * kDegToRad);
                if (std::abs(along) < 0.5) continue;
                EXPECT_GT(fit.deviationCents[i] * along, 0.0)
                    << count << " rods, axis " << axis << ", rod " << i + 1;
            }
        }
    }
}

TEST(HeadPattern, APairThatRingsAlikeAtEveryRodShowsNoAxisAndIsNotGuessed) {
    HeadModes modes = pairOnRods(8, 200.0, 12.0, 0.0);
    for (int i = 0; i < 8; ++i) {
        modes.taps[i].hiAmplitude = 500.0;
        modes.taps[i].loAmplitude = 500.0;
    }
    const HeadFit fit = fitHead(rodsAt(8, 200.0), 0.0, &modes);
    EXPECT_TRUE(fit.splitResolved);
    EXPECT_FALSE(fit.axisKnown);
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(fit.deviationCents[i], 0.0, 1e-9) << "rod " << i + 1;
}

TEST(HeadPattern, OneMemberIsAnEvenHeadAndTheMeanGoesToTheTarget) {
    HeadModes modes = pairOnRods(6, 200.0, 0.0, 0.0);
    modes.count = 1;
    modes.hi = modes.lo;
    const HeadFit fit = fitHead(rodsAt(6, 200.0), 200.0 * std::exp2(-10.0 / 1200.0), &modes);
    EXPECT_FALSE(fit.splitResolved);
    EXPECT_DOUBLE_EQ(fit.splitCents, 0.0);
    EXPECT_NEAR(fit.meanOffsetCents, 10.0, 1e-6);
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(fit.deviationCents[i], 10.0, 1e-6);
}

TEST(HeadPattern, APairTooCloseForTheFitShowsInTheSwingOfTheReadings) {
    // The fit over all taps finds one member; each rod's reading leans to the member its angle
    // favours, so the readings swing as cos 2θ by about half the split either way.
    HeadModes modes = pairOnRods(8, 200.0, 0.0, 0.0);
    modes.count = 1;
    modes.hi = modes.lo;
    modes.belowResolution = true;
    for (const double axis : {20.0, 115.0}) {
        std::vector<RodObservation> rods = rodsAt(8, 200.0);
        for (RodObservation& rod : rods) {
            rod.readingHz *=
                std::exp2(1.5 * std::cos(2.0 * (rod.angleDeg - axis) * kDegToRad) / 1200.0);
        }
        const HeadFit fit = fitHead(rods, 0.0, &modes);
        EXPECT_FALSE(fit.splitBelowResolution);
        EXPECT_TRUE(fit.splitFromReadings);
        EXPECT_NEAR(fit.splitCents, 3.0, 0.05);
        EXPECT_NEAR(std::remainder(fit.axisDeg - axis, 180.0), 0.0, 1.0);
        EXPECT_GT(fit.deviationCents[0] * std::cos(2.0 * axis * kDegToRad), 0.0);
    }
    // A swing under a cent, or one lost in readings that scatter with no cos 2θ in them: below
    // the resolution, and no pattern.
    for (const auto& [swing, scatter] : {std::pair{0.3, 0.0}, std::pair{0.8, 1.5}}) {
        std::vector<RodObservation> rods = rodsAt(8, 200.0);
        for (int i = 0; i < 8; ++i) {
            const double cents = swing * std::cos(2.0 * rods[i].angleDeg * kDegToRad) +
                                 scatter * std::cos(3.0 * rods[i].angleDeg * kDegToRad);
            rods[i].readingHz *= std::exp2(cents / 1200.0);
        }
        const HeadFit fit = fitHead(rods, 0.0, &modes);
        EXPECT_TRUE(fit.splitBelowResolution) << scatter;
        EXPECT_DOUBLE_EQ(fit.splitCents, 0.0);
        EXPECT_DOUBLE_EQ(fit.patternCents, 0.0);
    }
}

TEST(HeadPattern, ATwoOnePairTooCloseForTheFitShowsInTheSwingOfEachTapsOwnMember) {
    // 10 rods: the (1,1) pair even, the (2,1) members 2 cents apart, each tap's own (2,1) member
    // leaning to the one its angle favours (cos 4θ, tight towards 30° and every 90° on).
    HeadModes modes11 = pairOnRods(10, 200.0, 0.0, 0.0);
    modes11.count = 1;
    modes11.hi = modes11.lo;
    HeadModes modes21 = modes11;
    modes21.lo.frequencyHz = modes21.hi.frequencyHz = 280.0;
    modes21.belowResolution = true;
    std::vector<RodObservation> rods = rodsAt(10, 200.0);
    for (RodObservation& rod : rods) {
        rod.reading21Hz =
            280.0 * std::exp2(std::cos(4.0 * (rod.angleDeg - 30.0) * kDegToRad) / 1200.0);
    }
    const HeadFit fit = fitHead(rods, 0.0, &modes11, &modes21, AdviceGain{1.5, 0.0});
    ASSERT_TRUE(fit.hasPattern4);
    EXPECT_FALSE(fit.split21BelowResolution);
    EXPECT_NEAR(fit.split21Cents, 2.0, 0.05);
    EXPECT_NEAR(std::remainder(fit.axis4Deg - 30.0, 90.0), 0.0, 1.0);
    // The rods nearest the tight directions are sharp, by the learnt scale times the pattern.
    const double rod2 = std::cos(4.0 * (36.0 - 30.0) * kDegToRad);
    EXPECT_NEAR(fit.deviationCents[1], 1.5 * kPatternPerSplit21 * 2.0 * rod2, 0.1);
}

}  // namespace
}  // namespace tomaro
