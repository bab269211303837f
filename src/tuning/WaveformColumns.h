#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "audio/StrikeRecord.h"

namespace tomaro {

// Smallest and largest sample of one pixel column, and which of the two came first in time, so
// a line through the columns keeps the waveform's shape.
struct ColumnExtremes {
    int min = 0;
    int max = 0;
    bool minFirst = true;
};

// Runs per column without a limit: every frame of every column is read.
inline constexpr int kEveryFrame = INT_MAX;
// Frames of one run of a sampled column: 21 ms at 48 kHz, longer than a period of any tone a drum
// is tuned to (about 47 Hz and up), so a run holds a whole swing of the signal; 2 to 4 KB of a
// mono or stereo file, one or two pages of a mapped file.
inline constexpr int kRunFrames = 1024;

// Reduces frames [first, first + count) of `source` to `columns` columns (1 <= columns <= count):
// column c covers frames first + [c * count / columns, (c + 1) * count / columns). `out` is
// resized to `columns`. Reads only frames inside [first, first + count).
//
// A column of at most maxRunsPerColumn * kRunFrames frames is read whole. A longer one is cut into
// maxRunsPerColumn equal strata and kRunFrames consecutive frames of each are read, at an offset
// that varies from stratum to stratum (a fixed function of the frame index, so a repaint draws
// the same picture): runs at a fixed spacing would fall on the same part of a slow beat or a
// repeated strike and miss it in every column. Runs of consecutive frames rather than single
// frames: what a long mapped file costs is the pages touched, not the frames read.
// Returns the number of frames read. `Source` has `std::int16_t at(int frame) const`.
template <typename Source>
std::int64_t columnExtremes(const Source& source, int first, int count, int columns,
                            std::vector<ColumnExtremes>& out, int maxRunsPerColumn = kEveryFrame) {
    if (columns < 1 || count < 1) {
        out.clear();
        return 0;
    }
    out.resize(static_cast<std::size_t>(columns));
    const std::int64_t runs = std::max(maxRunsPerColumn, 1);
    std::int64_t framesRead = 0;
    for (int c = 0; c < columns; ++c) {
        const std::int64_t begin = first + static_cast<std::int64_t>(c) * count / columns;
        std::int64_t end = first + static_cast<std::int64_t>(c + 1) * count / columns;
        end = std::max(end, begin + 1);
        const std::int64_t span = end - begin;
        int low = 0;
        int high = 0;
        std::int64_t lowAt = -1;
        std::int64_t highAt = -1;
        auto take = [&](std::int64_t from, std::int64_t to) {
            for (std::int64_t frame = from; frame < to; ++frame) {
                const int value = source.at(static_cast<int>(frame));
                if (lowAt < 0) {
                    low = high = value;
                    lowAt = highAt = frame;
                } else if (value < low) {
                    low = value;
                    lowAt = frame;
                } else if (value > high) {
                    high = value;
                    highAt = frame;
                }
            }
            framesRead += to - from;
        };
        if (span <= runs * kRunFrames) {
            take(begin, end);
        } else {
            for (std::int64_t i = 0; i < runs; ++i) {
                const std::int64_t stratum = begin + i * span / runs;
                const std::int64_t room = begin + (i + 1) * span / runs - stratum - kRunFrames;
                // A multiplicative hash of the stratum's first frame picks the offset in it.
                const std::uint64_t hash =
                    static_cast<std::uint64_t>(stratum) * 0x9E3779B97F4A7C15ull;
                const auto offset =
                    static_cast<std::int64_t>((hash >> 32) % static_cast<std::uint64_t>(room + 1));
                take(stratum + offset, stratum + offset + kRunFrames);
            }
        }
        out[static_cast<std::size_t>(c)] = {low, high, lowAt <= highAt};
    }
    return framesRead;
}

// Largest absolute value of a column set.
int peakOf(const std::vector<ColumnExtremes>& columns);

// The columns of the signal overview: a whole source, live strike or long file, at one column per
// device pixel. A source is read whole while that costs at most kOverviewRuns runs of kRunFrames
// (about two million frames: a live strike or a copied file always); a longer file is drawn
// from max(kOverviewRuns / columns, 1) runs of each column. Reading every frame of a file of
// hours would freeze the window for seconds on the first paint (a 2 GB file is a billion frames,
// and every page of it would be read from disk); a few runs per column of a file that long still
// show its envelope, which is all an overview of it can show, and touch a few thousand pages. The
// columns of a long source are kept while the source and the column count stay the same.
//
// Not thread-safe; the window uses it on the user-interface thread.
class OverviewColumns {
public:
    static constexpr int kOverviewRuns = 2048;
    // Runs per column allowed for `columns` columns.
    static int runsPerColumn(int columns);

    // The columns of `source` (frameCount >= 1), reduced to `columns` (1 <= columns <=
    // frameCount) columns, or the kept ones.
    const std::vector<ColumnExtremes>& columns(const SampleSource& source, int columns);
    // Frames read by the last reduction (0 when the kept columns were used).
    std::int64_t lastFramesRead() const { return m_LastFramesRead; }

private:
    // Reduced columns of a long source, reused while the source and the width stay the same.
    struct CacheKey {
        const void* native = nullptr;
        const void* fileBytes = nullptr;
        int strideBytes = 0;
        int frameCount = 0;
        int columns = 0;
        std::uint64_t fingerprint = 0;
        bool operator==(const CacheKey&) const = default;
    };

    std::vector<ColumnExtremes> m_Columns;
    CacheKey m_CachedKey;
    bool m_CacheValid = false;
    std::int64_t m_LastFramesRead = 0;
};

}  // namespace tomaro
