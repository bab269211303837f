#include "tuning/ReadoutText.h"

#include <cmath>

#include "kit/DrumTypes.h"
#include "kit/Notes.h"
#include "kit/NumberFormat.h"
#include "settings/Language.h"

namespace tomaro::readout {
namespace {

// Keeps both the octave and the pitch class non-negative for any audible frequency.
constexpr long long kOctaveOffset = 12000;

}  // namespace

std::string numberText(double value) {
    int decimals = value < 50.0 ? 2 : (value < 500.0 ? 1 : 0);
    return numbers::trimZeros(numbers::fixed(value, decimals));
}

std::string noteText(double frequencyHz, bool withDeviation, bool latin) {
    // Measured from A rather than from middle C, so every A is exactly a whole note and shows +0.
    double semitones = frequencyHz > 0.0 ? 12.0 * std::log2(frequencyHz / 440.0) + 9.0 : 0.0;
    return noteTextForSemitones(semitones, withDeviation, latin);
}

std::string noteTextForSemitones(double semitones, bool withDeviation, bool latin) {
    if (!std::isfinite(semitones)) semitones = 0.0;
    latin = latin || inEnglish();
    double rounded = std::floor(semitones + 0.5);
    // Beyond this no frequency a double can hold; the clamp only keeps the integer maths defined.
    rounded = std::fmax(-1e6, std::fmin(1e6, rounded));
    long long shifted = static_cast<long long>(rounded) + kOctaveOffset;
    long long octave = shifted >= 0 ? shifted / 12 : -((11 - shifted) / 12);
    int pitchClass = static_cast<int>(shifted - octave * 12);
    double cents = (semitones - rounded) * 100.0;
    // A rounding error of the logarithm must not show an exact note as "-0"; a note really a
    // little flat still does.
    if (std::fabs(cents) < 1e-6) cents = 0.0;
    const std::string deviation = numbers::signedWhole(cents);
    std::string name(notes::pitchClassName(pitchClass, latin));
    if (latin) {
        std::string text = std::to_string(octave - 996) + " " + name;
        if (withDeviation) text += "  " + deviation + pick(" %", " ¢");
        return text;
    }
    std::string text = std::to_string(octave - 999) + ", " + name;
    if (withDeviation) text += " " + deviation + " %";
    return text;
}

std::string referenceOwner(int kind, const std::string& drumName) {
    const char* prefix = "";
    if (kind == 1) prefix = pick("обер Пл1 ", "batter overtone ");
    if (kind == 2) prefix = pick("обер Пл2 ", "resonant overtone ");
    return prefix + drums::shownName(drumName);
}

}  // namespace tomaro::readout
