#include "analysis/PitchTrack.h"

#include <algorithm>
#include <cmath>

#include "analysis/Analyzer.h"
#include "analysis/Window.h"
#include "audio/StrikeRecord.h"

namespace tomaro {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
// Few passes suffice: each window starts close to its own frequency.
constexpr int kPasses = 4;

}  // namespace

PitchTrack::PitchTrack() : m_Samples(new double[kMaxWindow]), m_Weights(new double[kMaxWindow]) {}

PitchTrack::~PitchTrack() = default;

void PitchTrack::compute(const SampleSource& source, double sampleRateHz, int frontIndex,
                         double seedHz, int windowKind) {
    m_Count = 0;
    if (!(std::isfinite(sampleRateHz) && sampleRateHz > 0.0) ||
        !(std::isfinite(seedHz) && seedHz > 0.0 && seedHz < sampleRateHz / 2.0)) {
        return;
    }
    const double windowSec = std::max(kWindowSec, 4.0 / seedHz);
    const int stride = fitStride(sampleRateHz, seedHz);
    const int frames = static_cast<int>(std::lround(windowSec * sampleRateHz));
    const int window = std::clamp(frames / stride, 8, kMaxWindow);
    const int span = window * stride;  // frames the window covers
    const int hop = std::max(1, static_cast<int>(std::lround(kHopSec * sampleRateHz)));
    const int kind = windowKind == 0 || windowKind == 2 ? windowKind : 1;
    if (kind != m_WeightsKind || window != m_WeightsLength) {
        for (int j = 0; j < window; ++j) m_Weights[j] = windowWeight(kind, j, window);
        m_WeightsKind = kind;
        m_WeightsLength = window;
    }
    const double fitRateHz = sampleRateHz / stride;
    const double seedOmega = kTwoPi * seedHz / fitRateHz;
    const int front = std::max(frontIndex, 0);
    const long long spanEnd = std::min<long long>(
        source.frameCount, front + static_cast<long long>(std::lround(kSpanSec * sampleRateHz)));

    double previousOmega = 0.0;
    for (long long first = front; first + span <= spanEnd && m_Count < kMaxPoints; first += hop) {
        double energy = 0.0;
        for (int j = 0; j < window; ++j) {
            m_Samples[j] = source.at(static_cast<int>(first) + j * stride);
            energy += m_Weights[j] * m_Samples[j] * m_Samples[j];
        }
        // Each window starts from the last valid one's frequency, close to its own.
        const double seed = previousOmega > 0.0 ? previousOmega : seedOmega;
        const ToneFit fit = fitTone(m_Samples.get(), m_Weights.get(), window, seed, kPasses);
        PitchPoint& point = m_Points[m_Count++];
        point.timeSec = (first - front + span / 2.0) / sampleRateHz;
        point.frequencyHz = fit.ok ? fit.frequencyHz(fitRateHz) : 0.0;
        // The tone's share: what the fit explains against what it leaves.
        const double explained = std::max(energy - fit.residualEnergy, 0.0);
        if (!(explained > 0.0)) {
            point.snrDb = -300.0;
        } else {
            point.snrDb = fit.residualEnergy > 0.0
                              ? 10.0 * std::log10(explained / fit.residualEnergy)
                              : 300.0;
        }
        point.valid = fit.ok && point.frequencyHz > seedHz / kMaxDeviation &&
                      point.frequencyHz < seedHz * kMaxDeviation && point.snrDb >= kMinSnrDb;
        previousOmega = point.valid ? fit.omega : 0.0;
    }
}

}  // namespace tomaro
