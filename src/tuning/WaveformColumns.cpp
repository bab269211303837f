#include "tuning/WaveformColumns.h"

#include <cstdlib>

namespace tomaro {
namespace {

// Sources up to this many frames are reduced again on every paint (a live strike is 48000).
constexpr int kCachedFromFrames = 1 << 18;

// A cheap identity of a source's contents: a few hundred evenly spaced samples. A mapping reused
// at the same address for another file of the same length is told apart by its samples.
std::uint64_t fingerprintOf(const SampleSource& source) {
    constexpr int kProbes = 257;
    std::uint64_t hash = 1469598103934665603ull;
    for (int probe = 0; probe < kProbes; ++probe) {
        const int frame = static_cast<int>(static_cast<std::int64_t>(probe) *
                                           (source.frameCount - 1) / (kProbes - 1));
        hash = (hash ^ static_cast<std::uint16_t>(source.at(frame))) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

int peakOf(const std::vector<ColumnExtremes>& columns) {
    int peak = 0;
    for (const ColumnExtremes& column : columns) {
        peak = std::max({peak, std::abs(column.min), std::abs(column.max)});
    }
    return peak;
}

int OverviewColumns::runsPerColumn(int columns) {
    return std::max(kOverviewRuns / std::max(columns, 1), 1);
}

const std::vector<ColumnExtremes>& OverviewColumns::columns(const SampleSource& source,
                                                            int columns) {
    const int runs = runsPerColumn(columns);
    if (source.frameCount < kCachedFromFrames) {
        m_CacheValid = false;
        m_LastFramesRead = columnExtremes(source, 0, source.frameCount, columns, m_Columns, runs);
        return m_Columns;
    }
    const CacheKey key{source.native,     source.fileBytes, source.frameStrideBytes,
                       source.frameCount, columns,          fingerprintOf(source)};
    m_LastFramesRead = 0;
    if (!m_CacheValid || !(key == m_CachedKey)) {
        m_LastFramesRead = columnExtremes(source, 0, source.frameCount, columns, m_Columns, runs);
        m_CachedKey = key;
        m_CacheValid = true;
    }
    return m_Columns;
}

}  // namespace tomaro
