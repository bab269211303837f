#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/HeadModeFit.h"
#include "analysis/ModeFamily.h"
#include "analysis/ModePairFit.h"
#include "kit/DrumHead.h"
#include "tuning/HeadPattern.h"
#include "tuning/HeadResponse.h"
#include "tuning/TuningReading.h"

namespace tomaro {

class Profile;

// The order in which the rods of one head are tapped and turned.
enum class LugOrder {
    Star,       // opposite rods in turn: 1, its opposite, the next rod after 1, its opposite, ...
    Clockwise,  // 1, 2, 3, ...
};

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

// The tapping order: every rod once. Star (the criss-cross drummers use): rod 1, then after each
// rod the one opposite it when that is free, else the free rod farthest from every rod tapped so
// far (ties: the first clockwise from rod 1): 1 5 3 7 2 6 4 8 on 8 rods, 1 4 2 5 3 6 on 6,
// 1 6 3 8 2 7 4 9 5 10 on 10, 1 3 2 4 5 on 5. A count outside 4..16 is held to it.
std::vector<int> tappingOrder(int count, LugOrder order);

// The angle of a rod, degrees clockwise from the top.
double angleDeg(int lug, int count);

// The usual number of rods of a drum type (kit/DrumTypes.h): 6 up to 13", 8 for 14"–18" and the
// snare, 10 for larger drums and the kick.
int defaultCount(int drumType);

// "star" / "clockwise", "batter" / "reso" (kit/DrumHead.h), "tighten" / "loosen" / "ok" / "none".
const char* orderCode(LugOrder order);
using tomaro::headCode;
const char* actionCode(LugAction action);

}  // namespace lugs

// A frequency band, Hz.
struct FrequencyBand {
    double loHz = 0.0;
    double hiHz = 0.0;
    bool contains(double hz) const { return hz >= loHz && hz <= hiHz; }
};

// The (2,1) band of a head read in the (1,1) band `pairBand`: +-4 % around 1.34x its centre.
FrequencyBand pair21Band(const FrequencyBand& pairBand);

// What one tap near a rod gave: its reading in the band, the (1,1) pair and the (2,1) pair it
// resolved, and its spectrum's peaks over the lug search range (to tell the head's modes apart).
struct LugTap {
    double readingHz = 0.0;  // in the (1,1) band; 0: no tone there
    // The pairs as this tap rang them: the head's members fitted over all taps once the band is
    // placed (see LugSession), else what was given.
    ModePair pair11;
    ModePair pair21;
    PeakList peaks;
    // The tap's samples from its front (1 s at most) at sampleRateHz, for the fits over all taps;
    // null for a reading given without sound. Shared, never written once made.
    std::shared_ptr<const std::vector<std::int16_t>> samples;
    double sampleRateHz = 0.0;
};

// What became of a tap offered to the selected rod.
enum class LugTapResult {
    Taken,         // the rod's reading; the selection moved on
    NoToneInBand,  // no peak inside the rod's band: "нет тона в полосе винта"
    OtherFamily,   // 1.1–1.4x from the other rods: another mode, to be tapped again
};

// Where the (1,1) band of a head comes from.
enum class LugBandSource {
    Target,  // the head's overtone target
    Centre,  // a strike at the centre of the head: 1.45–1.60x its fundamental
    Rods,    // the (1,1) family chosen by its pattern across the rods tapped so far
    None,    // nothing yet: the first tap is searched over the lug search range
};

