// Proves that an analysis pass never touches the heap: every global allocation in this program
// goes through the counting operator new below, and a pass must leave the count unchanged.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestSignals.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/PitchTrack.h"
#include "analysis/Stretch.h"
#include "analysis/StrikeQuality.h"
#include "audio/StrikeRecord.h"
#include "settings/MemoryProfile.h"

namespace {

std::atomic<long> g_Allocations{0};

void* allocate(std::size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tomaro {
namespace {

TEST(AnalysisPass, CountingOperatorNewSeesAllocations) {
    const long before = g_Allocations.load();
    auto* probe = new std::vector<int>(10);
    delete probe;
    EXPECT_GE(g_Allocations.load() - before, 2);
}

TEST(AnalysisPass, NeverAllocates) {
    StrikeRecord record;
    testing::fillStrike(record, 48000.0,
                        testing::withNoise(testing::decayingTone(97.3, 0.3, 10000), 70, 5));
    MemoryProfile profile;
    Stretch stretch(profile);
    stretch.setStrike(record);
    AnalysisSettings settings(profile);
    Analyzer analyzer;

    const long before = g_Allocations.load();
    // The user's settings over the default stretch, then every window and both decay choices
    // over the longest stretch, a picked frequency, and more components.
    analyzer.analyze(record, stretch, settings);
    for (int kind : {0, 1, 2}) {
        for (bool decay : {false, true}) {
            Analyzer::Params params;
            params.windowKind = kind;
            params.decay = decay;
            analyzer.analyze(record.source(), 48000.0, 0, 48000, params);
        }
    }
    analyzer.pickFrequency(300.0);
    analyzer.analyze(record, stretch, settings);
    analyzer.setComponentCount(8);
    analyzer.analyze(record, stretch, settings);
    EXPECT_EQ(g_Allocations.load() - before, 0);
}

TEST(AnalysisPass, QualityAndPitchTrackNeverAllocate) {
    StrikeRecord record;
    testing::fillStrike(record, 48000.0,
                        testing::withNoise(testing::decayingTone(97.3, 0.3, 10000), 70, 5));
    MemoryProfile profile;
    Stretch stretch(profile);
    stretch.setStrike(record);
    AnalysisSettings settings(profile);
    Analyzer analyzer;
    StrikeQuality quality;
    PitchTrack track;

    const long before = g_Allocations.load();
    for (int kind : {0, 1, 2}) {
        Analyzer::Params params = Analyzer::paramsOf(settings);
        params.windowKind = kind;
        for (int end : {stretch.end(), 48000}) {
            const AnalysisResult& result =
                analyzer.analyze(record.source(), 48000.0, stretch.start(), end, params);
            quality.evaluate(analyzer, record.source(), record.startIndex, true, params);
            track.compute(record.source(), 48000.0, record.startIndex, result.mainFrequencyHz,
                          kind);
        }
    }
    EXPECT_EQ(g_Allocations.load() - before, 0);
    EXPECT_FALSE(track.points().empty());
}

}  // namespace
}  // namespace tomaro
