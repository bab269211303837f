// Proves that an analysis pass never touches the heap: every global allocation in this program
// goes through the counting operator new below, and a pass must leave the count unchanged. Eigen
// takes its memory from malloc itself, so on glibc malloc, calloc and realloc are counted too
// (not in sanitizer builds, whose own allocator stands in their place).

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestSignals.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/HeadModeFit.h"
#include "analysis/ModePairFit.h"
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

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);

void* malloc(std::size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, size);
}
}
#endif

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

TEST(AnalysisPass, ModePairFitNeverAllocates) {
    // A split pair with neighbours, then a lone tone (the split is tried), noise alone, a band
    // too close to the top and a tap too short: every path of a fit.
    auto pair = [](double t) {
        return 8000 * std::exp(-t / 0.4) * std::cos(testing::kTwoPi * 300.0 * t) +
               6000 * std::exp(-t / 0.3) * std::cos(testing::kTwoPi * 303.5 * t + 1.0) +
               9000 * std::exp(-t / 0.3) * std::cos(testing::kTwoPi * 200.0 * t);
    };
    const auto split = testing::sampled(48000, 48000.0, testing::withNoise(pair, 20, 3));
    const auto lone = testing::sampled(
        48000, 48000.0, testing::withNoise(testing::decayingTone(300.0, 0.4, 8000), 20, 4));
    const auto noise =
        testing::sampled(48000, 48000.0, testing::withNoise([](double) { return 0.0; }, 50, 5));
    ModePairFit fit;

    const long before = g_Allocations.load();
    EXPECT_EQ(fit.fit(testing::sourceOf(split), 48000.0, 0, 48000, 280.0, 320.0).count, 2);
    EXPECT_EQ(fit.fit(testing::sourceOf(lone), 48000.0, 0, 48000, 280.0, 320.0).count, 1);
    EXPECT_EQ(fit.fit(testing::sourceOf(lone), 44100.0, 0, 44100, 250.0, 350.0).count, 1);
    EXPECT_EQ(fit.fit(testing::sourceOf(noise), 48000.0, 0, 48000, 280.0, 320.0).count, 0);
    EXPECT_EQ(fit.fit(testing::sourceOf(lone), 48000.0, 0, 48000, 1000.0, 23000.0).count, 0);
    EXPECT_EQ(fit.fit(testing::sourceOf(lone), 48000.0, 0, 500, 280.0, 320.0).count, 0);
    EXPECT_EQ(g_Allocations.load() - before, 0);

    // The fit over a pass's taps: a pair, a lone tone (the split is tried and the pair merged).
    HeadModeFit head;
    std::array<Baseband, 3> bands;
    const std::array<const Baseband*, 3> taps{&bands[0], &bands[1], &bands[2]};
    const long beforeHead = g_Allocations.load();
    for (int i = 0; i < 3; ++i) {
        fit.baseband(testing::sourceOf(i == 1 ? lone : split), 48000.0, 0, 48000, 280.0, 320.0,
                     bands[i]);
    }
    EXPECT_EQ(head.fit(taps, 280.0, 320.0).count, 2);
    for (Baseband& band : bands) {
        fit.baseband(testing::sourceOf(lone), 48000.0, 0, 48000, 280.0, 320.0, band);
    }
    EXPECT_EQ(head.fit(taps, 280.0, 320.0).count, 1);
    EXPECT_EQ(g_Allocations.load() - beforeHead, 0);
}

}  // namespace
}  // namespace tomaro
