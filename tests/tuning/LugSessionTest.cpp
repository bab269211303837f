#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "settings/MemoryProfile.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "tuning/LugSession.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

TEST(LugOrder, EveryOrderVisitsEveryRodOnceFromRodOneForFourToSixteenRods) {
    for (int count = lugs::kMinCount; count <= lugs::kMaxCount; ++count) {
        for (LugOrder order : {LugOrder::Star, LugOrder::Clockwise}) {
            std::vector<int> rods = lugs::tappingOrder(count, order);
            ASSERT_EQ(static_cast<int>(rods.size()), count);
            EXPECT_EQ(rods.front(), 1);
            if (order == LugOrder::Star) {
                for (std::size_t step = 1; step < rods.size() && count % 2 == 0; step += 2) {
                    EXPECT_EQ(rods[step], lugs::opposite(rods[step - 1], count))
                        << count << " rods, step " << step;
                }
            } else {
                std::vector<int> clockwise(count);
                std::iota(clockwise.begin(), clockwise.end(), 1);
                EXPECT_EQ(rods, clockwise);
            }
            std::sort(rods.begin(), rods.end());
            EXPECT_EQ(std::adjacent_find(rods.begin(), rods.end()), rods.end());
            EXPECT_EQ(rods.back(), count);
        }
    }
    // The criss-cross: after each pair, the rod farthest from every rod tapped so far.
    EXPECT_EQ(lugs::tappingOrder(8, LugOrder::Star), (std::vector<int>{1, 5, 3, 7, 2, 6, 4, 8}));
    EXPECT_EQ(lugs::tappingOrder(6, LugOrder::Star), (std::vector<int>{1, 4, 2, 5, 3, 6}));
    EXPECT_EQ(lugs::tappingOrder(10, LugOrder::Star),
              (std::vector<int>{1, 6, 3, 8, 2, 7, 4, 9, 5, 10}));
    // Odd counts: the opposite rod is half the rods (rounded down) further clockwise.
    EXPECT_EQ(lugs::tappingOrder(5, LugOrder::Star), (std::vector<int>{1, 3, 2, 4, 5}));
    EXPECT_EQ(lugs::opposite(9, 9), 4);
}

TEST(LugOrder, DefaultRodCountsFollowTheDrumType) {
    EXPECT_EQ(lugs::defaultCount(4), 6);   // 8"
    EXPECT_EQ(lugs::defaultCount(9), 6);   // 13"
    EXPECT_EQ(lugs::defaultCount(10), 8);  // 14"
    EXPECT_EQ(lugs::defaultCount(14), 8);  // 18"
    EXPECT_EQ(lugs::defaultCount(0), 8);   // snare
    EXPECT_EQ(lugs::defaultCount(19), 10);
}

TEST(LugSession, SelectionFollowsTheOrderAndAClickedRodIsMeasuredAgain) {
    LugSession session;
    session.reset(8, LugOrder::Star);
    EXPECT_EQ(session.selected(), 1);
    EXPECT_TRUE(session.record(200.0));
    EXPECT_EQ(session.selected(), 5);
    EXPECT_FALSE(session.record(std::nan("")));
    session.select(2);
    session.record(210.0);
    EXPECT_EQ(session.readingHz(2), 210.0);
    EXPECT_EQ(session.selected(), 6);
    EXPECT_EQ(session.measuredCount(), 2);
}

TEST(LugSession, BandIsAroundTheTargetElseLockedToTheFirstReading) {
    LugSession session;
    session.reset(6, LugOrder::Clockwise);
    EXPECT_FALSE(session.bandLocked());
    EXPECT_EQ(session.band().loHz, LugSession::kDefaultSearchF0Hz);
    EXPECT_EQ(session.band().hiHz, LugSession::kDefaultSearchF1Hz);
    session.record(250.0);
    session.record(270.0);
    // Locked to the first reading, not the mean nor the last.
    EXPECT_DOUBLE_EQ(session.band().loHz, 220.0);
    EXPECT_DOUBLE_EQ(session.band().hiHz, 280.0);
    // A reading outside the band is none, whatever rod it was for.
    EXPECT_FALSE(session.record(300.0));
    EXPECT_EQ(session.measuredCount(), 2);
    session.setTargetHz(180.0);
    EXPECT_DOUBLE_EQ(session.band().loHz, 158.4);
    EXPECT_DOUBLE_EQ(session.band().hiHz, 201.6);
    // A centre strike places the band only for a head without a target.
    session.setCentreHz(110.0);
    EXPECT_EQ(session.bandSource(), LugBandSource::Target);
    session.setTargetHz(0.0);
    EXPECT_EQ(session.bandSource(), LugBandSource::Centre);
    EXPECT_TRUE(session.band().contains(110.0 * 1.45));
    EXPECT_TRUE(session.band().contains(110.0 * 1.60));
    EXPECT_FALSE(session.band().contains(110.0));                 // (0,1)
    EXPECT_FALSE(session.band().contains(110.0 * 1.525 * 1.34));  // (2,1)
    session.setCentreHz(0.0);
    session.reset(6, LugOrder::Clockwise);
    session.setTargetHz(0.0);
    EXPECT_FALSE(session.bandLocked());
}

