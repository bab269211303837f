#include "analysis/LinearSolver.h"

#include <cmath>
#include <utility>

namespace tomaro {

void solveLinear(double* a, int n, int stride, double* b, double* x) {
    for (int i = 0; i < n; ++i) {
        int pivot = i;
        double best = std::fabs(a[i * stride + i]);
        for (int row = i + 1; row < n; ++row) {
            const double magnitude = std::fabs(a[row * stride + i]);
            if (magnitude > best) {
                best = magnitude;
                pivot = row;
            }
        }
        if (pivot != i) {
            for (int t = i; t < n; ++t) std::swap(a[i * stride + t], a[pivot * stride + t]);
            std::swap(b[i], b[pivot]);
        }
        for (int j = i + 1; j < n; ++j) {
            const double m = -a[j * stride + i] / a[i * stride + i];
            a[j * stride + i] = 0.0;
            for (int t = i + 1; t < n; ++t) a[j * stride + t] += m * a[i * stride + t];
            b[j] += m * b[i];
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = b[i];
        for (int t = i + 1; t < n; ++t) sum -= a[i * stride + t] * x[t];
        x[i] = sum / a[i * stride + i];
    }
}

bool allFinite(const double* values, int n) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

}  // namespace tomaro
