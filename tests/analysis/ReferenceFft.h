#pragma once

#include <cmath>
#include <complex>

namespace tomaro::testing {

// The transform written exactly in the prescribed loop order: for each stage, twiddle by twiddle,
// the twiddle advanced by the two-term recurrence after each, every group of that twiddle
// visited in turn; long double arithmetic stored as double; scaled by 1/count after the last
// stage; then the bit-reversal swaps. Slow on purpose: Fft must match it bit for bit.
inline void referenceFft(std::complex<double>* data, int count) {
    const long double pi = 3.141592653589793238462643383279502884L;
    double* x = reinterpret_cast<double*>(data);
    for (int a = count; a >= 2; a /= 2) {
        const int h = a / 2;
        const long double theta = -pi / static_cast<long double>(h);
        const long double s = std::sin(theta / 2.0L);
        const long double alpha = -2.0L * s * s;
        const long double beta = std::sin(theta);
        long double wr = 1.0L, wi = 0.0L;
        for (int i = 0; i < h; ++i) {
            for (int g = i; g < count; g += a) {
                const long double ur = x[2 * g], ui = x[2 * g + 1];
                const long double vr = x[2 * (g + h)], vi = x[2 * (g + h) + 1];
                x[2 * g] = static_cast<double>(ur + vr);
                x[2 * g + 1] = static_cast<double>(ui + vi);
                const long double dr = ur - vr, di = ui - vi;
                x[2 * (g + h)] = static_cast<double>(dr * wr - di * wi);
                x[2 * (g + h) + 1] = static_cast<double>(dr * wi + di * wr);
            }
            const long double nextWi = wi * (alpha + 1.0L) + beta * wr;
            wr = wr + alpha * wr - beta * wi;
            wi = nextWi;
        }
    }
    const long double scale = 1.0L / static_cast<long double>(count);
    for (int i = 0; i < 2 * count; ++i) x[i] = static_cast<double>(x[i] * scale);
    int rev = 0;
    for (int i = 0; i < count - 1; ++i) {
        if (i < rev) std::swap(data[i], data[rev]);
        int bit = count / 2;
        while (rev & bit) {
            rev ^= bit;
            bit /= 2;
        }
        rev |= bit;
    }
}

}  // namespace tomaro::testing