TEST(LugSession, AdviceFollowsTheHeadsPatternAndOneToleranceJudgesRodsAndHead) {
    // Readings that rise and fall as cos 2θ (8 rods, tight across rods 3 and 7), 12 cents.
    LugSession session;
    session.reset(8, LugOrder::Clockwise);
    session.setToleranceCents(5.0);
    EXPECT_EQ(session.referenceHz(), 0.0);
    const double mean = 200.0;
    for (int lug = 1; lug <= 8; ++lug) {
        const double angle = lugs::angleDeg(lug, 8) * M_PI / 180.0;
        session.record(mean * std::exp2(-12.0 * std::cos(2.0 * angle) / 1200.0));
    }
    EXPECT_NEAR(session.referenceHz(), mean, 0.01);
    EXPECT_NEAR(session.head().axisDeg, 90.0, 1.0);
    // Each rod reads the member it rings: the members lie 24 cents apart, and turning the rods
    // by the pattern that splits them so evens the head.
    EXPECT_NEAR(session.splitCents(), 24.0, 0.1);
    const double pattern = kPatternPerSplit11 * 24.0;
    EXPECT_NEAR(session.deviationCents(1), -pattern, 0.1);
    EXPECT_EQ(session.action(1), LugAction::Tighten);
    EXPECT_EQ(session.action(5), LugAction::Tighten);
    EXPECT_EQ(session.action(3), LugAction::Loosen);
    EXPECT_FALSE(session.even());

    // With a target, every rod also carries the head's mean against it.
    session.setTargetHz(mean * std::exp2(40.0 / 1200));
    EXPECT_TRUE(session.referenceIsTarget());
    EXPECT_NEAR(session.deviationCents(3), pattern - 40.0, 0.1);
    EXPECT_EQ(session.action(3), LugAction::Tighten);
    EXPECT_EQ(session.action(1), LugAction::Tighten);

    // The tolerance bound itself is within it.
    EXPECT_EQ(adviceFor(-5.0, 5.0), TuneAdvice::Ok);
    EXPECT_EQ(adviceFor(5.01, 5.0), TuneAdvice::Loosen);

    // A split over half the tolerance while every rod's deviation lies within it: the rods
    // carrying the pattern are still advised, so the head is never "not even" with every rod
    // "ok"; under half the tolerance the head is even.
    for (const double swing : {3.5, 1.5, 1.0}) {
        LugSession slight;
        slight.reset(6, LugOrder::Clockwise);
        slight.setToleranceCents(5.0);
        for (int lug = 1; lug <= 6; ++lug) {
            const double angle = (lugs::angleDeg(lug, 6) - 30.0) * M_PI / 180.0;
            slight.record(300.0 * std::exp2(swing * std::cos(2.0 * angle) / 1200.0));
        }
        EXPECT_NEAR(slight.splitCents(), 2.0 * swing, 0.05);
        bool advised = false;
        for (int lug = 1; lug <= 6; ++lug) advised = advised || slight.action(lug) != LugAction::Ok;
        EXPECT_EQ(advised, swing > 1.25) << swing;
        EXPECT_EQ(slight.even(), swing < 1.25) << swing;
    }

    LugSession level;
    level.reset(4, LugOrder::Star);
    for (double cents : {0.0, 2.0, -2.0, 1.0}) level.record(300.0 * std::exp2(cents / 1200));
    EXPECT_NEAR(level.spreadCents(), 4.0, 1e-9);
    EXPECT_TRUE(level.even());
    for (int lug = 1; lug <= 4; ++lug) EXPECT_EQ(level.action(lug), LugAction::Ok);
}

TEST(LugSession, ARodTenPerCentFromTheOthersRangAnotherModeAndIsNotTaken) {
    LugSession session;
    session.reset(6, LugOrder::Clockwise);
    session.setTargetHz(200.0);
    EXPECT_TRUE(session.record(198.0));
    EXPECT_TRUE(session.record(201.0));
    LugTap tap;
    tap.readingHz = 222.0;  // inside the band, 11 % above the others
    EXPECT_EQ(session.record(tap), LugTapResult::OtherFamily);
    EXPECT_EQ(session.selected(), 3);
    EXPECT_EQ(session.readingHz(3), 0.0);
}

