// The Tuner's readings in the tuning history, and a snapshot recalled as the target.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "history/HistoryStore.h"
#include "settings/MemoryProfile.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

std::string historyFile(const std::string& name) {
    const std::string path = test::runFolder().file("tomaro_tuner_" + name + ".sqlite");
    std::filesystem::remove(path);
    return path;
}

std::string writeTone(double frequencyHz) {
    test::WavBuilder wav;
    for (int i = 0; i < 42000; ++i) {
        const double t = i / 48000.0;
        wav.samples.push_back(static_cast<std::int16_t>(
            std::lround(12000 * std::exp(-t / 0.4) * std::sin(2 * M_PI * frequencyHz * t))));
    }
    const std::string path = test::runFolder().file("tomaro_history_tone.wav");
    test::writeFile(path, wav.bytes());
    return path;
}

void strikeFile(Tuner& tuner, double frequencyHz) {
    ASSERT_TRUE(tuner.loadFile(writeTone(frequencyHz)).ok);
    ASSERT_TRUE(tuner.paintStep().analysed);
}

TEST(TunerHistory, ALiveStrikeIsStoredOnceWithTheDrumBeingTuned) {
    MemoryProfile profile;
    history::HistoryStore store(historyFile("live"));  // outlives the Tuner it is lent to
    Tuner tuner(profile);
    tuner.setHistory(store);
    tuner.setTunedDrum(1);

    // 0.2 s of quiet, then a struck 131 Hz tone: read early, then again when complete.
    std::vector<std::int16_t> stream(2 * 96000);
    for (int i = 9600; i < 96000; ++i) {
        const double t = (i - 9600) / 48000.0;
        stream[2 * i] = stream[2 * i + 1] = static_cast<std::int16_t>(
            std::lround(14000 * std::exp(-t / 0.35) * std::sin(2 * M_PI * 131.0 * t)));
    }
    tuner.recorder().deviceOpened();
    bool early = false, complete = false;
    for (int frame = 0; frame + 1200 <= 96000 && !complete; frame += 1200) {
        tuner.recorder().bufferDone(&stream[2 * static_cast<std::size_t>(frame)], 1200);
        const PaintStep step = tuner.paintStep();
        early = early || step.early;
        complete = step.analysed && !step.early;
    }
    ASSERT_TRUE(early && complete);
    // Moving the stretch analyses the same strike again: still one reading.
    tuner.stretch().spinDelay(1);
    tuner.requestAnalysis();
    ASSERT_TRUE(tuner.paintStep().analysed);

    const auto readings = store.readings({});
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].drum, tuner.kit().drumName(1));
    EXPECT_EQ(readings[0].struck, history::Struck::Drum);
    EXPECT_NEAR(readings[0].frequencyHz, 131.0, 0.2);
    EXPECT_EQ(readings[0].verdict, "good");
    EXPECT_DOUBLE_EQ(readings[0].targetHz, tuner.tuningReading().targetHz);
    EXPECT_EQ(readings[0].toleranceCents, 5.0);
    EXPECT_FALSE(readings[0].fromFile);
}

TEST(TunerHistory, LugTapsAreStoredAsTheRodsTheyWentTo) {
    MemoryProfile profile;
    history::HistoryStore store(historyFile("lugs"));  // outlives the Tuner it is lent to
    Tuner tuner(profile);
    tuner.setHistory(store);
    tuner.setTunedDrum(0);
    tuner.setLugMode(true);
    tuner.setLugCount(4);
    tuner.setLugOrder(LugOrder::Clockwise);
    const double target = tuner.lugs().targetHz() > 0.0 ? tuner.lugs().targetHz() : 200.0;
    strikeFile(tuner, target);
    strikeFile(tuner, target * 1.01);

    // Taps from files are marked so, and count for a head only when chosen.
    EXPECT_TRUE(store.readings({}).front().fromFile);
    EXPECT_FALSE(store.lastLugPass(tuner.kit().drumName(0), history::Struck::Batter));
    const auto pass = store.lastLugPass(tuner.kit().drumName(0), history::Struck::Batter, true);
    ASSERT_TRUE(pass.has_value());
    EXPECT_EQ(pass->lugCount, 4);
    EXPECT_NEAR(pass->rodHz[0], target, 0.5);
    EXPECT_NEAR(pass->rodHz[1], target * 1.01, 0.5);
    EXPECT_EQ(pass->rodHz[2], 0.0);
    // A tap is not also stored as a strike of the drum.
    EXPECT_TRUE(store.lastGoodStrikes(true).empty());
}

}  // namespace
}  // namespace tomaro