// Evening out one head, rod by rod. A tap 2–3 cm in from a rod rings the head's (1,1) mode most
// among (0,1), (2,1), (0,2) and higher modes; each rod is read in a band of +-12 % around the
// (1,1) family: around the head's target (the drum's overtone reference of that head), else
// around the (1,1) expected from a centre strike, else around the family the taps themselves show
// (see pairFamilyHz(); chosen again, and the rods read again from their peaks, when later taps
// show that the first was another mode). A tap without a peak inside the band is no reading.
//
// The advice comes from all rods together (fitHead()): the (1,1) pair's split is the head's
// evenness figure, the members' levels across the rods give the axis of its cos 2θ pattern (and
// the (2,1) pair that of cos 4θ on 8 or more rods), and each rod is advised in proportion to the
// fitted patterns at its angle, plus the head's mean against the target. "ровно" when every rod
// is measured, the split and every rod's deviation lie within the one tolerance.
//
// Plain value type; user-interface thread only.
class LugSession {
public:
    static constexpr double kBandFraction = membrane::kFamilyBandFraction;
    static constexpr int kDefaultSearchF0Hz = 60;
    static constexpr int kDefaultSearchF1Hz = 1200;
    static constexpr double kDefaultToleranceCents = 5.0;
    // A rod 10 % or more from the others rang another mode (the family's neighbours lie 1.34x
    // and more apart; an uneven head's rods lie within a few per cent).
    static constexpr double kOtherFamilyRatio = 1.10;
    // The share of the tolerance the (1,1) split must stay within for an even head. How many
    // cents a head splits for one per cent of rod pattern depends on how its rim carries the
    // tension inward, by up to three times from head to head; the rods' advice is sized for
    // the stiffer heads, so a split at the tolerance can leave the rods of a softer one two or
    // three times the tolerance apart.
    static constexpr double kEvenSplitShare = 0.5;
    // The same for the (2,1) pair, whose pattern is advised at 2.2 cents of rod per cent of
    // split against about 1 for (1,1).
    static constexpr double kEvenSplit21Share = 0.3;

    LugSession() { reset(8, LugOrder::Star); }

    // A fresh head: `count` rods (held to 4..16), none measured, rod 1 selected. The centre
    // strike and the target stay.
    void reset(int count, LugOrder order);
    // The order changes, the readings stay; the selection stays on its rod.
    void setOrder(LugOrder order);
    // The head's target in Hz (0: none). The readings stay.
    void setTargetHz(double targetHz);
    // What became of a centre strike.
    enum class CentreResult {
        Placed,     // it places the band (or confirms the one it placed before)
        Disagrees,  // the band is placed and this strike would move it by more than its
                    // half-width: "удар в центр не сходится с винтами"; the band stays
    };
    // The fundamental of a strike at the centre of the head (0: none, and the band placed by an
    // earlier centre strike is let go). Once a band is placed for the head it stays, across
    // passes, until the head is started over or the target changes.
    CentreResult setCentreHz(double fundamentalHz);
    double centreHz() const { return m_CentreHz; }
    // Where the first rod is searched without a target; f0 < f1 (else the defaults are kept).
    void setSearchRange(double f0Hz, double f1Hz);
    void setToleranceCents(double cents);

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

    // The (1,1) band the next tap is read in; the lug search range while nothing places it.
    FrequencyBand band() const;
    LugBandSource bandSource() const;
    // True when the band is placed (by the target, the centre strike or the rods).
    bool bandLocked() const { return bandSource() != LugBandSource::None; }
    // False when the taps do not confirm the band a centre strike placed: of the taps since, two
    // or more had no tone in it and they outnumber the rods read.
    bool bandConfirmed() const;
    // The rods' band is final once every rod was read: later taps no longer choose the family.
    bool bandFinal() const { return m_BandFinal; }
    // The band for a tap whose peaks over the search range are `peaks`: band() when it is
    // placed, else +-12 % around the family those peaks show (empty when they show none).
    FrequencyBand bandFor(const PeakList& peaks) const;

    // A tap for the selected rod (see LugTapResult). Taken: the selection moves to the next rod
    // of the order (after the last, back to the first).
    LugTapResult record(const LugTap& tap);
    // A tap read at `frequencyHz` alone.
    bool record(double frequencyHz);
    // Sets a rod's reading directly (restoring a stored head); 0 clears it.
    void setReading(int lug, double frequencyHz);
    // The reading of rod 1..count, 0 when not measured.
    double readingHz(int lug) const;
    // The tap behind a rod's reading (pair and peaks), empty when restored or not measured.
    const LugTap& tap(int lug) const;
    int measuredCount() const;

