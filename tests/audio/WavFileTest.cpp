#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"
#include "support/InEnglish.h"
#include "support/MessageText.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace tomaro {
namespace {

using test::WavBuilder;

std::string parseError(const std::vector<unsigned char>& bytes) {
    WavHeader header;
    const std::optional<UserMessage> refusal = parseWavHeader(bytes.data(), bytes.size(), header);
    if (refusal) {
        EXPECT_EQ(*refusal, test::fileRefusal(refusal->text));
    }
    return test::messageText(refusal);
}

std::vector<std::int16_t> ramp(int frames, int channels) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            samples.push_back(static_cast<std::int16_t>(c == 0 ? (i % 30000) + 1 : -7));
        }
    }
    return samples;
}

class WavLoad : public ::testing::Test {
protected:
    WavLoadResult load(const WavBuilder& wav) { return loadBytes(wav.bytes()); }
    // Every load gets a file of its own: a file read in place must not be rewritten under it.
    WavLoadResult loadBytes(const std::vector<unsigned char>& bytes,
                            std::optional<int> frontThreshold = std::nullopt) {
        ++m_Files;
        test::writeFile(lastFile(), bytes);
        return loadWavFile(lastFile(), m_Recorder, frontThreshold);
    }
    // The file of the last load.
    std::string lastFile() const { return m_Folder.file(std::to_string(m_Files) + ".wav"); }
    // Runs the pending analysis, as the window's paint step does.
    void analyse() { m_Recorder.paintStep(); }

    test::TempFolder m_Folder{"wav"};  // first made, last removed: after the record lets go
    StrikeRecord m_Record;
    StrikeRecorder m_Recorder{m_Record};
    int m_Files = 0;
};

TEST(WavHeader, EveryBrokenHeaderIsRefusedWithItsMessage) {
    WavBuilder good;
    good.samples = {1, 2, 3};
    EXPECT_EQ(parseError(good.bytes()), "");

    std::vector<unsigned char> shortFile(35, 0);
    EXPECT_EQ(parseError(shortFile),
              "Файл слишком короток, чтобы быть корректным RIFF WAVE файлом !");
    EXPECT_EQ(parseError({}), "Файл слишком короток, чтобы быть корректным RIFF WAVE файлом !");

    auto bytes = good.bytes();
    bytes[0] = 'X';
    EXPECT_EQ(parseError(bytes), "Нет сигнатуры RIFF !");

    bytes = good.bytes();
    bytes.push_back(0);  // trailing byte after the RIFF chunk
    EXPECT_EQ(parseError(bytes), "Размер RIFF не соответствует !");

    bytes = good.bytes();
    bytes[8] = 'w';
    EXPECT_EQ(parseError(bytes), "WAVEfmt сигнатура или ее размер !");

    WavBuilder wav = good;
    wav.formatChunkSize = 15;
    bytes = wav.bytes();
    EXPECT_EQ(parseError(bytes), "WAVEfmt сигнатура или ее размер !");

    wav = good;
    wav.formatTag = 3;
    EXPECT_EQ(parseError(wav.bytes()), "Это не PCM - формат !");

    wav = good;
    wav.bitsPerSample = 24;
    EXPECT_EQ(parseError(wav.bytes()), "Открываю только 8 и 16-битные WAVE - файлы !!!");

    wav = good;
    wav.channels = 0;
    EXPECT_EQ(parseError(wav.bytes()), "В файле указано 0 каналов !");
}

TEST(WavHeader, RefusalsFollowTheLanguage) {
    test::InEnglish english;
    WavBuilder wav;
    wav.formatTag = 3;
    EXPECT_EQ(parseError(wav.bytes()), "This is not the PCM format!");
    EXPECT_EQ(parseError({}), "The file is too short to be a valid RIFF WAVE file!");
    StrikeRecord record;
    StrikeRecorder recorder{record};
    EXPECT_EQ(test::messageText(loadWavFile("/nonexistent/strike.wav", recorder).message),
              "cannot open the file!!! \n");
}

TEST(WavHeader, FileWithoutDataChunkIsRefused) {
    WavBuilder wav;
    auto bytes = wav.bytes();
    bytes.resize(36);  // RIFF, WAVE, fmt chunk: nothing after it
    bytes[4] = 28;
    EXPECT_EQ(parseError(bytes), "Не могу найти сегмент данных - конец файла !");

    // A chunk that claims to run past the end leaves no room for a data chunk header.
    wav.chunksBeforeData = {{"LIST", std::vector<unsigned char>(10, 0)}};
    bytes = wav.bytes();
    bytes[40] = 0xff;
    bytes[41] = 0xff;
    EXPECT_EQ(parseError(bytes), "Не могу найти сегмент данных - конец файла !");
}

