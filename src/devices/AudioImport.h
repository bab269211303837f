#pragma once

#include <functional>
#include <memory>
#include <string>

#include "audio/SoundImport.h"
#include "audio/WavFile.h"

namespace tomaro {

class StrikeRecorder;

// The import of sound files through libsndfile: any file the library reads (WAV of any sample
// format, AIFF, FLAC, Ogg Vorbis and Opus, MP3 where the library has it, ...) is decoded, its
// first channel converted to 16 bits, and loaded as a WAV file is (see loadImportedSound).

// Decodes `path` into `sound`. Returns ok, or the refusal: a file that cannot be opened ("не могу
// открыть файл !!! " as for WAV files), one the library cannot read, a sample rate outside
// 3000..500000 Hz, a sound longer than ten minutes (it is not decoded beyond that), a read error.
WavLoadResult decodeSoundFile(const std::string& path, ImportedSound& sound);

// The same in two steps, so that a long sound can be decoded away from the user-interface thread:
// open() reads the header and refuses what decodeSoundFile refuses before decoding (quick, any
// thread); decode() then decodes the samples (any one thread, not both at once), calling
// `progress` with the share decoded so far (0..1; 0 throughout when the length is not known)
// before each block. When `progress` returns false the decoding stops: the result is not ok and
// has no message, and `sound` is empty.
class SoundDecoder {
public:
    SoundDecoder();
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    WavLoadResult open(const std::string& path);
    WavLoadResult decode(ImportedSound& sound, const std::function<bool(double)>& progress = {});

private:
    struct Open;
    std::unique_ptr<Open> m_Open;  // the file opened and accepted, until decode() takes it
};

// Decodes `path` and loads it into the recorder's strike record. User-interface thread only.
WavLoadResult importSoundFile(const std::string& path, StrikeRecorder& recorder);

// The file name patterns of the formats the import reads, for file dialogs: "*.wav *.flac ...".
const char* importFilePatterns();

}  // namespace tomaro
