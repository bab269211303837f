#pragma once

#include <string>
#include <vector>

#include "app/LugSession.h"

namespace tomaro {

class Profile;

// How far a turn of the drum key moves one head, learnt from the drummer's own turns. After a
// rod's advice the drummer marks the turn made (⅛, ¼, ½: in eighths of a turn); the next tap of
// that rod gives cents per turn = |change| / turn. From the first calibration on, an advice of C
// cents reads as C / (cents per turn) turns, to the nearest eighth; with two or more calibrations
// the figure is their median, so that one clumsy turn does not spoil it. Plain value type, one per
// drum and head; user-interface thread only.
class TurnModel {
public:
    static constexpr int kMaxCalibrations = 9;  // the latest are kept
    // A change below this after a marked turn says the tap missed the turn (or the rod was not
    // turned): no calibration. Above the upper bound the tap rang another mode.
    static constexpr double kMinCentsPerTurn = 8.0;
    static constexpr double kMaxCentsPerTurn = 2400.0;

    // The drummer turned rod `lug` by `eighths` eighths of a turn (1..16) after its advice; the
    // rod's reading before the turn is `readingHz` (> 0). A later mark replaces a pending one.
    void markTurn(int lug, double readingHz, int eighths);
    bool pending() const { return m_PendingLug > 0; }
    int pendingLug() const { return m_PendingLug; }
    int pendingEighths() const { return m_PendingEighths; }
    void cancelPending() { m_PendingLug = 0; }

    // A new reading of rod `lug`. The rod with a pending mark gives a calibration (true when one
    // was added); taps of other rods leave the mark waiting.
    bool tapped(int lug, double readingHz);

    // Adds a figure directly (restoring, or a test's rod).
    void addCalibration(double centsPerTurn);
    const std::vector<double>& calibrations() const { return m_CentsPerTurn; }
    bool calibrated() const { return !m_CentsPerTurn.empty(); }
    // The median of the calibrations; 0 while there are none.
    double centsPerTurn() const;
    // The turn for a change of `cents` (either sign) in eighths of a turn, rounded to the nearest;
    // 0 while not calibrated or when less than a sixteenth of a turn.
    int eighthsFor(double cents) const;

    // Forgets every calibration and the pending mark ("Забыть").
    void forget();

    // As stored: the calibrations "c1;c2;..." in cents per turn, a point as decimal mark.
    std::string text() const;
    // Restores text(); entries that are not figures in range are skipped.
    void restore(const std::string& text);

private:
    std::vector<double> m_CentsPerTurn;
    int m_PendingLug = 0;
    double m_PendingHz = 0.0;
    int m_PendingEighths = 0;
};

namespace turns {

// "⅛", "¼", "⅜", "½", "⅝", "¾", "⅞" for 1..7 eighths; whole turns before them ("1", "1 ¼").
std::string fractionText(int eighths);
// "≈ ¼ оборота", "≈ 1 оборот", "≈ 2 оборота", "≈ 1 ½ оборота", "меньше ⅛ оборота" for 0; in English
// "≈ ¼ turn", "≈ 1 ½ turns".
std::string adviceText(int eighths);

}  // namespace turns

// The calibrations in section "Turns": per drum and head, drum key + "_batter" / "_reso" holding
// TurnModel::text(); "Any" for no drum chosen, as section "Lugs" does.
namespace turnstore {

inline constexpr const char* kSection = "Turns";

TurnModel load(const Profile& profile, int drumType, DrumHead head);
void save(Profile& profile, int drumType, DrumHead head, const TurnModel& model);

}  // namespace turnstore

}  // namespace tomaro