TEST(WavHeader, OtherChunksAreSkippedByTheirExactSizeAndFmtExtraBytesToo) {
    WavBuilder wav;
    wav.formatChunkSize = 18;
    wav.chunksBeforeData = {{"LIST", {1, 2, 3}}, {"fact", {4, 5, 6, 7}}};  // odd size, no pad
    wav.samples = {42};
    const auto bytes = wav.bytes();
    WavHeader header;
    const std::optional<UserMessage> refusal = parseWavHeader(bytes.data(), bytes.size(), header);
    ASSERT_FALSE(refusal) << test::messageText(refusal);
    EXPECT_EQ(header.dataOffset, 12u + 8 + 18 + 8 + 3 + 8 + 4 + 8);
    EXPECT_EQ(header.dataSize, 2u);
    EXPECT_EQ(header.format.sampleRateHz, 48000u);
}

TEST_F(WavLoad, MissingFileAndEightBitFilesAreRefusedWithAMessage) {
    WavLoadResult result = loadWavFile("/nonexistent/strike.wav", m_Recorder);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, test::fileRefusal("не могу открыть файл !!! \n"));

    WavBuilder wav;
    wav.bitsPerSample = 8;
    wav.samples = {1, 2};
    result = load(wav);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(test::messageText(result.message).empty());
    EXPECT_NE(test::messageText(result.message).find("8-битный"), std::string::npos);
}

TEST_F(WavLoad, SampleRatesFrom3000To500000AreAccepted) {
    WavBuilder wav;
    wav.samples = {1};
    for (std::uint32_t rate : {3000u, 500000u}) {
        wav.sampleRateHz = rate;
        WavLoadResult result = load(wav);
        EXPECT_TRUE(result.ok) << rate;
        EXPECT_EQ(m_Record.sampleRateHz, rate);
    }
    for (std::uint32_t rate : {2999u, 500001u}) {
        wav.sampleRateHz = rate;
        WavLoadResult result = load(wav);
        EXPECT_FALSE(result.ok) << rate;
        EXPECT_EQ(result.message,
                  test::fileRefusal("Частота дискретизации этого файла " + std::to_string(rate) +
                                    " Гц, какая то не такая!"));
    }
}

TEST_F(WavLoad, ShortStereoFileIsCopiedAfterTheLeadInLeftChannelOnly) {
    WavBuilder wav;
    wav.channels = 2;
    wav.sampleRateHz = 44100;
    wav.samples = ramp(1000, 2);
    WavLoadResult result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.direct);
    EXPECT_EQ(result.frames, 1000);
    EXPECT_EQ(m_Record.sampleCount, 48000);
    EXPECT_EQ(m_Record.startIndex, 6000);
    EXPECT_DOUBLE_EQ(m_Record.sampleRateHz, 44100.0);
    EXPECT_TRUE(m_Record.analysisPending.load());
    EXPECT_EQ(m_Record.buffer[5999], 0);
    EXPECT_EQ(m_Record.buffer[6000], 1);
    EXPECT_EQ(m_Record.buffer[6999], 1000);
    EXPECT_EQ(m_Record.buffer[7000], 0);
    EXPECT_EQ(m_Record.source().at(6500), 501);
}

TEST_F(WavLoad, EmptyDataChunkLoadsAsSilence) {
    WavBuilder wav;  // 44 bytes: header and an empty data chunk
    ASSERT_EQ(wav.bytes().size(), 44u);
    m_Record.buffer.fill(99);
    WavLoadResult result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.direct);
    for (std::int16_t s : m_Record.buffer) ASSERT_EQ(s, 0);
}

TEST_F(WavLoad, FortyEightThousandFramesAreCopiedOneMoreIsReadInPlace) {
    WavBuilder wav;
    wav.samples = ramp(48000, 1);
    WavLoadResult result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(result.direct);
    EXPECT_EQ(m_Record.buffer[47999], 41999 % 30000 + 1);  // only the first 42000 frames fit

    wav.channels = 2;
    wav.samples = ramp(48001, 2);
    result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.direct);
    EXPECT_EQ(m_Record.sampleCount, 48001);
    EXPECT_EQ(m_Record.startIndex, 0);
    const SampleSource source = m_Record.source();
    EXPECT_EQ(source.frameCount, 48001);
    EXPECT_EQ(source.at(0), 1);
    EXPECT_EQ(source.at(48000), 48000 % 30000 + 1);  // the last frame, left channel
    for (std::int16_t s : m_Record.buffer) ASSERT_EQ(s, 0);

    // The next copy-mode load releases the mapped file.
    wav.channels = 1;
    wav.samples = ramp(10, 1);
    ASSERT_TRUE(load(wav).ok);
    EXPECT_EQ(m_Record.directFile, nullptr);
    EXPECT_EQ(m_Record.source().native, m_Record.buffer.data());
}

TEST_F(WavLoad, DataChunkLongerThanTheFileUsesOnlyTheWholeFramesPresent) {
    WavBuilder wav;
    wav.channels = 2;
    wav.samples = ramp(100, 2);
    wav.samples.push_back(5);  // half a frame at the end
    wav.declaredDataSize = 4'000'000;
    WavLoadResult result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.frames, 100);
    EXPECT_EQ(m_Record.buffer[6099], 100);
    EXPECT_EQ(m_Record.buffer[6100], 0);

    wav.samples = ramp(60000, 2);
    wav.declaredDataSize = 0xffffffff;
    result = load(wav);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.direct);
    EXPECT_EQ(m_Record.sampleCount, 60000);
}

