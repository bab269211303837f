// The tuning history: storing one reading (its own transaction), and opening a file of 100,000
// readings to read one drum's last 1000. Files go to the temporary folder and are removed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "history/HistoryStore.h"

namespace {

namespace fs = std::filesystem;
using tomaro::history::HistoryStore;
using tomaro::history::Reading;

constexpr int kLargeCount = 100000;
const char* const kDrums[] = {"10\"", "12\"", "14\"", "16\"", "Малый", "Бочка"};

std::string benchFile(const char* name) {
    const fs::path path =
        fs::temp_directory_path() / ("tomaro-bench-" + std::to_string(::getpid()) + "-" + name);
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path.string() + suffix);
    return path.string();
}

void removeFile(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
}

Reading reading(int i) {
    Reading r;
    r.drum = kDrums[i % 6];
    r.frequencyHz = 100.0 + (i % 50);
    r.timeMs = 1'700'000'000'000 + i * 1000LL;
    r.verdict = "good";
    r.toleranceCents = 5;
    r.targetHz = 110.0;
    return r;
}

// A file of 100,000 readings of six drums, made once.
const std::string& largeFile() {
    static const std::string path = [] {
        const std::string file = benchFile("large.sqlite");
        HistoryStore store(file);
        std::vector<Reading> all;
        for (int i = 0; i < kLargeCount; ++i) all.push_back(reading(i));
        store.addReadings(all);
        return file;
    }();
    return path;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void BM_HistoryInsertReading(benchmark::State& state) {
    const std::string file = benchFile("insert.sqlite");
    {
        HistoryStore store(file);
        int i = 0;
        for (auto _ : state) benchmark::DoNotOptimize(store.addReading(reading(i++)));
    }
    removeFile(file);
}

void BM_HistoryOpenAndQuery100k(benchmark::State& state) {
    const std::string& file = largeFile();
    for (auto _ : state) {
        HistoryStore store(file);
        benchmark::DoNotOptimize(store.readings({std::string("12\""), std::nullopt, 1000}).size());
    }
}

BENCHMARK(BM_HistoryInsertReading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryOpenAndQuery100k)->Unit(benchmark::kMillisecond);

}  // namespace

// "history: insert N readings = X ms, query a drum's last 1000 = Y ms", then opening the
// 100,000-reading file and that query together.
void printHistoryLine() {
    constexpr int kInserts = 2000;
    const std::string file = benchFile("line.sqlite");
    double insertMs = 0.0;
    {
        HistoryStore store(file);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kInserts; ++i) store.addReading(reading(i));
        insertMs = msSince(start);
    }
    removeFile(file);
    const auto openStart = std::chrono::steady_clock::now();
    HistoryStore store(largeFile());
    const double openMs = msSince(openStart);
    const auto queryStart = std::chrono::steady_clock::now();
    const std::size_t found = store.readings({std::string("12\""), std::nullopt, 1000}).size();
    const double queryMs = msSince(queryStart);
    std::printf(
        "history: insert %d readings = %.1f ms (%.3f ms each), query a drum's last %zu = "
        "%.2f ms\n",
        kInserts, insertMs, insertMs / kInserts, found, queryMs);
    std::printf("history: open a %d-reading file = %.2f ms, open and query = %.2f ms\n",
                kLargeCount, openMs, openMs + queryMs);
    removeFile(largeFile());
}
