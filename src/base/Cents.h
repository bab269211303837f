#pragma once

#include <cmath>

namespace tomaro {

// How far `toHz` lies above `fromHz`, in cents (hundredths of an equal-tempered semitone):
// 1200 log2(toHz / fromHz). The reading goes second: centsBetween(targetHz, measuredHz) is
// positive for a reading sharp of its target, centsBetween(loHz, hiHz) positive for a split, and
// centsBetween(firstHz, laterHz) positive for a rise. Both frequencies in Hz (or both in one
// other unit of frequency) and above 0 for a finite result: 0 or below gives an infinity or NaN,
// which callers that may see one check for. Pure; any thread.
inline double centsBetween(double fromHz, double toHz) { return 1200.0 * std::log2(toHz / fromHz); }

}  // namespace tomaro
