// The first paint of the signal overview after a long WAV file was opened: the reduction of the
// whole file to one column per device pixel, on a 2 GB file (a billion frames, six hours at
// 48 kHz). The file is sparse, so it costs no disk space, and it is created anew for every run so
// that none of it is in the page cache yet; creating, opening and removing it are not timed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/StrikeRecord.h"
#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"
#include "tuning/WaveformColumns.h"

namespace {

constexpr std::uint32_t kDataBytes = 2'000'000'000;

void put(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A mono 16-bit 48 kHz WAV file whose data area is a hole.
bool writeSparseWav(const std::string& path) {
    std::string header = "RIFF";
    put(header, 36 + kDataBytes, 4);
    header += "WAVEfmt ";
    put(header, 16, 4);
    put(header, 1, 2);
    put(header, 1, 2);
    put(header, 48000, 4);
    put(header, 96000, 4);
    put(header, 2, 2);
    put(header, 16, 2);
    header += "data";
    put(header, kDataBytes, 4);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written =
        ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size()) &&
        ::ftruncate(fd, static_cast<off_t>(header.size() + kDataBytes)) == 0;
    return ::close(fd) == 0 && written;
}

void BM_FirstOverviewOf2GBFile(benchmark::State& state) {
    const int columns = static_cast<int>(state.range(0));
    std::string folder = (std::filesystem::temp_directory_path() / "tomaro-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    const std::string path = folder + "/long.wav";
    std::int64_t framesRead = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tomaro::StrikeRecord record;
        tomaro::StrikeRecorder recorder(record);
        const bool opened =
            writeSparseWav(path) && tomaro::loadWavFile(path, recorder).ok && record.directData;
        if (!opened) {
            state.SkipWithError("cannot create and open the sparse WAV file");
            break;
        }
        tomaro::OverviewColumns overview;
        state.ResumeTiming();
        benchmark::DoNotOptimize(overview.columns(record.source(), columns).data());
        state.PauseTiming();
        framesRead = overview.lastFramesRead();
        record.releaseDirectFile();
        std::filesystem::remove(path);
        state.ResumeTiming();
    }
    state.counters["frames_read"] = static_cast<double>(framesRead);
    std::filesystem::remove_all(folder);
}

// A 640-pixel overview at device pixel ratios 1 and 4.
BENCHMARK(BM_FirstOverviewOf2GBFile)
    ->Arg(640)
    ->Arg(2560)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

}  // namespace
