#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "devices/AudioImport.h"
#include "settings/MemoryProfile.h"
#include "support/MessageText.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "tuning/Tuner.h"

namespace tomaro {
namespace {

constexpr double kToneHz = 146.83;
constexpr double kOtherToneHz = 311.0;

// Writes `frames` frames of `channels` channels through libsndfile; channel c of frame n is
// value(n, c), full scale at +-1.0. `chunk` (a JUNK chunk of odd size, say) is added before the
// samples when given. Returns an empty string when the library cannot write the format.
std::string writeSound(const std::string& name, int format, int rateHz, int channels,
                       std::int64_t frames, const std::function<double(std::int64_t, int)>& value,
                       const SF_CHUNK_INFO* chunk = nullptr) {
    SF_INFO info{};
    info.samplerate = rateHz;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info)) return {};
    const std::string path = test::runFolder().file(name);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return {};
    if (chunk != nullptr && sf_set_chunk(file, chunk) != SF_ERR_NO_ERROR) {
        sf_close(file);
        return {};
    }
    std::vector<double> block;
    for (std::int64_t n = 0; n < frames;) {
        block.clear();
        const std::int64_t end = std::min<std::int64_t>(frames, n + 4096);
        for (std::int64_t i = n; i < end; ++i) {
            for (int c = 0; c < channels; ++c) block.push_back(value(i, c));
        }
        sf_writef_double(file, block.data(), end - n);
        n = end;
    }
    sf_close(file);
    return path;
}

// A decaying drum-like tone in the first channel, another louder tone in the second: only the
// first may be measured.
double strike(std::int64_t n, int channel) {
    const double t = static_cast<double>(n) / 48000.0;
    const double hz = channel == 0 ? kToneHz : kOtherToneHz;
    const double amplitude = channel == 0 ? 0.4 : 0.8;
    return amplitude * std::exp(-t / 0.4) * std::sin(2 * M_PI * hz * t + 0.3);
}

