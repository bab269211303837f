#pragma once

#include <cstdint>
#include <span>

namespace tomaro {

// The reference tone of the tuning view: a sine at the target frequency at half of full scale
// that starts in 5 ms and dies away as a drum does (time constant 0.35 s: about 25 dB down after
// one second; the last 20 ms fade to silence, so the end does not click). Fills all of `samples`
// at `sampleRateHz`; a frequency that is not finite or not above 0 gives silence. No allocation,
// any thread.
void makeReferenceTone(double frequencyHz, double sampleRateHz, std::span<std::int16_t> samples);

}  // namespace tomaro