    // The reference: the target when there is one, else the head's (1,1) mean (0 when no rod is
    // measured).
    double referenceHz() const;
    bool referenceIsTarget() const { return m_TargetHz > 0.0; }
    // Cents of rod `lug`'s reading from the reference (0 when not measured).
    double cents(int lug) const;
    // What rod `lug` needs, cents sharp of where it should be (negative: to be tightened), from
    // the fitted patterns and the mean against the target (0 when not measured).
    double deviationCents(int lug) const;
    // Tighten or loosen when the deviation lies outside the tolerance. While the split is above
    // the tolerance, the rods that carry the pattern (half the largest deviation or more) are
    // advised even within it: no head is "not even" with every rod "ok".
    LugAction action(int lug) const;
    // The rod's tap disagrees with the fitted pattern: to be tapped again.
    bool disagrees(int lug) const;
    // Highest minus lowest rod, in cents (0 with fewer than two rods measured).
    double spreadCents() const;
    // The fitted head: split, pattern and axis, per-rod deviations.
    const HeadFit& head() const { return m_Head; }
    // The head's (1,1) and (2,1) members from all taps with sound together (tapsFitted 0 while no
    // tap has sound or the band is not placed).
    const HeadModes& modes11() const { return m_Modes11; }
    const HeadModes& modes21() const { return m_Modes21; }
    // What the head did with the advice of earlier passes, and the gain the advice now carries.
    // A pass ends when every rod was tapped since the last one ended.
    const HeadResponse& response() const { return m_Response; }
    // Restores a response learnt earlier (the command line's state); refits.
    void setResponse(const HeadResponse& response);
    // The evenness figure ("расщепление"): the (1,1) pair's split, else the spread.
    double splitCents() const { return m_Head.splitCents; }
    // Every rod measured, the split and every rod's deviation within the tolerance.
    bool even() const;

    // The readings as stored: "f1;f2;...", "0" for a rod not measured, a point as decimal mark.
    std::string readingsText() const;
    // Restores readings stored by readingsText(); the count comes from the text when it lies in
    // 4..16, else the session is left as it is and false returned.
    bool restoreReadings(const std::string& text);

    // CSV of the head: a header line, then one line per rod: lug, angle, Hz, cents (the reading
    // from the reference), action, deviation_cents (deviationCents(): + sharp, to be loosened, as
    // every signed figure), the (1,1) pair, and the head's context (`context` columns, already
    // CSV-quoted, appended to every line under `contextHeader`).
    std::string csv(const std::string& contextHeader = {}, const std::string& context = {}) const;

private:
    // The decimator and the fit over all taps; made at the first tap with sound, shared by copies
    // of the session (one thread).
    struct Fitters {
        ModePairFit decimator;
        HeadModeFit head;
    };

    void refit();
    void fitModes();
    FrequencyBand keptBand21(const FrequencyBand& band11);
    void readAgainFromPeaks(double centreHz);
    double familyCentreHz() const;

    int m_Count = 8;
    LugOrder m_Order = LugOrder::Star;
    std::vector<int> m_TappingOrder;
    std::array<double, lugs::kMaxCount> m_Hz{};
    std::array<LugTap, lugs::kMaxCount> m_Taps{};
    int m_Step = 0;           // position of the selected rod in the tapping order
    double m_AnchorHz = 0.0;  // the (1,1) family the rods show (no target, no centre strike)
    double m_TargetHz = 0.0;
    double m_CentreHz = 0.0;
    // The centre-placed band's centre against the fundamental: the usual ratio until the head's
    // first tap shows its family.
    static constexpr double kUsualCentreRatio =
        0.5 * (membrane::kCentreToPairLo + membrane::kCentreToPairHi);
    double m_CentreRatio = kUsualCentreRatio;
    bool m_BandFinal = false;
    int m_TapsInBand = 0;     // taps read in the placed band since it was placed
    int m_TapsOutOfBand = 0;  // taps with no tone in it
    double m_ToleranceCents = kDefaultToleranceCents;
    FrequencyBand m_Search{kDefaultSearchF0Hz, kDefaultSearchF1Hz};
    HeadFit m_Head;
    HeadModes m_Modes11, m_Modes21;
    // Each tap's own (2,1) member, Hz, fitted once per (2,1) baseband (0: none; -1: not yet).
    std::array<double, lugs::kMaxCount> m_Reading21Hz{};
    HeadResponse m_Response;
    std::array<bool, lugs::kMaxCount> m_TappedThisPass{};
    // Each rod's tap in the (1,1) and (2,1) bands, kept while the band stays.
    std::array<Baseband, lugs::kMaxCount> m_Baseband11{}, m_Baseband21{};
    // The (2,1) band (8 or more rods), kept for the head once every rod was read in the (1,1)
    // band m_Band21Of11; found again when that band changes.
    FrequencyBand m_Band21, m_Band21Of11;
    std::shared_ptr<Fitters> m_Fitters;
};

}  // namespace tomaro
