#pragma once

#include <span>

namespace tomaro {

// Which value stands for the median of an even count of values.
enum class EvenMedian {
    Mean,   // the mean of the two middle values, the usual median
    Upper,  // the upper of the two middle values (index n / 2 once sorted): always one of them
};

// The median of `values`, 0 when there are none. Reorders `values` (a partial sort) rather than
// copying them: pass a copy when the order matters. The values must not be NaN. Allocates
// nothing; any thread.
double median(std::span<double> values, EvenMedian even = EvenMedian::Mean);

}  // namespace tomaro
