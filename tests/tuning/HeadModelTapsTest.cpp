// Lug mode on taps of a physical head model (fixtures/README.md): the pair, its axis and the
// advice come out of sound that lug mode's own assumptions did not make.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "settings/MemoryProfile.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

struct ModelHead {
    std::string folder;
    std::vector<double> tensions;  // N/m, rod 1..N
    double split11Cents;
};

// The tight axis of the rods' cos 2θ pattern, degrees clockwise from rod 1, [0, 180).
double tightAxisDeg(const std::vector<double>& tensions) {
    std::complex<double> sum;
    const int n = static_cast<int>(tensions.size());
    for (int k = 0; k < n; ++k) {
        sum += tensions[k] * std::polar(1.0, -2.0 * 2.0 * std::numbers::pi * k / n);
    }
    const double axis = -std::arg(sum) / 2.0 * 180.0 / std::numbers::pi;
    return std::fmod(axis + 180.0, 180.0);
}

TEST(HeadModelTaps, OnePassReadsThePairItsAxisAndAdvisesTheTightRodsToLoosen) {
    const std::vector<ModelHead> heads{
        {"head12-6", {657.3, 702.1, 684.7, 645.9, 672.9, 676.5}, 30.0},
        {"head16-8", {748.2, 711.2, 701.9, 724.1, 711.0, 757.5, 739.0, 699.8}, 16.2}};
    for (const ModelHead& model : heads) {
        SCOPED_TRACE(model.folder);
        const std::string dir = std::string(TOMARO_FIXTURES_DIR) + "/" + model.folder + "/";
        const int rods = static_cast<int>(model.tensions.size());
        MemoryProfile profile;
        Tuner tuner(profile);
        tuner.setLugMode(true);
        tuner.setLugOrder(LugOrder::Clockwise);
        tuner.setLugCount(rods);
        tuner.lugTuning().requestCentreStrike();
        ASSERT_TRUE(tuner.loadFile(dir + "centre.wav").ok);
        tuner.paintStep();
        for (int lug = 1; lug <= rods; ++lug) {
            tuner.selectLug(lug);
            ASSERT_TRUE(tuner.loadFile(dir + "rod" + std::to_string(lug) + ".wav").ok);
            tuner.paintStep();
        }
        const LugSession& lugs = tuner.lugs();
        ASSERT_EQ(lugs.measuredCount(), rods);
        const HeadFit& head = lugs.head();
        ASSERT_TRUE(head.splitResolved);
        EXPECT_NEAR(head.splitCents, model.split11Cents, 2.0);
        ASSERT_TRUE(head.axisKnown);
        double error = std::fmod(std::abs(head.axisDeg - tightAxisDeg(model.tensions)), 180.0);
        EXPECT_LT(std::min(error, 180.0 - error), 10.0) << head.axisDeg;
        EXPECT_FALSE(lugs.even());
        // Every reading inside the band, and the rods nearest the tight axis to be loosened.
        for (int lug = 1; lug <= rods; ++lug) {
            EXPECT_TRUE(lugs.band().contains(lugs.readingHz(lug))) << lug;
            double off = std::fmod(std::abs(lugs::angleDeg(lug, rods) - head.axisDeg), 180.0);
            off = std::min(off, 180.0 - off);
            if (off < 30.0) {
                EXPECT_EQ(lugs.action(lug), LugAction::Loosen) << lug;
            } else if (off > 60.0) {
                EXPECT_EQ(lugs.action(lug), LugAction::Tighten) << lug;
            }
        }
    }
}

TEST(HeadModelTaps, AnEvenHeadTunedFarFromTheUsualReadsEvenOnItsOneOneFromTapsOrCentre) {
    // The air a head pumps moves its fundamental against its (1,1): 0.78x on the 12" tuned low,
    // 0.63x on the 10" tuned high, where (1,1) itself lies 0.72x below (2,1).
    struct EvenHead {
        std::string folder;
        int rods;
        double oneOneHz;
        bool centre;
    };
    for (const EvenHead& model :
         {EvenHead{"even12-6-low", 6, 123.6, true}, EvenHead{"even10-6-high", 6, 330.0, false}}) {
        for (bool centre : {false, model.centre}) {
            SCOPED_TRACE(model.folder + (centre ? " with the centre" : ""));
            const std::string dir = std::string(TOMARO_FIXTURES_DIR) + "/" + model.folder + "/";
            MemoryProfile profile;
            Tuner tuner(profile);
            tuner.setLugMode(true);
            tuner.setLugOrder(LugOrder::Clockwise);
            tuner.setLugCount(model.rods);
            if (centre) {
                tuner.lugTuning().requestCentreStrike();
                ASSERT_TRUE(tuner.loadFile(dir + "centre.wav").ok);
                tuner.paintStep();
            }
            for (int lug = 1; lug <= model.rods; ++lug) {
                tuner.selectLug(lug);
                ASSERT_TRUE(tuner.loadFile(dir + "rod" + std::to_string(lug) + ".wav").ok);
                tuner.paintStep();
            }
            const LugSession& lugs = tuner.lugs();
            ASSERT_EQ(lugs.measuredCount(), model.rods);
            EXPECT_TRUE(lugs.band().contains(model.oneOneHz));
            EXPECT_TRUE(lugs.even());
            for (int lug = 1; lug <= model.rods; ++lug) {
                EXPECT_NEAR(lugs.readingHz(lug), model.oneOneHz, 0.02 * model.oneOneHz) << lug;
                EXPECT_EQ(lugs.action(lug), LugAction::Ok) << lug;
            }
        }
    }
}

}  // namespace
}  // namespace tomaro
