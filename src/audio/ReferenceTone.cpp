#include "audio/ReferenceTone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tomaro {

void makeReferenceTone(double frequencyHz, double sampleRateHz, std::span<std::int16_t> samples) {
    constexpr double kAmplitude = 16384.0;
    constexpr double kAttackSec = 0.005;
    constexpr double kDecaySec = 0.35;
    constexpr double kReleaseSec = 0.02;
    const double lengthSec = static_cast<double>(samples.size()) / sampleRateHz;
    const bool valid = std::isfinite(frequencyHz) && frequencyHz > 0.0 && sampleRateHz > 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!valid) {
            samples[i] = 0;
            continue;
        }
        const double t = static_cast<double>(i) / sampleRateHz;
        const double envelope = std::min(1.0, t / kAttackSec) *
                                std::min(1.0, (lengthSec - t) / kReleaseSec) *
                                std::exp(-t / kDecaySec);
        const double value =
            kAmplitude * envelope * std::sin(2.0 * std::numbers::pi * frequencyHz * t);
        samples[i] = static_cast<std::int16_t>(std::lround(value));
    }
}

}  // namespace tomaro
