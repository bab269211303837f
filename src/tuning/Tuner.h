#pragma once

#include <optional>
#include <string>

#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/ModePairFit.h"
#include "analysis/PitchTrack.h"
#include "analysis/Stretch.h"
#include "analysis/StrikeQuality.h"
#include "audio/StrikeRecord.h"
#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"
#include "history/HistoryTypes.h"
#include "kit/Kit.h"
#include "tuning/LugTuning.h"
#include "tuning/Readout.h"
#include "tuning/ReferenceSwitches.h"
#include "tuning/StrikeSeries.h"
#include "tuning/TuningReading.h"

namespace tomaro {

class Profile;
namespace history {
class HistoryStore;
}

// Everything the main window owns for the life of the program, wired together: the strike record
// and its recorder, the analysed stretch, the analysis with its settings, the kit and the display
// switches, and the read-out. The road of one strike runs through here: the recorder's paint
// step calls the analysis, which updates the caption text and the read-out. The window only
// shows these objects and forwards the user's actions.
//
// User-interface thread only, except StrikeRecorder::bufferDone (capture thread).
class Tuner {
public:
    explicit Tuner(Profile& profile);
    Tuner(const Tuner&) = delete;
    Tuner& operator=(const Tuner&) = delete;

    Profile& profile() { return m_Profile; }
    StrikeRecord& record() { return m_Record; }
    const StrikeRecord& record() const { return m_Record; }
    StrikeRecorder& recorder() { return m_Recorder; }
    Stretch& stretch() { return m_Stretch; }
    AnalysisSettings& settings() { return m_Settings; }
    Analyzer& analyzer() { return m_Analyzer; }
    Kit& kit() { return m_Kit; }
    const Kit& kit() const { return m_Kit; }
    ReferenceSwitches& switches() { return m_Switches; }
    const Readout& readout() const { return m_Readout; }

    // The strike as the graphs draw it: a copy taken whenever new samples stand in the record
    // (the trigger is blocked then), so drawing never reads the buffer the capture thread may be
    // writing. A long file is read in place from the live record's mapping (a long imported sound
    // from its held samples), which lives until the next copy is taken. Its counter stays at -1.
    const StrikeRecord& shownStrike() const { return m_Shown; }

    // True once a strike or a file stands in the record.
    bool hasStrike() const { return m_HasStrike; }
    // True once the current strike has been analysed; the frequency is then valid.
    bool hasResult() const { return m_HasResult; }
    double mainFrequencyHz() const;

    // The judgement of the last analysis pass, the pitch along the strike and the running series
    // of strikes; valid once hasResult().
    const QualityReport& quality() const { return m_Quality.report(); }
    const PitchTrack& pitchTrack() const { return m_Track; }
    const StrikeSeries& series() const { return m_Series; }
    // The main frequency of the last strike that was not rejected (0 before any): it stays on
    // screen while a rejected strike is shown.
    double lastAcceptedHz() const { return m_LastAcceptedHz; }
    // Judges the last analysis pass and brings the pitch track and the series up to date. Runs
    // after every pass (of a complete strike, or of any part of one analysed early); a pass over
    // the same strike replaces that strike's place in the series instead of adding it again.
    void evaluateStrike();
    // The "Новая серия" button: the series starts again with the next strike.
    void clearSeries();
    // The kit was edited: the series belongs to the old kit's drum and is cleared.
    void kitChanged();

    // One step of the strike state machine (before every repaint and on capture notices). While
    // a live strike is being recorded, it is analysed as soon as the capture has passed the end of
    // its analysed stretch (the stretch placed as for the complete strike): the read-out then
    // comes about half a second after the hit instead of one second, and the analysis at the
    // strike's completion gives the same result. Such a step has `early` set.
    PaintStep paintStep() { return m_Recorder.paintStep(); }

    // The open command's load, with the strike front searched at the threshold. On success the
    // analysis is due.
    WavLoadResult loadFile(const std::string& path);

    // Gives back the memory of a long imported sound before another is decoded (ten minutes at
    // 500 kHz are 600 MB): the strike becomes silence, with no reading. Nothing happens when no
    // sound is held or while a live strike is being recorded.
    void releaseHeldSound();

    // The stretch, a setting or the picked frequency changed: analyse the strike again at the
    // next paint step. Nothing happens before the first strike.
    void requestAnalysis();

    // Threshold `m_Porog`: stored and handed to the capture side.
    void setThreshold(int threshold);

    // Overtone transfer `m_GarmTransVar` in "CMainDlg".
    bool overtoneTransfer() const { return m_OvertoneTransfer; }
    void setOvertoneTransfer(bool on);

    // The references update: the kit and the switches changed (after the references dialog, a
    // click on one of the three check boxes, at start-up). Makes the overtone switches exclusive,
    // stores them, refreshes the read-out and returns the references button caption.
    std::string referencesUpdate();
    // Reloads the kit from the profile (after the kit selection or a kit file changed it); the
    // series is cleared.
    void reloadKit();
    // Recomputes the read-out for the current frequency.
    void updateReadout();
    // The language changed (setCurrentLanguage): the frequency text of the last result and the
    // read-out are built again in it; the caption follows at the next paint step.
    void languageChanged();