// A tap whose spectrum shows peaks at `hz`, read at `readingHz`.
LugTap tapWithPeaks(double readingHz, std::initializer_list<double> hz) {
    LugTap tap;
    tap.readingHz = readingHz;
    for (double peak : hz) tap.peaks.peaks[tap.peaks.count++] = {peak, -20.0};
    return tap;
}

TEST(LugSession, LaterTapsThatShowTheFirstWasAnotherModeMoveTheBandAndReadTheRodsAgain) {
    LugSession session;
    session.reset(6, LugOrder::Clockwise);
    // Rod 1 rings the (2,1) mode of a head whose (1,1) lies at 200 Hz, and nothing else.
    ASSERT_EQ(session.record(tapWithPeaks(268.0, {268.0})), LugTapResult::Taken);
    EXPECT_TRUE(session.band().contains(268.0));
    // Rod 2 shows the whole family: (1,1) with (0,1), (2,1) and (0,2) where they belong.
    ASSERT_EQ(session.record(tapWithPeaks(268.0, {268.0, 200.0, 132.0, 288.0})),
              LugTapResult::Taken);
    EXPECT_TRUE(session.band().contains(200.0));
    EXPECT_FALSE(session.band().contains(268.0));
    EXPECT_DOUBLE_EQ(session.readingHz(2), 200.0);
    EXPECT_EQ(session.readingHz(1), 0.0);  // nothing of rod 1's tap lies in the family: again
}

TEST(TunerLugs, ATargetOutsideTheSearchRangeAndARangeAboveTheFilesRateAreRefused) {
    MemoryProfile profile;
    profile.writeInt("CDlgBaraSelect", "Bara_8", 1);                  // a 12" tom
    profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 100);  // 0.1 x its note
    Tuner tuner(profile);
    tuner.setTunedDrum(0);
    tuner.setLugMode(true);
    EXPECT_EQ(tuner.lugProblem(), Tuner::LugProblem::TargetOutsideSearch);
    EXPECT_NEAR(tuner.lugKitTargetHz(), 11.65, 0.01);
    EXPECT_EQ(tuner.lugs().targetHz(), 0.0);

    // The stored range reaches 2000 Hz; a file sampled at 3 kHz holds nothing above 1500 Hz.
    profile.writeInt("Lugs", "SearchF1", 2000);
    tuner.setLugHead(DrumHead::Resonant);
    test::WavBuilder wav;
    wav.sampleRateHz = 3000;
    for (int i = 0; i < 3000; ++i) {
        wav.samples.push_back(static_cast<std::int16_t>(
            std::lround(9000 * std::exp(-i / 1200.0) * std::sin(2 * M_PI * 200.0 * i / 3000.0))));
    }
    const std::string path = test::runFolder().file("tomaro_lug_slow.wav");
    test::writeFile(path, wav.bytes());
    ASSERT_TRUE(tuner.loadFile(path).ok);
    tuner.paintStep();
    EXPECT_EQ(tuner.lugProblem(), Tuner::LugProblem::SearchBeyondRate);
    EXPECT_EQ(tuner.lugs().measuredCount(), 0);
}

TEST(LugSession, StoredReadingsComeBackAndBadTextIsRefused) {
    LugSession session;
    session.reset(5, LugOrder::Star);
    session.record(201.5);
    session.setReading(4, 198.25);
    LugSession restored;
    ASSERT_TRUE(restored.restoreReadings(session.readingsText()));
    EXPECT_EQ(restored.count(), 5);
    EXPECT_DOUBLE_EQ(restored.readingHz(1), 201.5);
    EXPECT_DOUBLE_EQ(restored.readingHz(4), 198.25);
    EXPECT_EQ(restored.readingHz(2), 0.0);
    EXPECT_FALSE(restored.restoreReadings("1;2;3"));
    EXPECT_FALSE(restored.restoreReadings("1;x;3;4"));
    EXPECT_EQ(restored.count(), 5);
    EXPECT_EQ(session.csv().substr(0, session.csv().find('\n')),
              "lug,angle_deg,frequency_hz,cents,action,deviation_cents,pair_lo_hz,pair_hi_hz,"
              "split_cents");
}

