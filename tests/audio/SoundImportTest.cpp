#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "audio/SoundImport.h"
#include "audio/StrikeRecorder.h"
#include "support/MessageText.h"

namespace tomaro {
namespace {

// A mono sound of `frames` samples 1, 2, 3, ... (wrapping below 30000).
ImportedSound rampSound(std::int64_t frames, std::int64_t rateHz = 48000) {
    ImportedSound sound;
    sound.sampleRateHz = rateHz;
    sound.channels = 1;
    sound.samples.resize(static_cast<std::size_t>(frames));
    for (std::int64_t i = 0; i < frames; ++i) {
        sound.samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 30000 + 1);
    }
    return sound;
}

class SoundLoad : public ::testing::Test {
protected:
    StrikeRecord m_Record;
    StrikeRecorder m_Recorder{m_Record};
};

TEST(SoundConversion, RoundsToNearestHalvesAwayFromZeroAndCountsOnlyClippedSamples) {
    std::int64_t clipped = 0;
    const double lsb = 1.0 / 32768.0;
    EXPECT_EQ(toSample16(0.0, clipped), 0);
    EXPECT_EQ(toSample16(0.49 * lsb, clipped), 0);
    EXPECT_EQ(toSample16(0.5 * lsb, clipped), 1);
    EXPECT_EQ(toSample16(-0.5 * lsb, clipped), -1);
    EXPECT_EQ(toSample16(1234.6 * lsb, clipped), 1235);
    EXPECT_EQ(toSample16(32767 * lsb, clipped), 32767);
    EXPECT_EQ(toSample16(-1.0, clipped), -32768);  // negative full scale fits
    EXPECT_EQ(toSample16(std::nan(""), clipped), 0);
    EXPECT_EQ(clipped, 0);

    EXPECT_EQ(toSample16(32767.5 * lsb, clipped), 32767);  // rounds to 32768: held
    EXPECT_EQ(toSample16(1.0, clipped), 32767);
    EXPECT_EQ(toSample16(-1.5, clipped), -32768);
    EXPECT_EQ(toSample16(std::numeric_limits<double>::infinity(), clipped), 32767);
    EXPECT_EQ(toSample16(-std::numeric_limits<double>::infinity(), clipped), -32768);
    EXPECT_EQ(clipped, 5);
}

TEST(SoundConversion, OnlyTheFirstChannelOfEachFrameIsKept) {
    ImportedSound sound;
    sound.channels = 3;
    const double lsb = 1.0 / 32768.0;
    const std::vector<double> frames = {1 * lsb, 9.0, 9.0, 2 * lsb, -9.0, 9.0, 1.25, 0.0, 0.0};
    sound.appendFirstChannel(frames.data(), 2);
    sound.appendFirstChannel(frames.data() + 6, 1);
    EXPECT_EQ(sound.samples, (std::vector<std::int16_t>{1, 2, 32767}));
    EXPECT_EQ(sound.clippedSamples, 1);  // the other channels' overloads are not counted
}

TEST_F(SoundLoad, ShortSoundIsCopiedAfterTheLeadInAsAWavFileIs) {
    m_Record.buffer.fill(99);
    WavLoadResult result = loadImportedSound(rampSound(48000, 44100), m_Recorder);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.direct);
    EXPECT_EQ(result.frames, 48000);
    EXPECT_EQ(m_Record.sampleCount, 48000);
    EXPECT_EQ(m_Record.startIndex, 6000);
    EXPECT_DOUBLE_EQ(m_Record.sampleRateHz, 44100.0);
    EXPECT_TRUE(m_Record.analysisPending.load());
    EXPECT_EQ(m_Record.buffer[5999], 0);
    EXPECT_EQ(m_Record.buffer[6000], 1);
    EXPECT_EQ(m_Record.buffer[47999], 41999 % 30000 + 1);  // the first 42000 frames only
    EXPECT_EQ(m_Record.source().native, m_Record.buffer.data());

    ASSERT_TRUE(loadImportedSound(rampSound(0), m_Recorder).ok);
    for (std::int16_t s : m_Record.buffer) ASSERT_EQ(s, 0);
}

