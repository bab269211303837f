#include "analysis/Window.h"

#include <cmath>

namespace tomaro {

double windowWeight(int kind, int j, int length) {
    if (kind == static_cast<int>(WindowKind::Rectangular)) return 1.0;
    const double k = kind == static_cast<int>(WindowKind::Gauss3) ? 3.0 : 1.0;
    const double x = 2.0 * std::fabs(static_cast<double>(j) / static_cast<double>(length) - 0.5);
    return std::exp(-k * x * x) - std::exp(-k);
}

}  // namespace tomaro
