#pragma once

#include <string>

// Texts of the read-out, shared by the main window, the large-note window and the spectrum plot.
// Numbers always use a decimal point. Pure functions, any thread.
namespace tomaro::readout {

// A frequency as shown everywhere: "%0.2f" below 50, "%0.1f" below 500, else "%0.0f", then
// trailing zeros after the point and a bare point removed (123.40 -> "123.4", 49.999 -> "50").
std::string numberText(double value);

// The note nearest to frequencyHz with its octave, and with the deviation from it in hundredths
// of a semitone when asked. Russian: "%d, %s %+0.0f %%" / "%d, %s" with octave 1 holding middle C
// ("1, Ля +0 %"); Latin: "%d %s  %+0.0f %%" / "%d %s" with scientific octaves ("4 A  +0 %").
// A deviation that rounds to zero always shows as "+0". A frequency of 0 or less names middle C.
// In English the Latin form is always used and the deviation reads in cents: "4 A  +0 ¢".
std::string noteText(double frequencyHz, bool withDeviation, bool latin);

// The same for a position given in semitones above middle C (261.6256 Hz); the note is
// floor(semitones + 0.5), so a position half-way between two notes names the upper one, -50.
std::string noteTextForSemitones(double semitones, bool withDeviation, bool latin);

// The owner of a reference as the read-out names it: the drum's shown name (drums::shownName),
// after "обер Пл1 " / "обер Пл2 " for the overtone of the batter / resonant head (kind 1 / 2).
std::string referenceOwner(int kind, const std::string& drumName);

}  // namespace tomaro::readout
