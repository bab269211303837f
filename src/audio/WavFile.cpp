#include "audio/WavFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/MappedFile.h"
#include "audio/StrikeRecorder.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

constexpr int kCopiedFramesMax = kStrikeLength - kLeadInLength;  // 42000

std::uint16_t u16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Sequential reads over the file's bytes, like reads from a file handle: a read past the end
// returns what is there.
class ByteCursor {
public:
    ByteCursor(const unsigned char* bytes, std::size_t size) : m_Bytes(bytes), m_Size(size) {}

    // Copies up to `count` bytes into `out`; returns how many were there.
    std::size_t read(unsigned char* out, std::size_t count) {
        const std::size_t available = m_Position < m_Size ? m_Size - m_Position : 0;
        const std::size_t taken = std::min(count, available);
        if (taken > 0) std::memcpy(out, m_Bytes + m_Position, taken);
        m_Position += count;  // like a file pointer, it may move past the end
        return taken;
    }
    void skip(std::uint64_t count) { m_Position += count; }
    std::uint64_t position() const { return m_Position; }

private:
    const unsigned char* m_Bytes;
    std::uint64_t m_Size;
    std::uint64_t m_Position = 0;
};

UserMessage refusalMessage(std::string text) {
    return UserMessage{std::move(text), kProgramCaption, UserMessage::Severity::Error};
}

}  // namespace

WavLoadResult soundFileRefusal(std::string text) {
    WavLoadResult result;
    result.message = refusalMessage(std::move(text));
    return result;
}

bool fileRateAccepted(std::int64_t rateHz) {
    return rateHz >= kMinimumFileRateHz && rateHz <= kMaximumFileRateHz;
}

WavLoadResult sampleRateRefusal(std::int64_t rateHz) {
    char text[160];
    std::snprintf(text, sizeof text,
                  pick("Частота дискретизации этого файла %lld Гц, какая то не такая!",
                       "The sample rate of this file is %lld Hz, which is not usable!"),
                  static_cast<long long>(rateHz));
    return soundFileRefusal(text);
}

WavLoadResult strikeBusyRefusal() {
    return soundFileRefusal(
        pick("Идет запись удара: файл не загружен, повторите через секунду !",
             "A strike is being recorded: the file was not loaded, try again in a "
             "second!"));
}

WavLoadResult fileOpenRefusal() {
    return soundFileRefusal(pick("не могу открыть файл !!! \n", "cannot open the file!!! \n"));
}

std::optional<UserMessage> parseWavHeader(const unsigned char* bytes, std::size_t size,
                                          WavHeader& header) {
    header.dataOffset = 0;
    header.dataSize = 0;
    if (size < 36) {
        return refusalMessage(pick("Файл слишком короток, чтобы быть корректным RIFF WAVE файлом !",
                                   "The file is too short to be a valid RIFF WAVE file!"));
    }
    ByteCursor cursor(bytes, size);
    unsigned char block[16];
    cursor.read(block, 8);
    if (std::memcmp(block, "RIFF", 4) != 0) {
        return refusalMessage(pick("Нет сигнатуры RIFF !", "No RIFF signature!"));
    }
    if (u32(block + 4) != size - 8) {
        return refusalMessage(
            pick("Размер RIFF не соответствует !", "The RIFF size does not match!"));
    }
    cursor.read(block, 12);
    const std::uint32_t formatSize = u32(block + 8);
    if (std::memcmp(block, "WAVEfmt ", 8) != 0 || formatSize < 16) {
        return refusalMessage(
            pick("WAVEfmt сигнатура или ее размер !", "The WAVEfmt signature or its size!"));
    }
    if (cursor.read(block, 16) < 16) {
        return refusalMessage(
            pick("WAVEfmt сигнатура или ее размер !", "The WAVEfmt signature or its size!"));
    }
    header.format.formatTag = u16(block);
    header.format.channels = u16(block + 2);
    header.format.sampleRateHz = u32(block + 4);
    header.format.averageBytesPerSec = u32(block + 8);
    header.format.blockAlign = u16(block + 12);
    header.format.bitsPerSample = u16(block + 14);
    if (header.format.formatTag != 1) {
        return refusalMessage(pick("Это не PCM - формат !", "This is not the PCM format!"));
    }
    if (header.format.bitsPerSample != 8 && header.format.bitsPerSample != 16) {
        return refusalMessage(pick("Открываю только 8 и 16-битные WAVE - файлы !!!",
                                   "Only 8 and 16-bit WAVE files are opened!!!"));
    }
    // A file without channels has no frames to read; it would divide by zero below.
    if (header.format.channels == 0) {
        return refusalMessage(pick("В файле указано 0 каналов !", "The file declares 0 channels!"));
    }
    cursor.skip(formatSize - 16);
    for (;;) {
        if (cursor.read(block, 8) < 8) {
            return refusalMessage(pick("Не могу найти сегмент данных - конец файла !",
                                       "Cannot find the data chunk: end of file!"));
        }
        const std::uint32_t chunkSize = u32(block + 4);
        if (std::memcmp(block, "data", 4) == 0) {
            header.dataOffset = cursor.position();
            header.dataSize = chunkSize;
            return std::nullopt;
        }
        cursor.skip(chunkSize);
    }
}

