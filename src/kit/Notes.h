#pragma once

#include <string>
#include <string_view>

// Equal-tempered notes with A = 440 Hz: frequencies, names with octaves, interval names and the
// number texts of the references table. A note number counts semitones from the C of the octave
// that holds A = 440 Hz (0 is that C, 9 is that A); owners keep stored notes within -100..100.
// Texts are UTF-8. Pure functions, any thread.
namespace tomaro::notes {

inline constexpr int kMinNote = -100;
inline constexpr int kMaxNote = 100;

// 440 * 2^((note - 9) / 12) in Hz (the exponent computed as (note - 9) * (1/12)).
double frequencyHz(int note);

// Name of pitch class 0 (C) .. 11 (B). Russian names are "До" .. "Си"; in both "Cоль" entries the
// first letter is the Latin capital C. Out-of-range classes wrap.
std::string_view pitchClassName(int pitchClass, bool latin);

// The note with its octave. Russian: "окт %d, %s" with octave 1 for the octave of middle C
// ("окт 1, Ля" for 9, "окт 0, Си" for -1); Latin: "%d %s" with scientific octave numbers ("4 A").
// In English always Latin.
std::string name(int note, bool latin);

// ", малая секунда" .. ", чистая октава" for 1..12 semitones (the sign is ignored); empty for 0
// and for more than an octave. In English ", minor second" .. ", octave".
std::string_view intervalName(int semitones);

// "%d" of the signed difference followed by its interval name: "-7, чистая квинта", "0".
std::string intervalText(int semitones);

// The frequency column of the references table: "%0.2f" of frequencyHz(note), not trimmed
// ("261.63" for note 0).
std::string frequencyText(int note);

// "%0.3f" of the value when digits is 3, else "%0.2f", with trailing zeros after the point and a
// bare point removed: (440.0, 2) -> "440", (1.5, 3) -> "1.5", (0.125, 3) -> "0.125".
std::string trimmedText(double value, int digits);

}  // namespace tomaro::notes
