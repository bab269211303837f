#pragma once

namespace tomaro {

struct SampleSource;

// One decaying sinusoid of a fitted pair.
struct ModeMember {
    double frequencyHz = 0.0;
    double levelDb = -200.0;   // initial amplitude, dB re 16-bit full scale (20 log10(A / 32768))
    double decayPerSec = 0.0;  // > 0: dies away as exp(-decayPerSec * t)
    double snrDb = 0.0;        // the member's level over the noise in the band, dB
};

// What one tap shows of a mode in a band: nothing, one member, or a resolved pair.
struct ModePair {
    int count = 0;  // 0: no member in the band; 1: one (in lo, hi == lo); 2: a pair, lo < hi
    ModeMember lo, hi;
    double noiseDb = -200.0;
    double splitCents() const;
    double meanHz() const;
};

class ModePairFit {
public:
    static constexpr double kMinSplitCents = 5.0;
    ModePairFit();
    const ModePair& fit(const SampleSource& source, double sampleRateHz, int start, int end,
                        double loHz, double hiHz);
    const ModePair& result() const { return m_Result; }

private:
    ModePair m_Result;
};

}  // namespace tomaro