    // The drum being tuned ("Настраиваю:"): a kit position, or -1 for the nearest reference (the
    // default). Stored by name in section "Tuning"; a kit change finds it again by name.
    int tunedDrum() const { return m_TunedDrum; }
    void setTunedDrum(int position);
    // The tuning view's green zone, +-cents (1..50, default 5), stored in section "Tuning".
    int toleranceCents() const { return m_ToleranceCents; }
    void setToleranceCents(int cents);
    // The tuning view's reading: the current strike when it was not rejected, else the last
    // accepted one (none before any), against the drum being tuned. In lug mode the reading in
    // the lug band against the head's reference (the target, else the mean of the rods; the drum
    // and kind are those of the target).
    TuningReading tuningReading() const;

    // Lug mode (LugTuning): every strike is routed to it; the thin forwarders below serve the
    // callers that set the head up.
    LugTuning& lugTuning() { return m_LugTuning; }
    const LugTuning& lugTuning() const { return m_LugTuning; }
    bool lugMode() const { return m_LugTuning.on(); }
    void setLugMode(bool on) { m_LugTuning.setOn(on); }
    const LugSession& lugs() const { return m_LugTuning.session(); }
    // What the head learnt from earlier passes (a stored state); the readings stay.
    void setLugResponse(const HeadResponse& response) { m_LugTuning.setResponse(response); }
    void setLugHead(DrumHead head) { m_LugTuning.setHead(head); }
    void setLugCount(int count) { m_LugTuning.setCount(count); }
    void setLugOrder(LugOrder order) { m_LugTuning.setOrder(order); }
    void selectLug(int lug) { m_LugTuning.select(lug); }
    FrequencyBand lugBand() const { return m_LugTuning.bandUsed(); }
    using LugNotice = LugTuning::Notice;
    LugNotice lugNotice() const { return m_LugTuning.notice(); }
    using LugProblem = LugTuning::Problem;
    LugProblem lugProblem() const { return m_LugTuning.problem(); }
    double lugKitTargetHz() const { return m_LugTuning.kitTargetHz(); }
    const std::string& previousLugs() const { return m_LugTuning.previous(); }
    // The peak of one capture buffer (0..32768): see LugTuning::noteInputPeak(). Returns true
    // when the lug notice changed.
    bool noteInputPeak(int peak);

    // The tuning history, lent by its owner for the rest of the Tuner's life: the store must
    // outlive the Tuner (make it first). Without one nothing is stored. Every accepted strike is
    // stored once, at its final pass, against the drum being tuned (else the nearest reference's
    // drum); in lug mode every tap given to a rod is stored as that rod of the head instead.
    void setHistory(history::HistoryStore& store) { m_History = &store; }
    // The store lent, or null when none was.
    history::HistoryStore* historyStore() const { return m_History; }
    // "Вернуть эту настройку": while a snapshot is recalled, the tuning view's target of a drum
    // the snapshot holds is its strike there, and lug mode's target of a head the mean of its rods
    // there (else the kit's references, as without a recall). nullopt ends the recall.
    void setRecall(std::optional<history::Snapshot> snapshot);
    const history::Snapshot* recall() const { return m_Recall ? &*m_Recall : nullptr; }

private:
    void analyse();
    bool analyseEarly(int recordedFrames);
    // A new strike: the series as it was before it, which every pass over it starts from.
    void beginSeriesStrike();
    void takeShownStrike();
    void findTunedDrum();
    // Stores the current strike in the history (TunerHistory.cpp), once per strike.
    void recordReading();
    // The reading against the recalled snapshot's strike of its drum, when there is one.
    TuningReading recalled(const TuningReading& reading) const;

    Profile& m_Profile;
    StrikeRecord m_Record;
    StrikeRecord m_Shown;
    StrikeRecorder m_Recorder;
    AnalysisSettings m_Settings;
    Stretch m_Stretch;
    Analyzer m_Analyzer;
    Kit m_Kit;
    ReferenceSwitches m_Switches;
    Readout m_Readout;
    StrikeQuality m_Quality;
    PitchTrack m_Track;
    StrikeSeries m_Series;
    // The series and last accepted reading before the current strike, and whether the current
    // strike still counts in the series (not after the series was cleared).
    StrikeSeries m_SeriesBefore;
    double m_LastAcceptedBefore = 0.0;
    double m_LastAcceptedHz = 0.0;
    bool m_StrikeCounts = true;
    // The rod the series' strikes went to (LugTuning::nextRod(); -1: not lug taps).
    int m_SeriesRod = -1;
    bool m_ReadEarly = false;  // the live strike being recorded was read early
    bool m_OvertoneTransfer = false;
    int m_TunedDrum = -1;
    int m_ToleranceCents = tuningstore::kDefaultToleranceCents;
    LugTuning m_LugTuning;
    bool m_HasStrike = false;
    bool m_HasResult = false;
    history::HistoryStore* m_History = nullptr;
    std::optional<history::Snapshot> m_Recall;
    bool m_EarlyPass = false;     // the pass running is the early read of a live strike
    bool m_StrikeStored = false;  // the current strike is in the history
};

}  // namespace tomaro