struct Format {
    const char* name;
    int format;
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

class ImportedFormat : public ::testing::TestWithParam<Format> {};

TEST_P(ImportedFormat, ReadsBackTheToneOfTheFirstChannelWithin10MilliHertz) {
    const Format& format = GetParam();
    const std::string path = writeSound(format.name, format.format, 48000, 2, 48000, strike);
    if (path.empty()) {
        GTEST_SKIP() << "this libsndfile cannot write " << format.name << " files";
    }
    MemoryProfile profile;
    Tuner tuner(profile);
    const WavLoadResult result = importSoundFile(path, tuner.recorder());
    ASSERT_TRUE(result.ok) << test::messageText(result.message);
    EXPECT_EQ(result.channels, 2);
    EXPECT_EQ(result.sampleRateHz, 48000);
    EXPECT_EQ(result.clippedSamples, 0);
    ASSERT_TRUE(tuner.paintStep().analysed);
    EXPECT_NEAR(tuner.mainFrequencyHz(), kToneHz, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, ImportedFormat,
    ::testing::Values(Format{"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
                      Format{"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                      Format{"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                      Format{"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
                      Format{"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                      Format{"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
                      Format{"extensible24.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
                      Format{"extensiblefloat.wav", SF_FORMAT_WAVEX | SF_FORMAT_FLOAT},
                      Format{"pcm16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                      Format{"pcm24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
                      Format{"pcm16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                      Format{"pcm24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
                      Format{"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                      Format{"opus.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
                      Format{"layer3.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}),
    [](const ::testing::TestParamInfo<Format>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (c == '.') c = '_';
        }
        return name;
    });

TEST(AudioImport, WavWithAnOddSizedPaddedJunkChunkIsReadThoughTheWavLoaderMissesItsData) {
    SF_CHUNK_INFO junk{};
    std::strcpy(junk.id, "JUNK");
    junk.id_size = 4;
    char body[16] = "fifteen bytes..";
    junk.data = body;
    junk.datalen = 16;
    const std::string path =
        writeSound("junk.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 48000, strike, &junk);
    ASSERT_FALSE(path.empty());
    // Declare 15 bytes: the 16th becomes the pad byte that keeps the next chunk aligned.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    std::string head(64, '\0');
    file.read(head.data(), 64);
    const std::size_t at = head.find("JUNK");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(head[at + 4], 16);
    file.seekp(static_cast<std::streamoff>(at + 4));
    file.put(15);
    file.close();

    MemoryProfile profile;
    Tuner tuner(profile);
    // The WAV loader skips a chunk without its pad byte, as it always did, and misses the data.
    EXPECT_FALSE(tuner.loadFile(path).ok);
    const WavLoadResult result = importSoundFile(path, tuner.recorder());
    ASSERT_TRUE(result.ok) << test::messageText(result.message);
    EXPECT_EQ(result.frames, 48000);
    ASSERT_TRUE(tuner.paintStep().analysed);
    EXPECT_NEAR(tuner.mainFrequencyHz(), kToneHz, 0.01);
}

TEST(AudioImport, SamplesAreRoundedToSixteenBitsAndOverloadsCounted) {
    // 24-bit integers: k * 256 + 128 lies halfway and rounds away from zero.
    const std::vector<double> values = {(1000 * 256 + 128) / 8388608.0,
                                        -(1000 * 256 + 128) / 8388608.0, 1.0, -1.0};
    const std::string pcm =
        writeSound("round24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, 4,
                   [&](std::int64_t n, int) { return values[static_cast<std::size_t>(n)]; });
    ImportedSound sound;
    ASSERT_TRUE(decodeSoundFile(pcm, sound).ok);
    EXPECT_EQ(sound.samples, (std::vector<std::int16_t>{1001, -1001, 32767, -32768}));
    EXPECT_EQ(sound.clippedSamples, 1);  // +1.0 is stored as 8388607: it rounds to 32768

    const std::string floats = writeSound(
        "over.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, 4,
        [](std::int64_t n, int c) { return c == 1 ? 5.0 : 0.5 * static_cast<double>(n - 2); });
    const WavLoadResult result = decodeSoundFile(floats, sound);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(sound.samples, (std::vector<std::int16_t>{-32768, -16384, 0, 16384}));
    EXPECT_EQ(result.clippedSamples, 0);

    const std::string loud = writeSound("loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 1, 3,
                                        [](std::int64_t n, int) { return 1.5 - n * 1.5; });
    EXPECT_EQ(decodeSoundFile(loud, sound).clippedSamples, 2);
    EXPECT_EQ(sound.samples, (std::vector<std::int16_t>{32767, 0, -32768}));
}

// A named pipe or a device given as a sound file is refused at once, as the WAV loader refuses
// it, instead of waiting for ever for a writer (or reading /dev/zero for ever).
TEST(AudioImport, PipesAndDevicesAreRefusedWithoutWaiting) {
    const std::string pipe = test::runFolder().file("pipe.wav");
    ::unlink(pipe.c_str());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ImportedSound sound;
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const WavLoadResult result = decodeSoundFile(path, sound);
        EXPECT_FALSE(result.ok) << path;
        EXPECT_EQ(result.message, test::fileRefusal("не могу открыть файл !!! \n")) << path;
    }
    ::unlink(pipe.c_str());
}

TEST(AudioImport, UnreadableTooLongAndOffRateFilesAreRefusedWithTheirMessages) {
    ImportedSound sound;
    WavLoadResult result = decodeSoundFile("/nonexistent/strike.flac", sound);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, test::fileRefusal("не могу открыть файл !!! \n"));

    const std::string text = test::runFolder().file("text.wav");
    test::writeFile(text, std::vector<unsigned char>(100, 'x'));
    result = decodeSoundFile(text, sound);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(
        test::messageText(result.message).rfind("Не могу прочитать звук из этого файла !\n", 0),
        0u);

    auto silence = [](std::int64_t, int) { return 0.0; };
    const std::string slow =
        writeSound("slow.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2999, 1, 10, silence);
    ASSERT_FALSE(slow.empty());
    result = decodeSoundFile(slow, sound);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              test::fileRefusal("Частота дискретизации этого файла 2999 Гц, какая то не такая!"));

    const std::string tenMinutes =
        writeSound("ten.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 3000, 1, 600 * 3000, silence);
    EXPECT_TRUE(decodeSoundFile(tenMinutes, sound).ok);
    EXPECT_EQ(sound.samples.size(), 600u * 3000u);
    const std::string longer = writeSound("longer.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 3000, 1,
                                          600 * 3000 + 1, silence);
    result = decodeSoundFile(longer, sound);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              test::fileRefusal(
                  "Звук в этом файле длиннее 10 минут: импортирую только звуки до 10 минут !"));
}

}  // namespace
}  // namespace tomaro
