#pragma once

#include <cmath>

namespace tomaro::test {

// One decaying partial of a strike: amplitude * e^(-t / tauSec) * cos(2 pi hz t + phaseRad), t in
// seconds from the hit; amplitude in 16-bit sample units.
struct Tone {
    static constexpr double kTwoPi = 6.283185307179586476925286766559;

    double hz = 0.0;
    double amplitude = 0.0;
    double tauSec = 0.3;
    double phaseRad = 0.0;

    double at(double t) const {
        return amplitude * std::exp(-t / tauSec) * std::cos(kTwoPi * hz * t + phaseRad);
    }
};

}  // namespace tomaro::test
