#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "tuning/WaveformColumns.h"

namespace tomaro {
namespace {

// A tone of 10000 with a period of exactly 1000 frames, counting the frames read.
struct CountingTone {
    int frameCount = 0;
    mutable std::int64_t reads = 0;
    mutable bool outside = false;
    std::int16_t at(int frame) const {
        ++reads;
        if (frame < 0 || frame >= frameCount) outside = true;
        return static_cast<std::int16_t>(std::lround(10000 * std::sin(frame * 2 * M_PI / 1000)));
    }
};

}  // namespace

TEST(WaveformColumns, LongSourceIsDrawnFromABoundedSampleThatStillFindsItsEnvelope) {
    // Six hours at 48 kHz.
    CountingTone tone{1'000'000'000};
    std::vector<ColumnExtremes> columns;
    for (int count : {1, 184, 640, 2560, 7680}) {
        tone.reads = 0;
        const std::int64_t read = columnExtremes(tone, 0, tone.frameCount, count, columns,
                                                 OverviewColumns::runsPerColumn(count));
        EXPECT_EQ(read, tone.reads);
        // Some two million frames, or one run per column on the widest plots.
        EXPECT_LE(tone.reads, std::max(count, 2048) * 1024) << count;
        EXPECT_FALSE(tone.outside);
        ASSERT_EQ(columns.size(), std::size_t(count));
        // Every run spans a whole period of the tone.
        for (const ColumnExtremes& column : columns) {
            ASSERT_EQ(column.max, 10000) << count;
            ASSERT_EQ(column.min, -10000) << count;
        }
    }
}

TEST(WaveformColumns, StrikeIsReadWholeAtEveryWidth) {
    CountingTone tone{48000};
    std::vector<ColumnExtremes> sampled;
    std::vector<ColumnExtremes> whole;
    for (int count : {1, 7, 184, 640, 4000, 48000}) {
        tone.reads = 0;
        columnExtremes(tone, 0, tone.frameCount, count, sampled,
                       OverviewColumns::runsPerColumn(count));
        EXPECT_EQ(tone.reads, 48000) << count;
        columnExtremes(tone, 0, tone.frameCount, count, whole);
        for (int c = 0; c < count; ++c) {
            EXPECT_EQ(sampled[c].min, whole[c].min);
            EXPECT_EQ(sampled[c].max, whole[c].max);
            EXPECT_EQ(sampled[c].minFirst, whole[c].minFirst);
        }
    }
}

TEST(OverviewColumns, FirstOverviewOfTheLongestFileReadsABoundedNumberOfFrames) {
    // INT_MAX frames of 16-bit mono: 4 GiB of address space that reads as zeros and costs no
    // memory until written.
    const std::size_t bytes = std::size_t(INT_MAX) * 2;
    void* mapping =
        ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    SampleSource source;
    source.fileBytes = static_cast<const unsigned char*>(mapping);
    source.frameCount = INT_MAX;
    OverviewColumns overview;
    for (int count : {640, 2560}) {
        const std::vector<ColumnExtremes>& columns = overview.columns(source, count);
        EXPECT_EQ(columns.size(), std::size_t(count));
        EXPECT_LE(overview.lastFramesRead(), 2560 * 1024) << count;
        EXPECT_GT(overview.lastFramesRead(), 0) << count;
    }
    overview.columns(source, 2560);
    EXPECT_EQ(overview.lastFramesRead(), 0);  // kept
    ::munmap(mapping, bytes);
}

}  // namespace tomaro
