#include "tuning/Tuner.h"

#include <algorithm>
#include <cmath>

#include "settings/Profile.h"
#include "tuning/NearestReference.h"

namespace tomaro {

Tuner::Tuner(Profile& profile)
    : m_Profile(profile),
      m_Recorder(m_Record),
      m_Settings(profile),
      m_Stretch(profile),
      m_Switches(ReferenceSwitches::load(profile)),
      m_OvertoneTransfer(loadOvertoneTransfer(profile)),
      m_LugTuning(profile, m_Kit) {
    m_Recorder.setThreshold(readThreshold(profile));
    m_Kit.load(profile);
    m_ToleranceCents = tuningstore::loadTolerance(profile);
    m_Stretch.setStrike(m_Record);
    m_Recorder.setStrikeReplacedHook([this] {
        // A frequency picked on the previous strike's spectrum means nothing for this one.
        m_Analyzer.pickFrequency(0.0);
        m_HasStrike = true;
        m_HasResult = false;
        m_Stretch.setStrike(m_Record);
        takeShownStrike();
        // A live strike read early already has its place in the series; its completion takes
        // that place again instead of adding the strike a second time.
        if (!m_ReadEarly) beginSeriesStrike();
        m_ReadEarly = false;
    });
    m_Recorder.setAnalysisHook([this] { analyse(); });
    m_Recorder.setEarlyAnalysisHook([this](int recorded) { return analyseEarly(recorded); });
    m_Recorder.setStrikeAbandonedHook([this] {
        m_Record.buffer = m_Shown.buffer;
        m_Record.sampleCount = m_Shown.sampleCount;
        m_Stretch.setStrike(m_Record);
        m_ReadEarly = false;
    });
    findTunedDrum();
    updateReadout();
}

double Tuner::mainFrequencyHz() const {
    return m_HasResult ? m_Analyzer.result().mainFrequencyHz : 0.0;
}

WavLoadResult Tuner::loadFile(const std::string& path) {
    return loadWavFile(path, m_Recorder, m_Recorder.threshold());
}

void Tuner::releaseHeldSound() {
    if (m_Record.heldSamples.empty() || !m_Recorder.claimForFile()) return;
    m_Record.releaseDirectFile();
    m_Record.buffer.fill(0);
    m_Record.sampleCount = kStrikeLength;
    m_Record.startIndex = kLeadInLength;
    m_Record.frontFound = false;
    m_Record.sampleRateHz = kCaptureRateHz;
    m_Recorder.releaseClaim();
    m_HasStrike = false;
    m_HasResult = false;
    m_Stretch.setStrike(m_Record);
    takeShownStrike();
    updateReadout();
}

void Tuner::requestAnalysis() {
    if (m_HasStrike) m_Recorder.requestAnalysis();
}

void Tuner::setThreshold(int threshold) {
    writeThreshold(m_Profile, threshold);
    m_Recorder.setThreshold(threshold);
}

void Tuner::setOvertoneTransfer(bool on) {
    m_OvertoneTransfer = on;
    m_Profile.writeInt(kOvertoneTransferSection, kOvertoneTransferKey, on ? 1 : 0);
    updateReadout();
}

std::string Tuner::referencesUpdate() {
    std::string caption = updateReferencesButton(m_Switches, m_Kit, m_Profile);
    updateReadout();
    return caption;
}

void Tuner::reloadKit() {
    m_Kit.load(m_Profile);
    kitChanged();
}

void Tuner::kitChanged() {
    clearSeries();
    findTunedDrum();
    updateReadout();
}

void Tuner::findTunedDrum() {
    const std::string name = tuningstore::loadDrumName(m_Profile);
    m_TunedDrum = -1;
    for (int position = 0; position < m_Kit.count() && !name.empty(); ++position) {
        if (m_Kit.drumName(position) == name) {
            m_TunedDrum = position;
            break;
        }
    }
    m_LugTuning.configureKeeping(m_TunedDrum, recall(), m_ToleranceCents);
}

void Tuner::setTunedDrum(int position) {
    if (position < 0 || position >= m_Kit.count()) position = -1;
    tuningstore::saveDrumName(m_Profile, position >= 0 ? m_Kit.drumName(position) : "");
    findTunedDrum();
}

void Tuner::setToleranceCents(int cents) {
    tuningstore::saveTolerance(m_Profile, cents);
    m_ToleranceCents = tuningstore::loadTolerance(m_Profile);
    m_LugTuning.setToleranceCents(m_ToleranceCents);
}

TuningReading Tuner::tuningReading() const {
    if (m_LugTuning.on()) return m_LugTuning.tuningReading();
    double hz = m_LastAcceptedHz;
    if (m_HasResult && m_Quality.report().accepted()) hz = mainFrequencyHz();
    return recalled(tomaro::tuningReading(hz, m_Kit, m_Switches, m_TunedDrum, m_ToleranceCents));
}

bool Tuner::noteInputPeak(int peak) {
    return m_LugTuning.noteInputPeak(peak, m_Recorder.threshold(), m_Recorder.recording());
}

void Tuner::clearSeries() {
    m_Series.clear();
    m_SeriesBefore.clear();
    m_StrikeCounts = false;
}

void Tuner::beginSeriesStrike() {
    // In lug mode the series holds the taps of one rod (a centre strike being a place of its
    // own): it starts again when the rod a strike goes to changes.
    const int rod = m_LugTuning.nextRod();
    if (rod != m_SeriesRod) {
        m_Series.clear();
        m_SeriesRod = rod;
    }
    m_LugTuning.beginStrike();
    m_SeriesBefore = m_Series;
    m_LastAcceptedBefore = m_LastAcceptedHz;
    m_StrikeCounts = true;
    m_StrikeStored = false;
}

void Tuner::evaluateStrike() {
    const AnalysisResult& result = m_Analyzer.result();
    const Analyzer::Params params = Analyzer::paramsOf(m_Settings);
    const QualityReport& quality = m_Quality.evaluate(
        m_Analyzer, m_Record.source(), m_Record.startIndex, m_Record.frontFound, params);
    if (quality.has(QualityReason::NoTone)) {
        m_Track.clear();
    } else {
        m_Track.compute(m_Record.source(), m_Record.sampleRateHz, m_Record.startIndex,
                        result.mainFrequencyHz, params.windowKind);
    }
    if (m_LugTuning.tapsTaken()) {
        m_LugTuning.readStrike(m_Record, result, params, quality, m_Recorder.threshold());
    }
    recordReading();
    if (!m_StrikeCounts) return;
    m_Series = m_SeriesBefore;
    m_LastAcceptedHz = m_LastAcceptedBefore;
    if (quality.accepted()) {
        m_Series.add(result.mainFrequencyHz);
        m_LastAcceptedHz = result.mainFrequencyHz;
    }
}

void Tuner::updateReadout() {
    m_Readout.update(mainFrequencyHz(), m_Kit, m_Switches, m_OvertoneTransfer);
}

void Tuner::takeShownStrike() {
    // Only the samples the record holds: while a live strike is still being recorded the rest of
    // its buffer belongs to the capture thread.
    const auto recorded =
        m_Record.buffer.begin() + std::clamp(m_Record.sampleCount, 0, kStrikeLength);
    std::copy(m_Record.buffer.begin(), recorded, m_Shown.buffer.begin());
    std::fill(m_Shown.buffer.begin() + (recorded - m_Record.buffer.begin()), m_Shown.buffer.end(),
              std::int16_t{0});
    m_Shown.sampleCount = m_Record.sampleCount;
    m_Shown.startIndex = m_Record.startIndex;
    m_Shown.frontFound = m_Record.frontFound;
    m_Shown.sampleRateHz = m_Record.sampleRateHz;
    m_Shown.directData = m_Record.directData;
    m_Shown.directMapping = m_Record.directMapping;
    m_Shown.directChannels = m_Record.directChannels;
    m_Shown.directSamples = m_Record.directSamples;
}

bool Tuner::analyseEarly(int recordedFrames) {
    // The stretch of the complete live strike; it must be whole in what is recorded so far.
    Stretch live = m_Stretch;
    live.setStrike(kLeadInLength, kStrikeLength, kCaptureRateHz);
    if (live.end() > recordedFrames) return false;

    // The record describes the live strike from now on, as far as it is recorded: everything that
    // reads it (the analysis, the graphs' copy) stays below the samples the capture thread is
    // still writing. Its completion brings the whole second.
    m_Record.releaseDirectFile();
    m_Record.sampleCount = recordedFrames;
    m_Record.startIndex = kLeadInLength;
    m_Record.sampleRateHz = kCaptureRateHz;
    m_Record.frontFound = true;
    m_Analyzer.pickFrequency(0.0);
    m_HasStrike = true;
    m_HasResult = false;
    m_Stretch.setStrike(kLeadInLength, kStrikeLength, kCaptureRateHz);
    takeShownStrike();
    beginSeriesStrike();
    m_ReadEarly = true;
    m_EarlyPass = true;
    analyse();
    m_EarlyPass = false;
    return true;
}

void Tuner::analyse() {
    const AnalysisResult& result = m_Analyzer.analyze(m_Record, m_Stretch, m_Settings);
    m_Record.lastFrequencyText = std::string(result.frequencyText());
    m_HasResult = true;
    evaluateStrike();
    updateReadout();
}

void Tuner::languageChanged() {
    if (m_HasResult) {
        m_Analyzer.writeFrequencyText();
        m_Record.lastFrequencyText = std::string(m_Analyzer.result().frequencyText());
    }
    updateReadout();
}

}  // namespace tomaro
