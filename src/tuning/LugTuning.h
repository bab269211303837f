#pragma once

#include <memory>
#include <string>

#include "analysis/Analyzer.h"
#include "analysis/StrikeQuality.h"
#include "audio/StrikeRecord.h"
#include "tuning/LugSession.h"
#include "tuning/TuningReading.h"

namespace tomaro {

class Kit;
class Profile;
namespace history {
struct Snapshot;
}

// How far the last tap can be trusted for the rod it went to, judged in the rod's band (not the
// strike's main reading): good when the (1,1) member stands well over the band's noise, doubtful
// when it stands low or the rod disagrees with the head's fitted pattern, rejected when the tap
// went to no rod.
struct LugTapVerdict {
    enum class Reason : unsigned {
        NoToneInBand = 1u << 0,    // no peak inside the rod's band
        OtherFamily = 1u << 1,     // the rod rang another mode of the head
        TooQuiet = 1u << 2,        // under the threshold, or too soft to read
        StrikeRejected = 1u << 3,  // the strike's own quality rejected it (see its reasons)
        WeakInBand = 1u << 4,      // the member stands less than kGoodSnrDb over the noise
        OffPattern = 1u << 5,      // the rod disagrees with the head's fitted pattern
    };
    // A (1,1) member this far over the band's noise is a clear reading of its rod, dB.
    static constexpr double kGoodSnrDb = 20.0;

    // False: the last strike went to no rod (none yet, taps paused, a centre strike); the strike
    // is then judged by its own quality.
    bool judged = false;
    Verdict verdict = Verdict::Good;
    int rod = 0;  // 1..16
    unsigned reasons = 0;
    // The stronger (1,1) member of the tap over the band's noise, dB; valid when levelKnown (the
    // fits over all taps ran on the tap's sound).
    double snrDb = 0.0;
    bool levelKnown = false;

    bool has(Reason reason) const { return (reasons & static_cast<unsigned>(reason)) != 0; }
};

// Lug mode: evening out one head of the drum being tuned, rod by rod. It holds the head's
// LugSession and its set-up (section "Lugs" for the drum and head), reads every strike the Tuner
// routes to it in the rod's band with an analysis pass of its own (so that the main reading stays
// as it is), gives a tap that is not rejected to the selected rod, says what became of each tap,
// and stores the head's readings after every pass. The fits over all taps (LugSession) run only
// once the band is placed.
//
// The Tuner owns it, calls configure() whenever the drum, the recall or the kit change, and routes
// every analysis pass of a strike to it (beginStrike() once per strike, readStrike() per pass).
// No Qt. User-interface thread only.
class LugTuning {
public:
    // `profile` and `kit` outlive this object.
    LugTuning(Profile& profile, const Kit& kit);
    LugTuning(const LugTuning&) = delete;
    LugTuning& operator=(const LugTuning&) = delete;

    // The head is set up again for the drum being tuned (kit position, -1: none) from section
    // "Lugs", its last measurement shown again. `recall` (null: none) gives the head's target while
    // a snapshot is recalled; it must stay valid until the next call. `toleranceCents` as
    // tuningstore keeps it.
    void configure(int tunedDrum, const history::Snapshot* recall, int toleranceCents);
    // As configure(), but a head already set up for the same drum, head, count, target and
    // search range is kept as it is being tuned (a kit read again changed nothing of it): its
    // taps' sound for the fits over all taps, its band and what it learnt stay.
    void configureKeeping(int tunedDrum, const history::Snapshot* recall, int toleranceCents);
    void setToleranceCents(int cents);

    // While on, every strike is also read in the session's band and a strike that is not
    // rejected goes to the selected rod. The band's analysis is made when first turned on.
    bool on() const { return m_On; }
    void setOn(bool on);
    const LugSession& session() const { return m_Lugs; }
    // What the head learnt from earlier passes (a stored state); the readings stay.
    void setResponse(const HeadResponse& response) { m_Lugs.setResponse(response); }
    DrumHead head() const { return m_Head; }
    // Stored in section "Lugs"; the head is set up afresh.
    void setHead(DrumHead head);
    // A new count starts the head afresh (stored for the drum; held to 4..16).
    void setCount(int count);
    void setOrder(LugOrder order);
    void select(int lug);
    // Forgets the head's readings (and their stored copy), keeping them as the previous ones.
    void reset();

    // The last strike read in the band (Hz; 0: none, or no tone there) and that band.
    double readingHz() const { return m_ReadingHz; }
    FrequencyBand bandUsed() const { return m_BandUsed; }

    // Taps go to the rods only while this is on: the lug view is on screen and active, so that
    // strikes of other drums never land on the head. On by default (tomaro-analyze).
    void setTapsEnabled(bool on) { m_TapsEnabled = on; }
    bool tapsEnabled() const { return m_TapsEnabled; }
    bool tapsTaken() const { return m_On && m_TapsEnabled; }

