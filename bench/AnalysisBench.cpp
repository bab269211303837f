// tomaro-bench: times the 65536-point transform, whole analysis passes and FFTW's 65536-point
// complex transform, then prints the ratios of the median CPU times:
//   ratio transform/fftw = X
//   ratio analysis48000/fftw = Y
//   ratio quality+track/analysis48000 = Z
//   ratio pair-fit/analysis48000 = W

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "analysis/Analyzer.h"
#include "analysis/Fft.h"
#include "analysis/HeadModeFit.h"
#include "analysis/ModePairFit.h"
#include "analysis/PitchTrack.h"
#include "analysis/StrikeQuality.h"
#include "audio/StrikeRecord.h"

namespace {

using tomaro::Analyzer;
using tomaro::Fft;

constexpr int kPoints = Fft::kMaxCount;
constexpr double kRateHz = 48000.0;
constexpr int kRepetitions = 7;

// A tom-like strike: a decaying tone with a gliding pitch, an overtone and noise, 48000 samples.
const std::vector<std::int16_t>& strike() {
    static const std::vector<std::int16_t> samples = [] {
        std::vector<std::int16_t> s(48000);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 60.0);
        double phase = 0.0;
        for (int n = 0; n < 48000; ++n) {
            const double t = n / kRateHz;
            phase += 2 * M_PI * 97.3 * (1 + 0.02 * std::exp(-t / 0.1)) / kRateHz;
            const double value = 12000 * std::exp(-t / 0.35) * std::cos(phase) +
                                 3000 * std::exp(-t / 0.15) * std::cos(1.59 * phase) +
                                 noise(random);
            s[n] = static_cast<std::int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
        }
        return s;
    }();
    return samples;
}

// The windowed stretch as the analysis hands it to the transform.
std::vector<std::complex<double>> transformInput() {
    std::vector<std::complex<double>> data(kPoints);
    const auto& s = strike();
    for (int j = 0; j < 48000; ++j) {
        const double x = 2 * std::fabs(j / 48000.0 - 0.5);
        data[j] = (std::exp(-x * x) - std::exp(-1.0)) * s[j];
    }
    return data;
}