TEST_F(SoundLoad, LongerSoundIsKeptWholeAndReadFromItsStartUntilTheNextLoad) {
    WavLoadResult result = loadImportedSound(rampSound(48001), m_Recorder);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.direct);
    EXPECT_EQ(m_Record.sampleCount, 48001);
    EXPECT_EQ(m_Record.startIndex, 0);
    EXPECT_TRUE(m_Record.readsInPlace());
    const SampleSource source = m_Record.source();
    EXPECT_EQ(source.frameCount, 48001);
    EXPECT_EQ(source.at(0), 1);
    EXPECT_EQ(source.at(48000), 48000 % 30000 + 1);
    for (std::int16_t s : m_Record.buffer) ASSERT_EQ(s, 0);

    ASSERT_TRUE(loadImportedSound(rampSound(10), m_Recorder).ok);
    EXPECT_FALSE(m_Record.readsInPlace());
    EXPECT_TRUE(m_Record.heldSamples.empty());
    EXPECT_EQ(m_Record.source().native, m_Record.buffer.data());
}

TEST_F(SoundLoad, RatesAndLengthOutsideTheLimitsAreRefusedAndTheStrikeStays) {
    ASSERT_TRUE(loadImportedSound(rampSound(60000), m_Recorder).ok);
    m_Recorder.paintStep();
    ASSERT_FALSE(m_Record.analysisPending.load());

    for (std::int64_t rate : {2999, 500001}) {
        WavLoadResult result = loadImportedSound(rampSound(10, rate), m_Recorder);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message,
                  test::fileRefusal("Частота дискретизации этого файла " + std::to_string(rate) +
                                    " Гц, какая то не такая!"));
    }
    // Ten minutes at 3000 Hz load; one frame more does not.
    EXPECT_TRUE(loadImportedSound(rampSound(600 * 3000, 3000), m_Recorder).ok);
    m_Recorder.paintStep();
    WavLoadResult result = loadImportedSound(rampSound(600 * 3000 + 1, 3000), m_Recorder);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(test::messageText(result.message).find("10 минут"), std::string::npos);
    EXPECT_FALSE(m_Record.analysisPending.load());
    EXPECT_EQ(m_Record.sampleCount, 600 * 3000);
    EXPECT_EQ(m_Record.source().at(600 * 3000 - 1), (600 * 3000 - 1) % 30000 + 1);
    EXPECT_TRUE(loadImportedSound(rampSound(10, 500000), m_Recorder).ok);
}

// A sound is measured from its hit as a WAV file is, and a quiet file loaded before it leaves
// no trace of "no strike" on it.
TEST_F(SoundLoad, SoundIsMeasuredFromItsHitAsAWavFileIs) {
    m_Recorder.setThreshold(3000);
    ImportedSound quiet;
    quiet.sampleRateHz = 48000;
    quiet.channels = 1;
    quiet.samples.assign(30000, 100);
    ASSERT_TRUE(loadImportedSound(std::move(quiet), m_Recorder).ok);
    EXPECT_FALSE(m_Record.frontFound);
    m_Recorder.paintStep();

    ImportedSound late;  // 0.3 s of hum, then the hit
    late.sampleRateHz = 48000;
    late.channels = 1;
    late.samples.assign(38400, 500);
    late.samples[14400] = 9000;
    const WavLoadResult loaded = loadImportedSound(std::move(late), m_Recorder);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(m_Record.frontFound);
    EXPECT_EQ(loaded.frontFrame, 14400);
    EXPECT_EQ(m_Record.startIndex, kLeadInLength + 14400);
}

TEST_F(SoundLoad, LiveStrikeIsNotReplacedAndItsCompletionFreesTheHeldSound) {
    ASSERT_TRUE(loadImportedSound(rampSound(60000), m_Recorder).ok);
    m_Recorder.paintStep();
    m_Recorder.deviceOpened();
    std::vector<std::int16_t> loud(2 * 6000, 20000);
    ASSERT_TRUE(m_Recorder.bufferDone(loud.data(), 6000));
    ASSERT_TRUE(m_Recorder.recording());

    WavLoadResult result = loadImportedSound(rampSound(10), m_Recorder);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              test::fileRefusal("Идет запись удара: файл не загружен, повторите через секунду !"));
    EXPECT_EQ(m_Record.buffer[6000], 20000);
    EXPECT_EQ(m_Record.source().at(0), 1);  // the held sound is read until the strike is done

    for (int i = 0; i < 8; ++i) m_Recorder.bufferDone(loud.data(), 6000);
    m_Recorder.paintStep();
    EXPECT_FALSE(m_Record.readsInPlace());
    EXPECT_TRUE(m_Record.heldSamples.empty());
    EXPECT_EQ(m_Record.sampleCount, 48000);
    EXPECT_EQ(m_Record.source().at(6000), 20000);
}

}  // namespace
}  // namespace tomaro
