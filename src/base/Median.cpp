#include "base/Median.h"

#include <algorithm>

namespace tomaro {

double median(std::span<double> values, EvenMedian even) {
    if (values.empty()) return 0.0;
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + middle, values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1 || even == EvenMedian::Upper) return upper;
    // nth_element leaves every value below the middle one before it: the largest of them is the
    // lower middle value.
    const double lower = *std::max_element(values.begin(), values.begin() + middle);
    return (lower + upper) / 2.0;
}

}  // namespace tomaro
