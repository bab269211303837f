#include "analysis/ModePairFit.h"

#include <cmath>

namespace tomaro {
double ModePair::splitCents() const {
    return count == 2 ? 1200.0 * std::log2(hi.frequencyHz / lo.frequencyHz) : 0.0;
}
double ModePair::meanHz() const {
    if (count == 2) return std::sqrt(lo.frequencyHz * hi.frequencyHz);
    return count == 1 ? lo.frequencyHz : 0.0;
}
ModePairFit::ModePairFit() = default;
const ModePair& ModePairFit::fit(const SampleSource&, double, int, int, double, double) {
    m_Result = {};
    return m_Result;
}
}  // namespace tomaro
