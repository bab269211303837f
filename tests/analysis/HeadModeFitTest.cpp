#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "TestSignals.h"
#include "analysis/HeadModeFit.h"
#include "audio/StrikeRecord.h"

namespace tomaro {
namespace {

using testing::kTwoPi;

constexpr double kRateHz = 48000.0;
constexpr double kDegToRad = kTwoPi / 360.0;

double cents(double a, double b) { return 1200.0 * std::log2(a / b); }

// A head whose (1,1) pair is `splitCents` apart around `meanHz`, its upper member ringing most on
// the axis at `axisDeg`, with its 0.66x and 1.34x neighbours, tapped near each of `rods` rods.
struct HeadCase {
    double meanHz = 220.0;
    double splitCents = 0.0;
    double axisDeg = 0.0;
    int rods = 8;
    double floorDb = -30.0;  // the quieter member never lies further under the louder one
    bool neighbours = true;
    double noiseDb = -35.0;  // under the pair's amplitude
};

std::vector<std::int16_t> tapAt(const HeadCase& head, int rod, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, kTwoPi);
    std::uniform_real_distribution<double> gain(0.6, 1.4);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double theta = 360.0 * rod / head.rods - head.axisDeg;
    const double floor = std::pow(10.0, head.floorDb / 20.0);
    const double amplitude = 6000.0 * gain(random);
    const double c = std::cos(theta * kDegToRad), s = std::sin(theta * kDegToRad);
    const double loHz = head.meanHz * std::exp2(-head.splitCents / 2400.0);
    const double hiHz = head.meanHz * std::exp2(head.splitCents / 2400.0);
    struct Partial {
        double hz, amplitude, tauSec, phase;
    };
    std::vector<Partial> partials{{hiHz, amplitude * std::max(c * c, floor), 0.45, phase(random)},
                                  {loHz, amplitude * std::max(s * s, floor), 0.42, phase(random)}};
    if (head.splitCents == 0.0) partials = {{head.meanHz, amplitude, 0.45, phase(random)}};
    if (head.neighbours) {
        partials.push_back({0.66 * head.meanHz, 0.8 * amplitude, 0.2, phase(random)});
        partials.push_back({1.34 * head.meanHz, 1.2 * amplitude, 0.25, phase(random)});
    }
    const double noiseRms = 6000.0 * std::pow(10.0, head.noiseDb / 20.0);
    std::vector<std::int16_t> samples(static_cast<int>(kRateHz));
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double t = n / kRateHz;
        double value = noiseRms * noise(random);
        for (const Partial& p : partials) {
            value += p.amplitude * std::exp(-t / p.tauSec) * std::cos(kTwoPi * p.hz * t + p.phase);
        }
        if (t < 0.002) value += 15000.0 * std::exp(-t / 0.0004) * noise(random);
        samples[n] = testing::toSample(value);
    }
    return samples;
}

struct Fitted {
    HeadModes modes;
    double loHz = 0.0, hiHz = 0.0;
};

Fitted fitHeadCase(const HeadCase& head, unsigned seed, double bandCentreHz = 0.0) {
    const double centre = bandCentreHz > 0.0 ? bandCentreHz : head.meanHz;
    Fitted fitted;
    fitted.loHz = 0.88 * centre;
    fitted.hiHz = 1.12 * centre;
    ModePairFit decimator;
    std::vector<Baseband> basebands(head.rods);
    std::vector<const Baseband*> taps;
    for (int rod = 0; rod < head.rods; ++rod) {
        const auto samples = tapAt(head, rod, seed + 31 * rod);
        decimator.baseband(testing::sourceOf(samples), kRateHz, 0, static_cast<int>(samples.size()),
                           fitted.loHz, fitted.hiHz, basebands[rod]);
        taps.push_back(&basebands[rod]);
    }
    HeadModeFit fit;
    fitted.modes = fit.fit(taps, fitted.loHz, fitted.hiHz);
    return fitted;
}