// Ours transforms in place, so each run starts from a fresh copy of the input; the copy is timed
// with it. FFTW runs out of place on a constant input with its best (measured) plan.
void BM_Transform65536(benchmark::State& state) {
    const auto input = transformInput();
    auto data = input;
    Fft fft;
    for (auto _ : state) {
        std::memcpy(data.data(), input.data(), sizeof(input[0]) * kPoints);
        fft.transform(data.data(), kPoints);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
}

void BM_Fftw65536(benchmark::State& state) {
    const auto input = transformInput();
    fftw_complex* in = fftw_alloc_complex(kPoints);
    fftw_complex* out = fftw_alloc_complex(kPoints);
    fftw_plan plan = fftw_plan_dft_1d(kPoints, in, out, FFTW_FORWARD, FFTW_MEASURE);
    std::memcpy(in, input.data(), sizeof(input[0]) * kPoints);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

void analysisPass(benchmark::State& state, int length, bool decay) {
    tomaro::SampleSource source;
    source.native = strike().data();
    source.frameCount = static_cast<int>(strike().size());
    Analyzer analyzer;
    Analyzer::Params params;
    params.windowKind = 1;
    params.decay = decay;
    for (auto _ : state) {
        const auto& result = analyzer.analyze(source, kRateHz, 0, length, params);
        benchmark::DoNotOptimize(result.mainFrequencyHz);
    }
}

void BM_Analysis48000Decay(benchmark::State& state) { analysisPass(state, 48000, true); }
void BM_Analysis48000NoDecay(benchmark::State& state) { analysisPass(state, 48000, false); }
void BM_Analysis14400Decay(benchmark::State& state) { analysisPass(state, 14400, true); }

// What follows every pass: the quality of the 48000-sample pass and the pitch track along the
// whole strike, seeded by its main frequency.
void BM_QualityAndTrack48000(benchmark::State& state) {
    tomaro::SampleSource source;
    source.native = strike().data();
    source.frameCount = static_cast<int>(strike().size());
    Analyzer analyzer;
    Analyzer::Params params;
    params.windowKind = 1;
    params.decay = true;
    const auto& result = analyzer.analyze(source, kRateHz, 0, 48000, params);
    tomaro::StrikeQuality quality;
    tomaro::PitchTrack track;
    for (auto _ : state) {
        const auto& report = quality.evaluate(analyzer, source, 0, true, params);
        track.compute(source, kRateHz, 0, result.mainFrequencyHz, params.windowKind);
        benchmark::DoNotOptimize(report.glideCents);
        benchmark::DoNotOptimize(track.points().data());
    }
}

// A pass over a head of kPassTaps rods: each tap near a rod rings the head's split (1,1) pair,
// 15 cents apart, with levels that follow the members' shapes at the rod, among neighbour modes
// and noise. The whole pass is fitted as lug mode fits it: every tap mixed down and decimated in
// the band of +-8 % around the pair, then the poles shared by all taps and each tap's amplitudes,
// then every tap alone (as for a pair too close to part).
constexpr int kPassTaps = 8;

void BM_PairFit48000(benchmark::State& state) {
    static const std::vector<std::vector<std::int16_t>> taps = [] {
        std::vector<std::vector<std::int16_t>> all;
        std::mt19937 random(11);
        std::normal_distribution<double> noise(0.0, 30.0);
        for (int rod = 0; rod < kPassTaps; ++rod) {
            const double theta = 2.0 * M_PI * rod / kPassTaps;
            const double hi = 9000 * std::max(std::cos(theta) * std::cos(theta), 0.03);
            const double lo = 9000 * std::max(std::sin(theta) * std::sin(theta), 0.03);
            std::vector<std::int16_t> s(48000);
            for (int n = 0; n < 48000; ++n) {
                const double t = n / kRateHz;
                const double value = hi * std::exp(-t / 0.4) * std::cos(2 * M_PI * 253.2 * t) +
                                     lo * std::exp(-t / 0.4) * std::cos(2 * M_PI * 251.0 * t + 1) +
                                     10000 * std::exp(-t / 0.3) * std::cos(2 * M_PI * 166.0 * t) +
                                     5000 * std::exp(-t / 0.2) * std::cos(2 * M_PI * 337.0 * t) +
                                     noise(random);
                s[n] = static_cast<std::int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
            }
            all.push_back(std::move(s));
        }
        return all;
    }();
    tomaro::ModePairFit decimator;
    tomaro::HeadModeFit fit;
    std::array<tomaro::Baseband, kPassTaps> basebands;
    std::array<const tomaro::Baseband*, kPassTaps> pointers{};
    for (int i = 0; i < kPassTaps; ++i) pointers[i] = &basebands[i];
    for (auto _ : state) {
        for (int i = 0; i < kPassTaps; ++i) {
            tomaro::SampleSource source;
            source.native = taps[i].data();
            source.frameCount = static_cast<int>(taps[i].size());
            decimator.baseband(source, kRateHz, 0, 48000, 232.0, 272.0, basebands[i]);
        }
        const auto& modes = fit.fit(pointers, 232.0, 272.0);
        benchmark::DoNotOptimize(modes.count);
        // A pair the fit over all taps cannot part is fitted again tap by tap, each tap's own
        // member showing the split by its swing around the head: the dearest pass.
        for (int i = 0; i < kPassTaps; ++i) {
            const auto& own = fit.fit(std::span(&pointers[i], 1), 232.0, 272.0);
            benchmark::DoNotOptimize(own.count);
        }
    }
}

BENCHMARK(BM_Transform65536)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_Fftw65536)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_Analysis48000Decay)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_Analysis48000NoDecay)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_Analysis14400Decay)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_QualityAndTrack48000)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_PairFit48000)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

// The console output as usual, keeping the median CPU time of every benchmark on the side.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_Medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "ratio NAME = X" for a / (b * times) when both medians exist.
    void printRatio(const char* name, const std::string& a, const std::string& b,
                    int times = 1) const {
        auto x = m_Medians.find(a), y = m_Medians.find(b);
        if (x == m_Medians.end() || y == m_Medians.end() || !(y->second > 0)) return;
        std::printf("ratio %s = %.1f\n", name, x->second / (y->second * times));
    }

private:
    std::map<std::string, double> m_Medians;
};

}  // namespace

void printHistoryLine();  // HistoryBench.cpp

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    reporter.printRatio("transform/fftw", "BM_Transform65536", "BM_Fftw65536");
    reporter.printRatio("analysis48000/fftw", "BM_Analysis48000Decay", "BM_Fftw65536");
    reporter.printRatio("quality+track/analysis48000", "BM_QualityAndTrack48000",
                        "BM_Analysis48000Decay");
    // A whole pass's fit against one analysis per tap of the pass.
    reporter.printRatio("pair-fit/analysis48000", "BM_PairFit48000", "BM_Analysis48000Decay",
                        kPassTaps);
    printHistoryLine();
    benchmark::Shutdown();
    return 0;
}
