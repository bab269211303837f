#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "audio/StrikeRecord.h"

namespace tomaro::testing {

inline constexpr double kTwoPi = 6.283185307179586476925286766559;

inline std::int16_t toSample(double value) {
    return static_cast<std::int16_t>(std::clamp(std::round(value), -32768.0, 32767.0));
}

// Samples f(t) for t = n / rateHz, n = 0..count-1, rounded and clipped to 16 bits.
inline std::vector<std::int16_t> sampled(int count, double rateHz,
                                         const std::function<double(double)>& f) {
    std::vector<std::int16_t> samples(count);
    for (int n = 0; n < count; ++n) samples[n] = toSample(f(n / rateHz));
    return samples;
}

// A decaying cosine struck at t = 0: amplitude * e^(-t / tau) * cos(2 pi f t + phase).
inline std::function<double(double)> decayingTone(double frequencyHz, double tauSec,
                                                  double amplitude, double phase = 0.3) {
    return [=](double t) {
        return amplitude * std::exp(-t / tauSec) * std::cos(kTwoPi * frequencyHz * t + phase);
    };
}

// White Gaussian noise of the given RMS, from a fixed seed.
inline std::function<double(double)> withNoise(std::function<double(double)> f, double rms,
                                               unsigned seed) {
    auto random = std::make_shared<std::mt19937>(seed);
    auto noise = std::make_shared<std::normal_distribution<double>>(0.0, rms);
    return [=](double t) { return f(t) + (*noise)(*random); };
}

inline SampleSource sourceOf(const std::vector<std::int16_t>& samples) {
    SampleSource source;
    source.native = samples.data();
    source.frameCount = static_cast<int>(samples.size());
    return source;
}

// A live-style strike record: 6000 zero lead-in samples, then f(t) from t = 0 at the front.
inline void fillStrike(StrikeRecord& record, double rateHz,
                       const std::function<double(double)>& f) {
    record.releaseDirectFile();
    record.buffer.fill(0);
    for (int n = kLeadInLength; n < kStrikeLength; ++n) {
        record.buffer[n] = toSample(f((n - kLeadInLength) / rateHz));
    }
    record.sampleCount = kStrikeLength;
    record.startIndex = kLeadInLength;
    record.sampleRateHz = rateHz;
}

}  // namespace tomaro::testing
