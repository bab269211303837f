#pragma once

#include <array>

namespace tomaro {

// What the series shows after a strike.
struct SeriesState {
    int count = 0;             // strikes in the series, 0..8
    double medianHz = 0.0;     // median frequency of its strikes (0 when empty)
    double spreadCents = 0.0;  // median absolute deviation from the median, in cents
    // At least 3 strikes within a spread of 3 cents; below 5 strikes every one of them within
    // 3 cents of the median.
    bool stable = false;
    bool startedNew = false;  // the last accepted strike began this series
};

// The running series of strikes of one drum while it is tuned: the same drum struck again and
// again until a rod is turned. An accepted strike within +-25 cents of the series' median joins
// it; one further away begins a new series (the pitch was changed). Only the last 8 strikes
// count. Rejected strikes never join. Plain value type without heap memory; user-interface
// thread only.
class StrikeSeries {
public:
    static constexpr int kCapacity = 8;
    static constexpr double kJoinCents = 25.0;
    static constexpr int kStableCount = 3;
    static constexpr double kStableSpreadCents = 3.0;
    static constexpr int kRobustCount = 5;  // from here the median deviation alone judges

    // An accepted strike at `frequencyHz` (finite and > 0; others are ignored and return false).
    // Returns true when it began a new series.
    bool add(double frequencyHz);
    void clear();

    const SeriesState& state() const { return m_State; }
    int count() const { return m_Count; }
    // The strikes in order, oldest first.
    double at(int index) const { return m_Hz[(m_First + index) % kCapacity]; }

private:
    void recompute(bool startedNew);

    std::array<double, kCapacity> m_Hz{};
    int m_First = 0;
    int m_Count = 0;
    SeriesState m_State;
};

}  // namespace tomaro
