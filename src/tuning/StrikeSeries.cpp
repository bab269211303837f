#include "tuning/StrikeSeries.h"

#include <algorithm>
#include <cmath>

#include "base/Cents.h"
#include "base/Median.h"

namespace tomaro {

bool StrikeSeries::add(double frequencyHz) {
    if (!(std::isfinite(frequencyHz) && frequencyHz > 0.0)) return false;
    const bool startsNew =
        m_Count == 0 || std::fabs(centsBetween(m_State.medianHz, frequencyHz)) > kJoinCents;
    if (startsNew) {
        m_First = 0;
        m_Count = 0;
    }
    if (m_Count < kCapacity) {
        m_Hz[(m_First + m_Count) % kCapacity] = frequencyHz;
        ++m_Count;
    } else {
        m_Hz[m_First] = frequencyHz;  // the oldest strike goes
        m_First = (m_First + 1) % kCapacity;
    }
    recompute(startsNew);
    return startsNew;
}

void StrikeSeries::clear() {
    m_First = 0;
    m_Count = 0;
    m_State = SeriesState();
}

void StrikeSeries::recompute(bool startedNew) {
    std::array<double, kCapacity> values{};
    for (int i = 0; i < m_Count; ++i) values[i] = at(i);
    m_State.count = m_Count;
    m_State.medianHz = median(std::span(values.data(), static_cast<std::size_t>(m_Count)));
    for (int i = 0; i < m_Count; ++i) values[i] = std::fabs(centsBetween(m_State.medianHz, at(i)));
    // With few strikes the median deviation can hide one strike far off (three strikes, one
    // 12 cents flat, spread 0): every strike must then lie within the stable spread.
    const double largestCents = *std::max_element(values.begin(), values.begin() + m_Count);
    m_State.spreadCents = median(std::span(values.data(), static_cast<std::size_t>(m_Count)));
    m_State.stable = m_Count >= kStableCount && m_State.spreadCents <= kStableSpreadCents &&
                     (m_Count >= kRobustCount || largestCents <= kStableSpreadCents);
    m_State.startedNew = startedNew;
}

}  // namespace tomaro
