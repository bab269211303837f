#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace tomaro::test {

// A stand-in for a drum head whose rim tension is set by its rods, simple enough to check by
// hand. The rods' tensions (relative, 1 = nominal) are read as a pattern around the head by their
// Fourier components c_m; the head's modes answer as the membrane does to first order:
// - every frequency follows the square root of the mean tension c_0;
// - cos 2θ (|c_2|) splits (1,1) into two members, about 9 cents per per cent of pattern, the
//   higher one shaped cos(θ - axis) with the tight axis on its antinodes, the lower sin(θ - axis);
// - cos 4θ (|c_4|, 8 or more rods) splits (2,1) the same way, about 4 cents per per cent;
// - odd patterns (one side tight) change no frequency.
// A tap 2–3 cm in from rod k excites each mode in proportion to its shape there (radial parts of
// the Bessel functions near the rim folded into the levels), with a short stick click, decays per
// mode and white noise.
struct DrumHeadModel {
    int rods = 8;
    std::vector<double> tension;  // per rod, index lug - 1
    double f11Hz = 200.0;         // the (1,1) mode at nominal tension
    double level01 = 0.25;        // the fundamental, nearly still near the rim
    double level11 = 1.0;
    double level21 = 0.7;  // above 1 the tap rings (2,1) loudest
    double level02 = 0.45;
    double level31 = 0.35;
    double snrDb = 40.0;  // the (1,1) level over the noise in a 1 kHz band
    double peak = 12000.0;

    explicit DrumHeadModel(int rodCount, double f11 = 200.0)
        : rods(rodCount), tension(rodCount, 1.0), f11Hz(f11) {}

    static double angleRad(int lug, int count) {
        return 2.0 * std::numbers::pi * (lug - 1) / count;
    }

    // c_m = (1/N) sum t_k e^(-i m θ_k), for m up to N/2 (higher patterns the rods cannot make).
    std::complex<double> component(int m) const {
        std::complex<double> sum;
        if (2 * m > rods) return sum;
        for (int k = 0; k < rods; ++k) {
            sum += tension[k] * std::polar(1.0, -m * angleRad(k + 1, rods));
        }
        return sum / static_cast<double>(rods);
    }
    double meanTension() const { return component(0).real(); }
    // The pattern's relative amplitude P (t = mean (1 + P cos m(θ - axis))) and its tight axis.
    double pattern(int m) const {
        const double scale = (2 * m == rods) ? 1.0 : 2.0;  // the Nyquist pattern is real
        return scale * std::abs(component(m)) / meanTension();
    }
    double axisRad(int m) const { return -std::arg(component(m)) / m; }

    double pairSplitCents11() const { return 900.0 * pattern(2); }
    double pairSplitCents21() const { return 400.0 * pattern(4); }
    double meanHz11() const { return f11Hz * std::sqrt(meanTension()); }

    // Cents of pitch of the even patterns the pitch can see, at rod `lug`: what evening the
    // head must bring to zero (8.656 cents per per cent of tension).
    double visibleCents(int lug) const {
        const double theta = angleRad(lug, rods);
        double cents = 865.6 * pattern(2) * std::cos(2.0 * (theta - axisRad(2)));
        if (rods >= 8) cents += 865.6 * pattern(4) * std::cos(4.0 * (theta - axisRad(4)));
        return cents;
    }
    double visibleSpreadCents() const {
        double lo = 1e9, hi = -1e9;
        for (int lug = 1; lug <= rods; ++lug) {
            lo = std::min(lo, visibleCents(lug));
            hi = std::max(hi, visibleCents(lug));
        }
        return hi - lo;
    }

    // Turns rod `lug` so that its pitch would move by `cents` if every rod moved alike.
    void turn(int lug, double cents) { tension[lug - 1] *= 1.0 + cents / 865.6; }

    // One second of a tap 2–3 cm in from rod `lug`, 16-bit samples at `rateHz`.
    std::vector<std::int16_t> tap(int lug, std::uint32_t seed, double rateHz = 48000.0) const {
        struct Mode {
            double hz, amplitude, tauSec, phase;
        };
        const double theta = angleRad(lug, rods);
        const double scale = std::sqrt(meanTension());
        const double x2 = 0.26 * pattern(2);
        const double x4 = 0.1155 * pattern(4);
        const double a2 = axisRad(2);
        const double a4 = rods >= 8 ? axisRad(4) : 0.0;
        const double f21 = 1.34 * f11Hz * scale;
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
        const Mode modes[] = {
            {0.66 * f11Hz * scale, level01, 0.35, phase(random)},
            {f11Hz * scale * (1.0 + x2), level11 * std::cos(theta - a2), 0.55, phase(random)},
            {f11Hz * scale * (1.0 - x2), level11 * std::sin(theta - a2), 0.55, phase(random)},
            {f21 * (1.0 + x4), level21 * std::cos(2.0 * (theta - a4)), 0.4, phase(random)},
            {f21 * (1.0 - x4), level21 * std::sin(2.0 * (theta - a4)), 0.4, phase(random)},
            {1.44 * f11Hz * scale, level02, 0.25, phase(random)},
            {1.66 * f11Hz * scale, level31, 0.3, phase(random)},
        };
        const int frames = static_cast<int>(rateHz);
        const int lead = static_cast<int>(0.05 * rateHz);
        std::vector<double> signal(frames, 0.0);
        for (int i = lead; i < frames; ++i) {
            const double t = (i - lead) / rateHz;
            double value = 0.0;
            for (const Mode& mode : modes) {
                value += mode.amplitude * std::exp(-t / mode.tauSec) *
                         std::sin(2.0 * std::numbers::pi * mode.hz * t + mode.phase);
            }
            // The stick: a click of about a millisecond.
            if (t < 0.001) value += 0.8 * std::sin(std::numbers::pi * t / 0.001);
            signal[i] = value;
        }
        // White noise at `snrDb` under a (1,1) member of level 1 in a band of 1 kHz.
        const double noiseRms =
            level11 / std::sqrt(2.0) * std::pow(10.0, -snrDb / 20.0) * std::sqrt(rateHz / 2000.0);
        std::normal_distribution<double> noise(0.0, noiseRms);
        double largest = 1e-9;
        for (double& value : signal) {
            value += noise(random);
            largest = std::max(largest, std::abs(value));
        }
        std::vector<std::int16_t> samples(frames);
        for (int i = 0; i < frames; ++i) {
            samples[i] = static_cast<std::int16_t>(std::lround(signal[i] * peak / largest));
        }
        return samples;
    }
};

}  // namespace tomaro::test
