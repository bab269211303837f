#pragma once

#include <array>
#include <memory>
#include <span>

namespace tomaro {

struct SampleSource;

// One short fit along the strike.
struct PitchPoint {
    double timeSec = 0.0;      // centre of the fit's window, from the strike front
    double frequencyHz = 0.0;  // the fitted frequency
    double snrDb = 0.0;        // the fitted tone against the rest of the window
    bool valid = false;        // a finite fit near the seed with the tone above the rest
};

// The frequency along a strike: short sliding fits (40 ms windows, or four periods of the seed
// when longer, every 10 ms) from the strike front to the end of the record, at most 1 s of it,
// each the analysis's own fit (the window kind of the analysis, a linear fit at the main
// frequency, then Gauss-Newton passes of the decaying model). It shows the glide after the hit
// and where the pitch settles.
//
// The buffers are allocated by the constructor; compute() never touches the heap. User-interface
// thread only (the source must not be written meanwhile).
class PitchTrack {
public:
    static constexpr double kWindowSec = 0.04;
    static constexpr double kHopSec = 0.01;
    static constexpr double kSpanSec = 1.0;
    static constexpr int kMaxPoints = 101;
    static constexpr int kMaxWindow = 48000;  // samples of one window, at most
    // A point is valid when its fit lies within this factor of the seed and its tone carries more
    // energy than the rest of its window.
    static constexpr double kMaxDeviation = 1.25;
    static constexpr double kMinSnrDb = 0.0;

    PitchTrack();
    ~PitchTrack();
    PitchTrack(const PitchTrack&) = delete;
    PitchTrack& operator=(const PitchTrack&) = delete;

    // Fits along frames [frontIndex, frameCount) of `source`, seeded by `seedHz` (the main
    // frequency); nothing when the seed or the rate is not usable.
    void compute(const SampleSource& source, double sampleRateHz, int frontIndex, double seedHz,
                 int windowKind);
    void clear() { m_Count = 0; }

    std::span<const PitchPoint> points() const {
        return {m_Points.data(), m_Points.data() + m_Count};
    }

private:
    std::array<PitchPoint, kMaxPoints> m_Points{};
    int m_Count = 0;
    std::unique_ptr<double[]> m_Samples;
    std::unique_ptr<double[]> m_Weights;
    int m_WeightsKind = -1;
    int m_WeightsLength = -1;
};

}  // namespace tomaro
