#include "audio/AudioImport.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "audio/StrikeRecorder.h"
#include "settings/Language.h"

namespace tomaro {
namespace {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// Frames decoded per read: about 64 K samples whatever the channel count.
constexpr sf_count_t kBlockSamples = 65536;

WavLoadResult openRefusal() {
    WavLoadResult result;
    result.message = pick("не могу открыть файл !!! \n", "cannot open the file!!! \n");
    result.icon = MessageIcon::Error;
    return result;
}

}  // namespace

WavLoadResult decodeSoundFile(const std::string& path, ImportedSound& sound) {
    sound = ImportedSound{};
    // As the WAV loader opens: without blocking, so that a named pipe cannot hang the open, and
    // only a regular file (a pipe or a device would never end, or never begin).
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return openRefusal();
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return openRefusal();
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    SF_INFO info{};
    // The library closes the descriptor with the file, also when it fails to open it.
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE));
    if (!file) return unreadableSoundRefusal(sf_strerror(nullptr));
    if (info.channels < 1) return unreadableSoundRefusal("0 channels");
    if (!fileRateAccepted(info.samplerate)) return sampleRateRefusal(info.samplerate);
    const std::int64_t limit = importFrameLimit(info.samplerate);
    // SF_COUNT_MAX stands for a length the library does not know before decoding.
    if (info.frames != SF_COUNT_MAX && info.frames > limit) return soundTooLongRefusal();

    sound.sampleRateHz = info.samplerate;
    sound.channels = info.channels;
    // A declared length is only a hint (a compressed stream may hold more or less).
    if (info.frames > 0 && info.frames <= limit) {
        sound.samples.reserve(static_cast<std::size_t>(info.frames));
    }
    const sf_count_t blockFrames = std::max<sf_count_t>(1, kBlockSamples / info.channels);
    std::vector<double> block(static_cast<std::size_t>(blockFrames * info.channels));
    for (;;) {
        const sf_count_t read = sf_readf_double(file.get(), block.data(), blockFrames);
        if (read <= 0) break;
        sound.appendFirstChannel(block.data(), read);
        // Whatever the header said, nothing beyond the limit is decoded.
        if (static_cast<std::int64_t>(sound.samples.size()) > limit) return soundTooLongRefusal();
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        return soundReadErrorRefusal(sf_strerror(file.get()));
    }
    WavLoadResult result;
    result.ok = true;
    result.channels = sound.channels;
    result.sampleRateHz = info.samplerate;
    result.frames = static_cast<std::int64_t>(sound.samples.size());
    result.clippedSamples = sound.clippedSamples;
    return result;
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