TEST_F(WavLoad, LongFileCutShortByAnotherProgramIsReadOnlyAsFarAsItGoes) {
    WavBuilder wav;
    wav.samples = ramp(100000, 1);
    ASSERT_TRUE(load(wav).ok);
    ASSERT_EQ(m_Record.source().frameCount, 100000);
    const std::string path = lastFile();
    ASSERT_EQ(::truncate(path.c_str(), 44 + 2 * 1000 + 1), 0);
    const SampleSource source = m_Record.source();
    EXPECT_EQ(source.frameCount, 1000);
    int sum = 0;
    for (int i = 0; i < source.frameCount; ++i) sum += source.at(i);  // no SIGBUS
    EXPECT_EQ(sum, 1000 * 1001 / 2);
}

// Another program cuts the file short between the size check and the reads of a long scan (the
// front search over minutes of sound, the analysis): the program must not die of SIGBUS.
TEST_F(WavLoad, FileCutShortDuringTheFrontSearchAndTheAnalysisIsReadAsSilence) {
    WavBuilder wav;
    wav.samples.assign(400000, 0);
    wav.samples[300000] = 20000;  // the hit lies far past the cut
    ASSERT_TRUE(load(wav).ok);
    const SampleSource before = m_Record.source();  // sizes checked here, before the cut
    ASSERT_EQ(before.frameCount, 400000);
    const std::string path = lastFile();
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);

    EXPECT_EQ(findStrikeFront(before, 3000), -1);  // past the cut the file reads as silence
    EXPECT_EQ(before.at(399999), 0);
    m_Record.analysisPending = true;
    analyse();  // the pending analysis reads what is left
    EXPECT_FALSE(m_Record.analysisPending.load());
}

TEST_F(WavLoad, RefusedFileLeavesThePreviousStrikeUntouched) {
    WavBuilder wav;
    wav.samples = ramp(60000, 1);
    ASSERT_TRUE(load(wav).ok);
    analyse();
    ASSERT_FALSE(m_Record.analysisPending.load());

    WavBuilder broken;
    broken.sampleRateHz = 1000;
    broken.samples.assign(70000, 777);
    EXPECT_FALSE(load(broken).ok);
    EXPECT_FALSE(m_Record.analysisPending.load());
    EXPECT_NE(m_Record.directData, nullptr);
    EXPECT_EQ(m_Record.source().at(59999), 59999 % 30000 + 1);
    EXPECT_EQ(m_Record.sampleCount, 60000);
    EXPECT_DOUBLE_EQ(m_Record.sampleRateHz, 48000.0);
}

TEST_F(WavLoad, TheFrontIsTheFirstSampleAboveTheThresholdLikeTheLiveTrigger) {
    WavBuilder wav;
    wav.channels = 2;
    wav.samples.assign(2 * 20000, 0);
    wav.samples[2 * 7000] = 3000;       // equal to the threshold: not above it
    wav.samples[2 * 8000 + 1] = 30000;  // the second channel does not count
    wav.samples[2 * 10000] = -3001;
    WavLoadResult result = loadBytes(wav.bytes(), 3000);
    EXPECT_EQ(result.frontFrame, 10000);
    EXPECT_EQ(m_Record.startIndex, kLeadInLength + 10000);
    EXPECT_TRUE(m_Record.frontFound);
    EXPECT_EQ(m_Record.buffer[kLeadInLength + 10000], -3001);  // the samples stay where they were

    // Within the first 6000 frames the file starts with its hit; without a threshold nothing
    // is searched.
    wav.samples[2 * 5999] = 4000;
    result = loadBytes(wav.bytes(), 3000);
    EXPECT_EQ(result.frontFrame, 5999);
    EXPECT_EQ(m_Record.startIndex, kLeadInLength);
    load(wav);
    EXPECT_EQ(m_Record.startIndex, kLeadInLength);

    // Nothing above the threshold.
    result = loadBytes(wav.bytes(), 30000);
    EXPECT_EQ(result.frontFrame, -1);
    EXPECT_FALSE(m_Record.frontFound);
    EXPECT_EQ(m_Record.startIndex, kLeadInLength);
}

TEST_F(WavLoad, FileIsRefusedWhileALiveStrikeIsBeingRecorded) {
    m_Recorder.deviceOpened();
    std::vector<std::int16_t> loud(2 * 100, 20000);
    ASSERT_TRUE(m_Recorder.bufferDone(loud.data(), 100));
    ASSERT_TRUE(m_Recorder.recording());

    WavBuilder wav;
    wav.samples = ramp(10, 1);
    WavLoadResult result = load(wav);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(test::messageText(result.message).empty());
    EXPECT_FALSE(m_Record.analysisPending.load());
    EXPECT_EQ(m_Record.buffer[6000], 20000);
}

}  // namespace
}  // namespace tomaro
