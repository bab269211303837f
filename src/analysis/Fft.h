#pragma once

#include <complex>
#include <memory>

namespace tomaro {

// In-place forward complex DFT of a power-of-two count of points, scaled by 1/count, output in
// natural order: X[k] = (1/count) * sum x[n] e^(-2 pi i n k / count).
//
// Radix-2 decimation in frequency. The twiddles of each stage come from the two-term recurrence
// w <- w * e^(i theta) (alpha = -2 sin^2(theta/2), beta = sin theta, one sine pair per stage),
// all butterfly and twiddle arithmetic is done in long double and every element is stored back
// as double after each stage, then scaled and put in natural order by a bit-reversal pass. The
// result is the same, bit for bit, as running the butterflies twiddle by twiddle; the loops only
// visit memory in a friendlier order.
//
// The object holds a twiddle table sized once for kMaxCount; transform() never allocates.
// Not thread-safe (the table is scratch space): one Fft per thread, in practice the UI thread.
class Fft {
public:
    static constexpr int kMaxCount = 65536;

    Fft();
    ~Fft();
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;

    // `count` must be a power of two in 1..kMaxCount; other counts leave `data` untouched and
    // return false.
    bool transform(std::complex<double>* data, int count);

private:
    struct Twiddle {
        long double re;
        long double im;
    };
    std::unique_ptr<Twiddle[]> m_Table;  // kMaxCount / 2 entries, rebuilt per stage
};

}  // namespace tomaro
