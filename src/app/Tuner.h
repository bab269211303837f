#pragma once

#include <string>

#include "analysis/AnalysisSettings.h"
#include "analysis/Analyzer.h"
#include "analysis/Stretch.h"
#include "audio/StrikeRecord.h"
#include "audio/StrikeRecorder.h"
#include "audio/WavFile.h"
#include "display/Readout.h"
#include "display/ReferenceSwitches.h"
#include "kit/Kit.h"

namespace tomaro {

class Profile;

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
    StrikeRecorder& recorder() { return m_Recorder; }
    Stretch& stretch() { return m_Stretch; }
    AnalysisSettings& settings() { return m_Settings; }
    Analyzer& analyzer() { return m_Analyzer; }
    Kit& kit() { return m_Kit; }
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

    // One step of the strike state machine (before every repaint and on capture notices).
    PaintStep paintStep() { return m_Recorder.paintStep(); }

    // The open command's load. On success the analysis is due.
    WavLoadResult loadFile(const std::string& path);

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
    // Reloads the kit from the profile (after the kit selection or a kit file changed it).
    void reloadKit();
    // Recomputes the read-out for the current frequency.
    void updateReadout();

private:
    void analyse();
    void takeShownStrike();

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
    bool m_OvertoneTransfer = false;
    bool m_HasStrike = false;
    bool m_HasResult = false;
};

}  // namespace tomaro