TEST(HeadModeFit, IdenticalSingleTonesAreOneMember) {
    for (int rods : {4, 6, 8, 10}) {
        for (bool neighbours : {false, true}) {
            for (double bandCentre : {0.0, 0.93 * 250.0, 1.08 * 250.0}) {
                HeadCase head;
                head.meanHz = 250.0;
                head.rods = rods;
                head.neighbours = neighbours;
                SCOPED_TRACE(::testing::Message() << rods << " rods, neighbours " << neighbours
                                                  << ", band centre " << bandCentre);
                const Fitted fitted = fitHeadCase(head, 11 + rods, bandCentre);
                ASSERT_EQ(fitted.modes.count, 1);
                EXPECT_NEAR(cents(fitted.modes.lo.frequencyHz, 250.0), 0.0, 0.5);
                EXPECT_EQ(fitted.modes.tapsFitted, rods);
            }
        }
    }
}

TEST(HeadModeFit, PairsSplitFromThreeToHundredCentsWithMembersUpToThirtyDbApart) {
    unsigned seed = 100;
    double worst = 0.0;
    for (double split : {3.0, 5.0, 6.0, 10.0, 20.0, 50.0, 100.0}) {
        for (int rods : {6, 8, 10}) {
            for (double axis : {0.0, 22.0, 67.0}) {
                HeadCase head;
                head.splitCents = split;
                head.axisDeg = axis;
                head.rods = rods;
                head.meanHz = 180.0 + 7.0 * rods;
                SCOPED_TRACE(::testing::Message()
                             << split << " cents, " << rods << " rods, axis " << axis);
                const Fitted fitted = fitHeadCase(head, seed++);
                if (split < 6.0 && fitted.modes.belowResolution) continue;
                ASSERT_EQ(fitted.modes.count, 2);
                const double error = fitted.modes.splitCents() - split;
                EXPECT_NEAR(error, 0.0, 2.0);
                EXPECT_NEAR(cents(fitted.modes.meanHz(), head.meanHz), 0.0, 2.0);
                worst = std::max(worst, std::fabs(error));
            }
        }
    }
    std::printf("worst split error: %.2f cents\n", worst);
}

TEST(HeadModeFit, TapsWithoutNoiseAreReadAlike) {
    // Synthetic taps with nothing but rounding: the noise floor is what double precision leaves.
    HeadCase head;
    head.noiseDb = -300.0;
    head.rods = 8;
    const Fitted one = fitHeadCase(head, 3);
    ASSERT_EQ(one.modes.count, 1);
    head.splitCents = 20.0;
    head.axisDeg = 30.0;
    const Fitted pair = fitHeadCase(head, 4);
    ASSERT_EQ(pair.modes.count, 2);
    EXPECT_NEAR(pair.modes.splitCents(), 20.0, 0.5);
}

TEST(HeadModeFit, ToneAtTheBandsEdgeIsNoMember) {
    // One tap of a tone just inside the band's edge, where the skirt of a mode outside it lies.
    HeadCase head;
    head.meanHz = 300.0;
    head.rods = 4;
    head.neighbours = false;
    const Fitted fitted = fitHeadCase(head, 5, 300.0 / 1.115);
    EXPECT_EQ(fitted.modes.count, 0);
}

TEST(HeadModeFit, SilenceAndNoTapsGiveNothing) {
    HeadModeFit fit;
    EXPECT_EQ(fit.fit({}, 200.0, 250.0).count, 0);
    ModePairFit decimator;
    const std::vector<std::int16_t> silence(48000, 0);
    Baseband quiet;
    decimator.baseband(testing::sourceOf(silence), kRateHz, 0, 48000, 200.0, 250.0, quiet);
    const Baseband* taps[] = {&quiet, nullptr, &quiet};
    EXPECT_EQ(fit.fit(taps, 200.0, 250.0).count, 0);
    EXPECT_EQ(fit.fit(taps, 250.0, 200.0).count, 0);
}

}  // namespace
}  // namespace tomaro