TEST(LugSession, CsvDeviationIsSignedAsEveryFigureSharpPositive) {
    LugSession session;
    session.reset(4, LugOrder::Clockwise);
    session.setTargetHz(200.0);
    session.setReading(1, 190.0);  // flat: to be tightened
    ASSERT_EQ(session.action(1), LugAction::Tighten);
    ASSERT_LT(session.deviationCents(1), -5.0);
    const std::string csv = session.csv();
    const std::string rod1 = csv.substr(csv.find('\n') + 1, csv.find('\n', csv.find('\n') + 1));
    // cents (the reading against the target) and deviation_cents both negative: flat.
    EXPECT_EQ(rod1.rfind("1,0.0,190.00,-88.8,tighten,-88.8,", 0), 0u) << rod1;
}

// A rod tap of one second at 48 kHz: two decaying modes, `strongHz` the louder.
std::string writeTap(const std::string& name, double weakHz, double strongHz) {
    test::WavBuilder wav;
    for (int i = 0; i < 42000; ++i) {
        const double t = i / 48000.0;
        const double value = std::exp(-t / 0.4) * (5000 * std::sin(2 * M_PI * weakHz * t) +
                                                   9000 * std::sin(2 * M_PI * strongHz * t));
        wav.samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    const std::string path = test::runFolder().file(name);
    test::writeFile(path, wav.bytes());
    return path;
}

TEST(TunerLugs, BandLockReadsTheLockedModeWhenAnotherModeIsStrongest) {
    MemoryProfile profile;
    Tuner tuner(profile);
    tuner.setLugMode(true);
    tuner.setLugCount(8);
    // The first rod: searched over 60..1200 Hz; nothing tells the two modes' families apart,
    // so the lower is taken (200 Hz).
    ASSERT_TRUE(tuner.loadFile(writeTap("tomaro_lug_first.wav", 500.0, 200.0)).ok);
    tuner.paintStep();
    EXPECT_NEAR(tuner.lugs().readingHz(1), 200.0, 0.5);
    EXPECT_EQ(tuner.lugs().selected(), 5);
    // The next tap rings louder at 430 Hz, another mode (205 Hz lies too far below it to be its
    // fundamental): the lock still reads 205 Hz.
    ASSERT_TRUE(tuner.loadFile(writeTap("tomaro_lug_other.wav", 205.0, 430.0)).ok);
    tuner.paintStep();
    EXPECT_NEAR(tuner.mainFrequencyHz(), 430.0, 0.5);
    EXPECT_NEAR(tuner.lugs().readingHz(5), 205.0, 0.5);
    EXPECT_TRUE(tuner.lugBand().contains(205.0));
    // Analysing the same strike again (a setting changed) does not give it to a second rod.
    tuner.requestAnalysis();
    tuner.paintStep();
    EXPECT_EQ(tuner.lugs().measuredCount(), 2);
    // The head is kept for the next session.
    Tuner again(profile);
    EXPECT_NEAR(again.lugs().readingHz(5), 205.0, 0.5);
}

TEST(TuningReading, ChosenDrumIsMeasuredAgainstItsOwnReferencesNotTheNearest) {
    Kit kit;
    // 12" at note -14 (116.5 Hz) with a batter overtone of 1.5; 16" at -19 (87.3 Hz).
    kit.assign({KitDrum{8, -14, true, 1.5, 0.0}, KitDrum{12, -19, true, 0.0, 0.0}});
    ReferenceSwitches switches;
    switches.fundamental = true;
    const double measuredHz = 90.0;
    const TuningReading nearest = tuningReading(measuredHz, kit, switches, -1, 5.0);
    EXPECT_EQ(nearest.drum, 1);
    EXPECT_NEAR(nearest.cents, 1200 * std::log2(90.0 / kit.noteFrequencyHz(1)), 1e-9);
    EXPECT_EQ(nearest.advice, TuneAdvice::Loosen);
    // Tuning the 12": its fundamental, whatever drum lies nearer; the overtone counts though its
    // switch is off.
    const TuningReading tuned = tuningReading(measuredHz, kit, switches, 0, 5.0);
    EXPECT_EQ(tuned.drum, 0);
    EXPECT_EQ(tuned.kind, kFundamental);
    EXPECT_EQ(tuned.advice, TuneAdvice::Tighten);
    const TuningReading overtone =
        tuningReading(kit.referenceHz(0, 1) * 1.001, kit, switches, 0, 5.0);
    EXPECT_EQ(overtone.kind, kBatterOvertone);
    EXPECT_EQ(overtone.advice, TuneAdvice::Ok);
    EXPECT_FALSE(tuningReading(2000.0, kit, switches, 0, 5.0).valid);
}

}  // namespace
}  // namespace tomaro
