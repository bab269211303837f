#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "kit/Kit.h"
#include "settings/MemoryProfile.h"
#include "tuning/Readout.h"
#include "tuning/ReferenceSwitches.h"

namespace tomaro::test {

// Everything the graph widgets look at, as the main window holds it: a strike record, the
// stretch and settings on a memory profile, the analyzer, a kit and the read-out.
struct StrikeScene {
    static constexpr double kPi = 3.14159265358979323846;

    MemoryProfile profile;
    StrikeRecord record;
    Stretch stretch{profile};
    AnalysisSettings settings{profile};
    Analyzer analyzer;
    Kit kit;
    ReferenceSwitches switches;
    Readout readout;

    // A tom struck at the front of a live-style record: a fundamental decaying over a quarter of
    // a second, the drum-head overtones at 1.59, 2.14, 2.30 and 2.65 times it dying faster, a
    // short burst of stick noise and a little room noise. Sample values stay within 16 bits.
    void strikeTom(double fundamentalHz = 112.0, double rateHz = 48000.0) {
        struct Partial {
            double ratio, amplitude, tauSec;
        };
        const Partial partials[] = {
            {1.00, 11000, 0.30}, {1.59, 4200, 0.12}, {2.14, 2600, 0.08},
            {2.30, 1800, 0.06},  {2.65, 1200, 0.05},
        };
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, 1.0);
        record.releaseDirectFile();
        record.buffer.fill(0);
        for (int n = 0; n < kStrikeLength; ++n) {
            double value = 40.0 * noise(random);
            if (n >= kLeadInLength) {
                const double t = (n - kLeadInLength) / rateHz;
                for (const Partial& p : partials) {
                    value += p.amplitude * std::exp(-t / p.tauSec) *
                             std::sin(2.0 * kPi * fundamentalHz * p.ratio * t + p.ratio);
                }
                value += 5000.0 * std::exp(-t / 0.004) * noise(random);
            }
            record.buffer[n] =
                static_cast<std::int16_t>(std::clamp(std::round(value), -32768.0, 32767.0));
        }
        record.sampleCount = kStrikeLength;
        record.startIndex = kLeadInLength;
        record.sampleRateHz = rateHz;
        stretch.setStrike(record);
    }

    // The standard four drums: 10" on D3, 12" on A2 (110 Hz), 16" on E2, the kick on F1, each
    // with a batter-head overtone at 1.59 times its note; the kick is not shown.
    void fourDrumKit() {
        kit.assign({{6, -10, true, 1.59, 0.0},
                    {8, -15, true, 1.59, 0.0},
                    {12, -20, true, 1.59, 0.0},
                    {19, -31, false, 1.59, 0.0}});
    }

    // One analysis pass and the read-out, as after a strike.
    void analyse() {
        analyzer.analyze(record, stretch, settings);
        readout.update(analyzer.result().mainFrequencyHz, kit, switches, false);
    }
};

}  // namespace tomaro::test