WavLoadResult loadWavFile(const std::string& path, StrikeRecorder& recorder,
                          std::optional<int> frontThreshold) {
    MappedFile::Error error = MappedFile::Error::None;
    std::unique_ptr<MappedFile> file = MappedFile::open(path, error);
    if (error == MappedFile::Error::Open) return fileOpenRefusal();
    if (error == MappedFile::Error::Map) return soundFileRefusal("CreateFileMapping !!!");

    WavHeader header;
    if (std::optional<UserMessage> refused = parseWavHeader(file->data(), file->size(), header)) {
        WavLoadResult result;
        result.message = std::move(refused);
        return result;
    }
    if (header.format.bitsPerSample != 16) {
        return soundFileRefusal(
            pick("Открываю только 16-битные WAVE - файлы: 8-битный файл не загружен !",
                 "Only 16-bit WAVE files are opened: the 8-bit file was not loaded!"));
    }
    const std::uint32_t rateHz = header.format.sampleRateHz;
    if (!fileRateAccepted(rateHz)) return sampleRateRefusal(rateHz);
    if (!recorder.claimForFile()) return strikeBusyRefusal();

    // A data chunk may declare more bytes than the file holds: only whole frames present count.
    const std::uint64_t present =
        file->size() - std::min<std::uint64_t>(header.dataOffset, file->size());
    const std::uint64_t dataBytes = std::min(header.dataSize, present);
    const int channels = header.format.channels;
    const std::int64_t frames = static_cast<std::int64_t>(dataBytes / 2 / channels);

    StrikeRecord& record = recorder.record();
    record.releaseDirectFile();
    record.buffer.fill(0);

    WavLoadResult result;
    result.ok = true;
    result.channels = channels;
    result.sampleRateHz = static_cast<int>(rateHz);
    result.frames = frames;
    const unsigned char* data = file->data() + header.dataOffset;
    if (frames > kStrikeLength) {
        result.direct = true;
        record.directFile = std::move(file);
        record.directMapping = record.directFile.get();
        record.directData = data;
        record.directChannels = channels;
        // The record counts frames in an int; longer files are read up to that many frames.
        record.sampleCount = static_cast<int>(std::min<std::int64_t>(frames, 0x7fffffff));
        record.startIndex = 0;
    } else {
        const int copied = static_cast<int>(std::min<std::int64_t>(frames, kCopiedFramesMax));
        const std::size_t stride = static_cast<std::size_t>(channels) * 2;
        for (int i = 0; i < copied; ++i) {
            const unsigned char* sample = data + i * stride;
            record.buffer[kLeadInLength + i] = static_cast<std::int16_t>(u16(sample));
        }
        record.sampleCount = kStrikeLength;
        record.startIndex = kLeadInLength;
    }
    record.sampleRateHz = rateHz;
    record.frontFound = true;
    record.fromFile = true;
    if (frontThreshold) {
        result.frontFrame =
            record.placeStrikeFront(*frontThreshold, result.direct ? 0 : kLeadInLength);
    }
    recorder.strikeReplaced();
    return result;
}

}  // namespace tomaro
