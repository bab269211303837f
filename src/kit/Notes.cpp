#include "kit/Notes.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "kit/NumberFormat.h"
#include "settings/Language.h"

namespace tomaro::notes {
namespace {

// The offset keeps the division and remainder non-negative for every note a user can reach.
constexpr int kOctaveOffset = 12000;

constexpr std::array<std::string_view, 12> kRussianNames = {
    "До", "До#", "Ре", "Ре#", "Ми", "Фа", "Фа#", "Cоль", "Cоль#", "Ля", "Ля#", "Си"};
constexpr std::array<std::string_view, 12> kLatinNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<std::string_view, 13> kIntervalNames = {"",
                                                             ", малая секунда",
                                                             ", большая секунда",
                                                             ", малая терция",
                                                             ", большая терция",
                                                             ", чистая кварта",
                                                             ", тритон",
                                                             ", чистая квинта",
                                                             ", малая секста",
                                                             ", большая секста",
                                                             ", малая септима",
                                                             ", большая септима",
                                                             ", чистая октава"};

constexpr std::array<std::string_view, 13> kEnglishIntervalNames = {"",
                                                                    ", minor second",
                                                                    ", major second",
                                                                    ", minor third",
                                                                    ", major third",
                                                                    ", perfect fourth",
                                                                    ", tritone",
                                                                    ", perfect fifth",
                                                                    ", minor sixth",
                                                                    ", major sixth",
                                                                    ", minor seventh",
                                                                    ", major seventh",
                                                                    ", octave"};

int floorDiv(int value, int divisor) {
    int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

double frequencyHz(int note) { return 440.0 * std::pow(2.0, (note - 9) * (1.0 / 12.0)); }

std::string_view pitchClassName(int pitchClass, bool latin) {
    int index = ((pitchClass % 12) + 12) % 12;
    return latin ? kLatinNames[index] : kRussianNames[index];
}

std::string name(int note, bool latin) {
    // Floor division keeps the octave right even for notes far below any stored range.
    int shifted = note + kOctaveOffset;
    int octaveBase = floorDiv(shifted, 12);
    int pitchClass = shifted - octaveBase * 12;
    if (latin || inEnglish()) {
        return std::to_string(octaveBase - 996) + " " + std::string(kLatinNames[pitchClass]);
    }
    return "окт " + std::to_string(octaveBase - 999) + ", " +
           std::string(kRussianNames[pitchClass]);
}

std::string_view intervalName(int semitones) {
    long long magnitude = std::llabs(static_cast<long long>(semitones));
    if (magnitude > 12) return {};
    return inEnglish() ? kEnglishIntervalNames[magnitude] : kIntervalNames[magnitude];
}

std::string intervalText(int semitones) {
    return std::to_string(semitones) + std::string(intervalName(semitones));
}

std::string frequencyText(int note) { return numbers::fixed(frequencyHz(note), 2); }

std::string trimmedText(double value, int digits) {
    return numbers::trimZeros(numbers::fixed(value, digits == 3 ? 3 : 2));
}

}  // namespace tomaro::notes