    // What became of the last tap, and the rod it was for.
    enum class Notice {
        None,
        Taken,         // given to noticeRod()
        NoToneInBand,  // "нет тона в полосе винта"
        OtherFamily,   // "другая мода — ударьте ещё раз"
        TooQuiet,  // "слишком тихо": under the threshold by less than 6 dB, or too soft to read
        Rejected,     // the strike's quality rejected it
        CentreTaken,  // a centre strike placed the (1,1) band
        // A centre strike that would move the head's band by more than its half-width: the band
        // stays ("удар в центр не сходится с винтами").
        CentreDisagrees,
    };
    Notice notice() const { return m_Notice; }
    int noticeRod() const { return m_NoticeRod; }
    // The next accepted strike is a strike at the centre of the head: its fundamental places the
    // (1,1) band (when the head has no target) and it goes to no rod.
    void requestCentreStrike() { m_CentrePending = m_On; }
    bool centreStrikePending() const { return m_CentrePending; }
    // The peak of one capture buffer (0..32768) against the trigger `threshold`, while nothing is
    // being recorded (`recording` false): a tap within 6 dB under the threshold says "слишком
    // тихо" once (until the level falls again). Returns true when the notice changed.
    bool noteInputPeak(int peak, int threshold, bool recording);

    // Why the head's target or the lug search range cannot be used.
    enum class Problem {
        None,
        TargetOutsideSearch,  // the head's target lies outside the lug search range
        SearchBeyondRate,     // the lug search range reaches beyond half the sample rate
    };
    Problem problem() const { return m_Problem; }
    // The target the kit gives the head, also when it is refused (Hz, 0: none).
    double kitTargetHz() const { return m_KitTargetHz; }
    // The head's CSV (LugSession::csv()) with the drum, the head, the target, the tolerance and
    // `dateText` on every line.
    std::string csv(const std::string& dateText) const;
    // The measurement of this head before the present one ("" when none was kept).
    const std::string& previous() const { return m_Previous; }

    // A new strike: the session as before it, which every pass over it starts from; the strike
    // goes to the rods only when taps are taken now.
    void beginStrike();
    // One analysis pass over the strike in `record` (the main pass gave `main` with `params`, and
    // the strike's judgement `quality`; `threshold` is the trigger's, 0..32768). A later pass over
    // the same strike replaces what an earlier one gave the session.
    void readStrike(const StrikeRecord& record, const AnalysisResult& main,
                    const Analyzer::Params& params, const QualityReport& quality, int threshold);
    // The rod the current strike was given to (0: none).
    int strikeRod() const;
    // The rod the next strike goes to while taps are taken (0: a centre strike, which goes to no
    // rod); -1 while they are not.
    int nextRod() const;
    // The last reading in the band against the head's reference (the target, else the mean of the
    // rods; the drum and kind are those of the target), with the advice of the rod last tapped.
    TuningReading tuningReading() const;
    // The last tap judged for its rod; not judged when the strike on screen went to no rod (taps
    // paused, a centre strike, nothing tapped yet).
    LugTapVerdict tapVerdict() const;

    // The lug target of `drum`'s `head` (Hz, 0: none): the recalled head's mean, else the kit's
    // overtone reference of that head.
    static double targetHz(const Kit& kit, int drum, DrumHead head,
                           const history::Snapshot* recall);

private:
    int drumType() const;
    void save();
    // Keeps the head's present measurement as its previous one (stored).
    void keepPrevious();
    // The session was changed by the user: the current strike no longer goes to a rod.
    void edited();
    void readCentre(const StrikeRecord& record, const AnalysisResult& main,
                    const Analyzer::Params& params, bool accepted);

    Profile& m_Profile;
    const Kit& m_Kit;
    int m_Drum = -1;
    bool m_Configured = false;
    const history::Snapshot* m_Recall = nullptr;
    int m_ToleranceCents = tuningstore::kDefaultToleranceCents;
    bool m_On = false;
    DrumHead m_Head = DrumHead::Batter;
    LugSession m_Lugs;
    LugSession m_LugsBefore;  // as before the current strike
    bool m_StrikeCounts = false;
    bool m_CentreBefore = false;
    // The band's own pass; made when lug mode is first turned on.
    std::unique_ptr<Analyzer> m_Analyzer;
    bool m_TapsEnabled = true;
    Notice m_Notice = Notice::None;
    int m_NoticeRod = 0;
    bool m_NoticeOnScreen = false;  // the notice speaks of the strike on screen (or a soft tap)
    bool m_CentrePending = false;
    bool m_QuietNoticed = false;  // the input level is within 6 dB under the threshold
    Problem m_Problem = Problem::None;
    double m_KitTargetHz = 0.0;
    std::string m_Previous;
    bool m_Restored = false;  // the head holds a stored measurement no tap has touched yet
    double m_ReadingHz = 0.0;
    double m_LastHz = 0.0;  // the last reading that was not rejected
    FrequencyBand m_BandUsed;
};

}  // namespace tomaro
