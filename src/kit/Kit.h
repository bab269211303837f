#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/Profile.h"

namespace tomaro {

// Kinds of reference a drum offers: its fundamental and one overtone per head.
inline constexpr int kFundamental = 0;
inline constexpr int kBatterOvertone = 1;    // "Пл1", the batter (top) head
inline constexpr int kResonantOvertone = 2;  // "Пл2", the resonant (bottom) head
inline constexpr int kReferenceKindCount = 3;

// An overtone value means, by its range (bounds excluded): 0.05 < v < 10 a coefficient on the
// drum's note frequency, 20 < v < 2000 a frequency in Hz, anything else no reference.
namespace overtones {

bool isCoefficient(double value);
bool isFrequency(double value);
// The overtone's frequency in Hz for a drum whose note sounds at fundamentalHz; 0 when none.
double referenceHz(double value, double fundamentalHz);
// A value as the settings store keeps it: thousandths, truncated toward zero. A product that
// lies within rounding error of a whole thousandth counts as that thousandth, so 1.001 stays
// 1001 and a value read back is saved unchanged; values that do not fit an int (or are not
// finite) are stored as 0, i.e. none.
int toStored(double value);
double fromStored(int thousandths);
// fromStored(toStored(value)): the value as it will read back.
double quantized(double value);

}  // namespace overtones

// One position of the kit.
struct KitDrum {
    int type = 0;            // drum type 0..19 (kit/DrumTypes.h)
    int note = 0;            // reference note of the fundamental, -100..100 (kit/Notes.h)
    bool shown = true;       // shown on the spectrum and searched for the nearest reference
    double overtone1 = 0.0;  // batter head: coefficient, Hz or none (see overtones)
    double overtone2 = 0.0;  // resonant head
};

// The user's drum kit and its references, as kept in section "CDlgPresets": per position the
// note, show flag and both overtones, plus the display options of the references dialog and one
// free reference frequency that belongs to no drum. The main window owns one Kit; the references
// dialog edits it through KitEditor, which holds the editing rules. User-interface thread only.
class Kit {
public:
    static constexpr const char* kSection = "CDlgPresets";
    static constexpr const char* kLatinNamesKey = "m_IsNotaGadi";
    static constexpr const char* kIntervalModeKey = "m_IsShowOtn";
    static constexpr const char* kReferenceDrumKey = "m_CurrentB_Str";
    static constexpr const char* kSingleReferenceKey = "m_sEtoOne";
    static constexpr int kMaxDrums = 20;

    // Settings keys of one drum, from the stem drums::typeKey(type).
    static std::string noteKey(int type);       // stem + "_m_Notas"
    static std::string shownKey(int type);      // stem + "_m_IsShows"
    static std::string overtone1Key(int type);  // stem + "m_Ober1"
    static std::string overtone2Key(int type);  // stem + "m_Ober2"

    // Builds the kit from the presence flags of KitSelection and reads every value with its
    // default; notes are clamped to -100..100 and the free reference is validated.
    void load(const Profile& profile);
    // Writes the four keys of every position and the free reference text.
    void save(Profile& profile) const;

    // Replaces the positions directly (at most kMaxDrums are kept; notes clamped, overtones
    // quantized as the store would keep them), e.g. for a kit built in code.
    void assign(std::vector<KitDrum> drums);

    int count() const { return static_cast<int>(m_Drums.size()); }
    // Positions are 0..count()-1; other positions are a caller error (checked in debug builds).
    const KitDrum& drum(int position) const;
    std::string drumName(int position) const;
    bool isShown(int position) const { return drum(position).shown; }
    double noteFrequencyHz(int position) const;
    // kind 0: the note frequency; 1, 2: the overtone of that head in Hz, 0 when it has none.
    double referenceHz(int position, int kind) const;

    // The free reference in Hz (20 < f < 2000) or 0 for none, and its text as typed.
    double singleReferenceHz() const { return m_SingleReferenceHz; }
    const std::string& singleReferenceText() const { return m_SingleReferenceText; }

    bool latinNames() const { return m_LatinNames; }
    // Interval column: false = semitones from the reference drum, true = from the previous row.
    bool intervalsFromPrevious() const { return m_IntervalsFromPrevious; }
    // Name of the reference drum as stored (default `10"`) and its position: the first position
    // with that name, else 0.
    const std::string& referenceDrumName() const { return m_ReferenceDrumName; }
    int referencePosition() const;

    // Plain setters, no persistence (KitEditor stores). Positions out of range are ignored.
    void setNote(int position, int note);  // clamped to -100..100
    void setShown(int position, bool shown);
    // Kept exact until the next load; save() truncates them to thousandths.
    void setOvertones(int position, double overtone1, double overtone2);
    void setReferenceDrumName(std::string name) { m_ReferenceDrumName = std::move(name); }
    void setLatinNames(bool latin) { m_LatinNames = latin; }
    void setIntervalsFromPrevious(bool fromPrevious) { m_IntervalsFromPrevious = fromPrevious; }
    // Takes a typed frequency: every ',' becomes '.', the leading number is the value; a value
    // outside 20 < f < 2000 Hz gives none and an empty text.
    void setSingleReferenceText(std::string_view text);

private:
    std::vector<KitDrum> m_Drums;
    bool m_LatinNames = false;
    bool m_IntervalsFromPrevious = false;
    std::string m_ReferenceDrumName = "10\"";
    double m_SingleReferenceHz = 0.0;
    std::string m_SingleReferenceText;
};

}  // namespace tomaro
