#pragma once

namespace tomaro {

// Solves A x = b by Gaussian elimination with partial pivoting (on equal magnitudes the earlier
// row stays the pivot), then back substitution. `a` holds n rows of n coefficients with a row
// stride of `stride` doubles (stride >= n); `a` and `b` are overwritten, `x` receives n values.
// There is no test for a zero pivot: a singular system yields infinities or NaNs, which callers
// detect by checking that the solution is finite. No allocation; any thread.
void solveLinear(double* a, int n, int stride, double* b, double* x);

// True when all n values are finite.
bool allFinite(const double* values, int n);

}  // namespace tomaro
