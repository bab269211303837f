#include "analysis/Fft.h"

#include <cmath>

namespace tomaro {
namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// Stages with at most this many groups run twiddle by twiddle with the recurrence inline: each
// twiddle touches few, far apart runs of memory that the caches follow well. Stages with more
// groups first write the stage's twiddles into the table (by the same recurrence, so the same
// values) and then sweep the groups in memory order.
constexpr int kInlineGroups = 8;

struct StageStep {
    long double alpha;
    long double beta;
};

StageStep stageStep(int half) {
    const long double theta = -kPi / static_cast<long double>(half);
    const long double s = std::sin(theta / 2.0L);
    return {-2.0L * s * s, std::sin(theta)};
}

// One butterfly: x[g] = u + v, x[g + h] = (u - v) * (wr + i wi), in long double.
inline void butterfly(double* top, double* bottom, long double wr, long double wi) {
    const long double ur = top[0], ui = top[1];
    const long double vr = bottom[0], vi = bottom[1];
    top[0] = static_cast<double>(ur + vr);
    top[1] = static_cast<double>(ui + vi);
    const long double dr = ur - vr, di = ui - vi;
    bottom[0] = static_cast<double>(dr * wr - di * wi);
    bottom[1] = static_cast<double>(dr * wi + di * wr);
}

}  // namespace

Fft::Fft() : m_Table(new Twiddle[kMaxCount / 2]) {}
Fft::~Fft() = default;

bool Fft::transform(std::complex<double>* data, int count) {
    if (count < 1 || count > kMaxCount || (count & (count - 1)) != 0) return false;
    // std::complex<double> is laid out as double[2] (real, imaginary).
    double* x = reinterpret_cast<double*>(data);

    for (int span = count; span >= 2; span /= 2) {
        const int half = span / 2;
        const int groups = count / span;
        const StageStep step = stageStep(half);
        long double wr = 1.0L, wi = 0.0L;
        if (groups <= kInlineGroups) {
            for (int i = 0; i < half; ++i) {
                for (int g = i; g < count; g += span) {
                    butterfly(x + 2 * g, x + 2 * (g + half), wr, wi);
                }
                const long double nextWi = wi * (step.alpha + 1.0L) + step.beta * wr;
                wr = wr + step.alpha * wr - step.beta * wi;
                wi = nextWi;
            }
        } else {
            Twiddle* table = m_Table.get();
            for (int i = 0; i < half; ++i) {
                table[i] = {wr, wi};
                const long double nextWi = wi * (step.alpha + 1.0L) + step.beta * wr;
                wr = wr + step.alpha * wr - step.beta * wi;
                wi = nextWi;
            }
            for (int g = 0; g < count; g += span) {
                double* top = x + 2 * g;
                double* bottom = x + 2 * (g + half);
                for (int i = 0; i < half; ++i) {
                    butterfly(top + 2 * i, bottom + 2 * i, table[i].re, table[i].im);
                }
            }
        }
    }

    // Scaling by 1/count (a power of two, so exact in double as in long double) and the
    // bit-reversal reordering in one pass.
    const double scale = 1.0 / static_cast<double>(count);
    int rev = 0;
    for (int i = 0; i < count; ++i) {
        if (i < rev) {
            std::complex<double> t = data[i];
            data[i] = data[rev] * scale;
            data[rev] = t * scale;
        } else if (i == rev) {
            data[i] *= scale;
        }
        int bit = count / 2;
        while (bit >= 1 && (rev & bit) != 0) {
            rev &= ~bit;
            bit /= 2;
        }
        rev |= bit;
    }
    return true;
}

}  // namespace tomaro
