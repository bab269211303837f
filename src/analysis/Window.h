#pragma once

namespace tomaro {

// The analysis window: one weight per sample of the analysed stretch. The spectrum multiplies the
// samples by it and the least-squares fits use it as the weight of each sample, so both see the
// same function.
//
// Kinds, in the order of the main window's combo box: 0 "П - образное" (rectangular, weight 1.0),
// 1 "Гаусс 1/e", 2 "Гаусс 1/e^3". Any other value behaves as kind 1 (the stored index is used as
// it is, whatever the profile holds).
enum class WindowKind : int { Rectangular = 0, Gauss1 = 1, Gauss3 = 2 };

inline constexpr int kDefaultWindowKind = 1;

// Weight of sample j (0 <= j < length) of a stretch of `length` samples.
// Gaussian kinds: with x = 2 * |j / length - 0.5| the weight is exp(-k x^2) - exp(-k), k = 1 for
// "Гаусс 1/e" and 3 for "Гаусс 1/e^3": 0 at j = 0, 1 - e^-k at the middle. Not normalised: fitted
// amplitudes and errors carry this scale. Pure function; any thread.
double windowWeight(int kind, int j, int length);

}  // namespace tomaro
