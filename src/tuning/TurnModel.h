#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/UserMessage.h"
#include "tuning/LugSession.h"

namespace tomaro {

class Profile;

// The fitted head at one rod's angle: what the pitch shows there of the rods' tensions. A turn is
// calibrated from how this changes, never from the rod's own (1,1) reading.
struct HeadAtRod {
    double meanHz = 0.0;         // the head's (1,1) mean (HeadFit::meanHz); 0: no fit
    double pattern2Cents = 0.0;  // the cos 2θ pattern at the rod's angle, cents of rod pitch
    double pattern4Cents = 0.0;  // the cos 4θ pattern there (hasPattern4 only)
    bool hasPattern4 = false;
};

// How far a turn of the drum key moves one rod, learnt from the drummer's own turns. After a
// rod's advice the drummer marks the turn made (⅛, ¼, ½: in eighths of a turn); the head fitted
// after that rod's next tap gives cents per turn.
//
// The units: a turn changes the rod's own tension, and the advice is in that rod's own cents of
// pitch. The pitch sees only the head's even patterns, so the fitted head at the rod's angle
// moves by visibleShare() of the rod's own change (about half on 6, 8 and 10 rods): cents per
// turn = |change of the fitted head at the rod| / share / turns. Other rods turned between the
// mark and the tap would add their own share: the drummer turns only the marked rod.
//
// From the first calibration on, an advice of C cents reads as C / (cents per turn) turns, to the
// nearest eighth; with two or more calibrations the figure is their median, so that one clumsy
// turn does not spoil it. Plain value type, one per drum and head, no Qt; any one thread.
class TurnModel {
public:
    static constexpr int kMaxCalibrations = 9;  // the latest are kept
    // A change below this after a marked turn says the tap missed the turn (or the rod was not
    // turned): no calibration. Above the upper bound the tap rang another mode.
    static constexpr double kMinCentsPerTurn = 8.0;
    static constexpr double kMaxCentsPerTurn = 2400.0;

    // The share of one rod's own change of pitch that the fitted head shows at that rod's angle,
    // for `count` rods (4..16): a single rod's change δ has Fourier components δ/N (mean), 2δ/N
    // for each harmonic 0 < m < N/2 and δ/N at m = N/2; the fit sees the mean, cos 2θ and, with
    // `hasPattern4`, cos 4θ. 0.5 on 6, 8 (with cos 4θ) and 10 rods; 0 for a count outside 4..16.
    static double visibleShare(int count, bool hasPattern4);
    // The fitted head at rod `lug` (1..count) of `count` rods.
    static HeadAtRod headAt(const HeadFit& fit, int lug, int count);
    // Cents the fitted head moved at one rod from `before` to `after`: the mean's change plus the
    // patterns' (cos 4θ only when both fits have it).
    static double changeCents(const HeadAtRod& before, const HeadAtRod& after);

    // The drummer turned rod `lug` of `count` rods by `eighths` eighths of a turn (1..16) after
    // its advice; `fit` is the head as fitted at that moment (three rods measured at least) and
    // `readingHz` (> 0) the rod's reading then. A later mark replaces a pending one; an unusable
    // mark is ignored (false).
    bool markTurn(int lug, int count, const HeadFit& fit, double readingHz, int eighths);
    bool pending() const { return m_Pending.lug > 0; }
    int pendingLug() const { return m_Pending.lug; }
    int pendingEighths() const { return m_Pending.eighths; }
    void cancelPending() { m_Pending = {}; }

    // The head refitted after a reading of rod `lug` (`readingHz`, with `count` rods). The rod
    // with a pending mark gives a calibration (true when one was added) once its reading differs
    // from the one at the mark (the same reading is the tap the mark was made after); taps of
    // other rods, or another count of rods, leave the mark waiting.
    bool tapped(int lug, int count, const HeadFit& fit, double readingHz);

    // Adds a figure directly (restoring, or a test's rod).
    void addCalibration(double centsPerTurn);
    const std::vector<double>& calibrations() const { return m_CentsPerTurn; }
    bool calibrated() const { return !m_CentsPerTurn.empty(); }
    // The median of the calibrations; 0 while there are none.
    double centsPerTurn() const;
    // The turn for a change of `cents` (either sign) in eighths of a turn, rounded to the nearest;
    // 0 while not calibrated or when less than a sixteenth of a turn.
    int eighthsFor(double cents) const;
    // The same turn in degrees of the key (360 a turn) to the nearest kDegreeStep, 0 while not
    // calibrated: an eighth is 45 degrees, too coarse for a small advice (0.3 turn shown as a
    // quarter is 17 % short before the hand's own error), so the advice gives both.
    static constexpr int kDegreeStep = 5;
    int degreesFor(double cents) const;
    // The advice's turn for a change of `cents` as the drummer reads it: the eighths and the
    // degrees (turns::adviceText); empty while not calibrated.
    std::string adviceText(double cents) const;

    // Forgets every calibration and the pending mark ("Забыть").
    void forget();

    // As stored: the calibrations "c1;c2;..." in cents per turn, a point as decimal mark.
    std::string text() const;
    // Restores text(); entries that are not figures in range are skipped. The pending mark goes.
    void restore(const std::string& text);

    // The whole state as the command line keeps it in its --turns file: a first line
    // "tomaro-turns 1", "calibrations c1;c2;..." (text()), and with a pending mark "mark LUG
    // EIGHTHS COUNT READING_HZ MEAN_HZ PATTERN2_CENTS PATTERN4_CENTS HAS_PATTERN4(0|1)".
    std::string stateText() const;
    // Reads stateText(). A text that is not one (another file, a damaged line, a figure out of
    // range) leaves the model as it was and returns the reason (English, an error); nothing when
    // the state was restored.
    std::optional<UserMessage> restoreState(const std::string& text);

private:
    struct Mark {
        int lug = 0;  // 0: none
        int eighths = 0;
        int count = 0;
        double readingHz = 0.0;
        HeadAtRod head;
    };

    std::vector<double> m_CentsPerTurn;
    Mark m_Pending;
};

namespace turns {

// "⅛", "¼", "⅜", "½", "⅝", "¾", "⅞" for 1..7 eighths; whole turns before them ("1", "1 ¼").
std::string fractionText(int eighths);
// "≈ ¼ оборота", "≈ 1 оборот", "≈ 2 оборота", "≈ 1 ½ оборота", "меньше ⅛ оборота" for 0; in English
// "≈ ¼ turn", "≈ 1 ½ turns".
std::string adviceText(int eighths);
// The same with the turn in degrees after it: "≈ ¼ оборота (100°)", "меньше ⅛ оборота (20°)";
// `degrees` 0 adds nothing.
std::string adviceText(int eighths, int degrees);

}  // namespace turns

// The calibrations in section "Turns": per drum and head, drum key + "_batter" / "_reso" holding
// TurnModel::text(); "Any" for no drum chosen, as section "Lugs" does.
namespace turnstore {

inline constexpr const char* kSection = "Turns";

TurnModel load(const Profile& profile, int drumType, DrumHead head);
void save(Profile& profile, int drumType, DrumHead head, const TurnModel& model);

}  // namespace turnstore

}  // namespace tomaro
