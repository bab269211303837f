#pragma once

#include <array>
#include <string>
#include <vector>

#include "display/TuningReading.h"

namespace tomaro {

class Profile;

// The order in which the rods of one head are tapped and turned.
enum class LugOrder {
    Star,       // opposite rods in turn: 1, its opposite, the next rod after 1, its opposite, ...
    Clockwise,  // 1, 2, 3, ...
};

// The head a lug session evens out: the batter (top) or the resonant (bottom) one.
enum class DrumHead { Batter, Resonant };

// What to do with one rod (none: not measured, or nothing to compare with).
using LugAction = TuneAdvice;

// Rods are numbered 1..count clockwise from the top of the head as the drummer sees it. Pure
// functions, any thread.
namespace lugs {

inline constexpr int kMinCount = 4;
inline constexpr int kMaxCount = 16;

// The rod across the head from `lug`: half the rods further on. With an odd count no rod stands
// exactly opposite; the one count / 2 (rounded down) rods further clockwise is taken, the nearer
// of the two beside the opposite point on the clockwise side.
int opposite(int lug, int count);

// The tapping order: every rod once. Star: step 0 is rod 1; every odd step goes to the rod
// opposite the one before; every even step goes to the first rod not yet visited clockwise after
// the rod of the step two before (1, 5, 2, 6, 3, 7, 4, 8 for 8 rods; 1, 3, 2, 4, 5 for 5). A
// count outside 4..16 is held to it.
std::vector<int> tappingOrder(int count, LugOrder order);

// The angle of a rod, degrees clockwise from the top.
double angleDeg(int lug, int count);

// The usual number of rods of a drum type (kit/DrumTypes.h): 6 up to 13", 8 for 14"–18" and the
// snare, 10 for larger drums and the kick.
int defaultCount(int drumType);

// "star" / "clockwise", "batter" / "reso", "tighten" / "loosen" / "ok" / "none".
const char* orderCode(LugOrder order);
const char* headCode(DrumHead head);
const char* actionCode(LugAction action);

}  // namespace lugs

// A frequency band, Hz.
struct FrequencyBand {
    double loHz = 0.0;
    double hiHz = 0.0;
    bool contains(double hz) const { return hz >= loHz && hz <= hiHz; }
};

// Evening out one head, rod by rod. A tap about 2–3 cm in from a rod rings mostly the head's
// higher modes, so each rod is read in a band: +-20 % around the head's target (the drum's
// overtone reference of that head) when there is one, else +-20 % around the first reading of the
// session (the band lock: a later reading cannot jump to another mode); the first reading is
// searched over the lug search range. Each rod's deviation is taken from the reference: the
// target, else the mean of the rods measured.
//
// Plain value type; user-interface thread only.
class LugSession {
public:
    static constexpr double kBandFraction = 0.20;
    static constexpr int kDefaultSearchF0Hz = 60;
    static constexpr int kDefaultSearchF1Hz = 1200;
    static constexpr double kDefaultToleranceCents = 5.0;

    LugSession() { reset(8, LugOrder::Star); }

    // A fresh head: `count` rods (held to 4..16), none measured, rod 1 selected.
    void reset(int count, LugOrder order);
    // The order changes, the readings stay; the selection stays on its rod.
    void setOrder(LugOrder order);
    // The head's target in Hz (0: none). The readings stay.
    void setTargetHz(double targetHz) { m_TargetHz = targetHz > 0.0 ? targetHz : 0.0; }
    // Where the first rod is searched without a target; f0 < f1 (else the defaults are kept).
    void setSearchRange(double f0Hz, double f1Hz);
    void setToleranceCents(double cents) { m_ToleranceCents = cents > 0.0 ? cents : 0.0; }

    int count() const { return m_Count; }
    LugOrder order() const { return m_Order; }
    const std::vector<int>& tappingOrder() const { return m_TappingOrder; }
    double targetHz() const { return m_TargetHz; }
    double toleranceCents() const { return m_ToleranceCents; }
    FrequencyBand searchRange() const { return m_Search; }

    // The rod the next tap goes to (1..count).
    int selected() const { return m_TappingOrder[m_Step]; }
    // Selects a rod to measure again (a click on it); others are ignored.
    void select(int lug);

    // The band the next tap is read in (see the class comment).
    FrequencyBand band() const;
    // True when a band around the target or the first reading holds the next tap.
    bool bandLocked() const { return m_TargetHz > 0.0 || m_AnchorHz > 0.0; }

    // A tap read at `frequencyHz` (finite, > 0; others are ignored and return false) belongs to
    // the selected rod; the selection moves to the next rod of the order (after the last, back to
    // the first).
    bool record(double frequencyHz);
    // Sets a rod's reading directly (restoring a stored head); 0 clears it.
    void setReading(int lug, double frequencyHz);
    // The reading of rod 1..count, 0 when not measured.
    double readingHz(int lug) const;
    int measuredCount() const;

    // The reference: the target when there is one, else the mean of the rods measured (0 when
    // none is).
    double referenceHz() const;
    bool referenceIsTarget() const { return m_TargetHz > 0.0; }
    // Cents of rod `lug` from the reference (0 when not measured).
    double cents(int lug) const;
    LugAction action(int lug) const;
    // Highest minus lowest rod, in cents (0 with fewer than two rods measured).
    double spreadCents() const;
    // Every rod measured and the spread within the tolerance.
    bool even() const;

    // The readings as stored: "f1;f2;...", "0" for a rod not measured, a point as decimal mark.
    std::string readingsText() const;
    // Restores readings stored by readingsText(); the count comes from the text when it lies in
    // 4..16, else the session is left as it is and false returned.
    bool restoreReadings(const std::string& text);

    // CSV of the head: a header line, then one line per rod: lug, angle, Hz, cents, action.
    std::string csv() const;

private:
    int m_Count = 8;
    LugOrder m_Order = LugOrder::Star;
    std::vector<int> m_TappingOrder;
    std::array<double, lugs::kMaxCount> m_Hz{};
    int m_Step = 0;           // position of the selected rod in the tapping order
    double m_AnchorHz = 0.0;  // first reading of the session (the band lock)
    double m_TargetHz = 0.0;
    double m_ToleranceCents = kDefaultToleranceCents;
    FrequencyBand m_Search{kDefaultSearchF0Hz, kDefaultSearchF1Hz};
};

// The lug settings in section "Lugs": the order ("Order": 0 star, 1 clockwise), the head ("Head":
// 0 batter, 1 resonant), the search range of the first rod ("SearchF0", "SearchF1", Hz), per drum
// the number of rods (drum key + "_Count") and per drum and head the last measurement (drum key +
// "_batter" / "_reso": LugSession::readingsText()). A drum type below 0 (no drum chosen) keeps
// them under "Any" (8 rods by default).
namespace lugstore {

inline constexpr const char* kSection = "Lugs";

LugOrder loadOrder(const Profile& profile);
void saveOrder(Profile& profile, LugOrder order);
DrumHead loadHead(const Profile& profile);
void saveHead(Profile& profile, DrumHead head);
FrequencyBand loadSearchRange(const Profile& profile);
int loadCount(const Profile& profile, int drumType);
void saveCount(Profile& profile, int drumType, int count);
std::string loadReadings(const Profile& profile, int drumType, DrumHead head);
void saveReadings(Profile& profile, int drumType, DrumHead head, const std::string& text);

}  // namespace lugstore

}  // namespace tomaro
