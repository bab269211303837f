#include "devices/AudioImport.h"

#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "audio/StrikeRecorder.h"
#include "base/RegularFile.h"

namespace tomaro {
namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// Frames decoded per read: about 64 K samples whatever the channel count.
constexpr sf_count_t kBlockSamples = 65536;

}  // namespace

struct SoundDecoder::Open {
    std::unique_ptr<SNDFILE, SndfileCloser> file;
    SF_INFO info{};
};

SoundDecoder::SoundDecoder() = default;
SoundDecoder::~SoundDecoder() = default;

WavLoadResult SoundDecoder::open(const std::string& path) {
    m_Open.reset();
    // As the WAV loader opens: a named pipe cannot hang the open, and only a regular file is
    // read (a pipe or a device would never end, or never begin).
    RegularFile file = RegularFile::open(path.c_str());
    if (!file.isOpen()) return fileOpenRefusal();
    const int descriptor = file.release();
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    auto open = std::make_unique<Open>();
    // The library closes the descriptor with the file, also when it fails to open it.
    open->file.reset(sf_open_fd(descriptor, SFM_READ, &open->info, SF_TRUE));
    if (!open->file) return unreadableSoundRefusal(sf_strerror(nullptr));
    const SF_INFO& info = open->info;
    if (info.channels < 1) return unreadableSoundRefusal("0 channels");
    if (!fileRateAccepted(info.samplerate)) return sampleRateRefusal(info.samplerate);
    // SF_COUNT_MAX stands for a length the library does not know before decoding.
    if (info.frames != SF_COUNT_MAX && info.frames > importFrameLimit(info.samplerate)) {
        return soundTooLongRefusal();
    }
    m_Open = std::move(open);
    WavLoadResult result;
    result.ok = true;
    result.channels = info.channels;
    result.sampleRateHz = info.samplerate;
    return result;
}

WavLoadResult SoundDecoder::decode(ImportedSound& sound,
                                   const std::function<bool(double)>& progress) {
    sound = ImportedSound{};
    if (!m_Open) return fileOpenRefusal();
    const std::unique_ptr<Open> open = std::move(m_Open);
    SNDFILE* file = open->file.get();
    const SF_INFO& info = open->info;
    const std::int64_t limit = importFrameLimit(info.samplerate);
    sound.sampleRateHz = info.samplerate;
    sound.channels = info.channels;
    // A declared length is only a hint (a compressed stream may hold more or less).
    const bool lengthKnown = info.frames > 0 && info.frames <= limit;
    if (lengthKnown) sound.samples.reserve(static_cast<std::size_t>(info.frames));
    const sf_count_t blockFrames = std::max<sf_count_t>(1, kBlockSamples / info.channels);
    std::vector<double> block(static_cast<std::size_t>(blockFrames * info.channels));
    for (;;) {
        if (progress) {
            const double done =
                lengthKnown ? static_cast<double>(sound.samples.size()) / info.frames : 0.0;
            if (!progress(std::min(done, 1.0))) {
                sound = ImportedSound{};
                return WavLoadResult{};  // cancelled: no message
            }
        }
        const sf_count_t read = sf_readf_double(file, block.data(), blockFrames);
        if (read <= 0) break;
        sound.appendFirstChannel(block.data(), read);
        // Whatever the header said, nothing beyond the limit is decoded.
        if (static_cast<std::int64_t>(sound.samples.size()) > limit) {
            sound = ImportedSound{};
            return soundTooLongRefusal();
        }
    }
    if (sf_error(file) != SF_ERR_NO_ERROR) {
        sound = ImportedSound{};
        return soundReadErrorRefusal(sf_strerror(file));
    }
    WavLoadResult result;
    result.ok = true;
    result.channels = sound.channels;
    result.sampleRateHz = info.samplerate;
    result.frames = static_cast<std::int64_t>(sound.samples.size());
    result.clippedSamples = sound.clippedSamples;
    return result;
}

WavLoadResult decodeSoundFile(const std::string& path, ImportedSound& sound) {
    sound = ImportedSound{};
    SoundDecoder decoder;
    const WavLoadResult opened = decoder.open(path);
    if (!opened.ok) return opened;
    return decoder.decode(sound);
}

WavLoadResult importSoundFile(const std::string& path, StrikeRecorder& recorder) {
    ImportedSound sound;
    WavLoadResult decoded = decodeSoundFile(path, sound);
    if (!decoded.ok) return decoded;
    return loadImportedSound(std::move(sound), recorder);
}

const char* importFilePatterns() {
    return "*.wav *.wave *.bwf *.rf64 *.w64 *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus "
           "*.mp3 *.caf *.au *.snd";
}

}  // namespace tomaro
