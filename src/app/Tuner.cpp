#include "app/Tuner.h"

#include "display/NearestReference.h"
#include "settings/Profile.h"

namespace tomaro {

Tuner::Tuner(Profile& profile)
    : m_Profile(profile),
      m_Recorder(m_Record),
      m_Settings(profile),
      m_Stretch(profile),
      m_Switches(ReferenceSwitches::load(profile)),
      m_OvertoneTransfer(loadOvertoneTransfer(profile)) {
    m_Recorder.setThreshold(readThreshold(profile));
    m_Kit.load(profile);
    m_Stretch.setStrike(m_Record);
    m_Recorder.setStrikeReplacedHook([this] {
        // A frequency picked on the previous strike's spectrum means nothing for this one.
        m_Analyzer.pickFrequency(0.0);
        m_HasStrike = true;
        m_HasResult = false;
        m_Stretch.setStrike(m_Record);
        takeShownStrike();
    });
    m_Recorder.setAnalysisHook([this] { analyse(); });
    m_Recorder.setStrikeAbandonedHook([this] { m_Record.buffer = m_Shown.buffer; });
    updateReadout();
}

double Tuner::mainFrequencyHz() const {
    return m_HasResult ? m_Analyzer.result().mainFrequencyHz : 0.0;
}

WavLoadResult Tuner::loadFile(const std::string& path) { return loadWavFile(path, m_Recorder); }

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
    updateReadout();
}

void Tuner::updateReadout() {
    m_Readout.update(mainFrequencyHz(), m_Kit, m_Switches, m_OvertoneTransfer);
}

void Tuner::takeShownStrike() {
    m_Shown.buffer = m_Record.buffer;
    m_Shown.sampleCount = m_Record.sampleCount;
    m_Shown.startIndex = m_Record.startIndex;
    m_Shown.sampleRateHz = m_Record.sampleRateHz;
    m_Shown.directData = m_Record.directData;
    m_Shown.directMapping = m_Record.directMapping;
    m_Shown.directChannels = m_Record.directChannels;
    m_Shown.directSamples = m_Record.directSamples;
}

void Tuner::analyse() {
    const AnalysisResult& result = m_Analyzer.analyze(m_Record, m_Stretch, m_Settings);
    m_Record.lastFrequencyText = std::string(result.frequencyText());
    m_HasResult = true;
    updateReadout();
}

}  // namespace tomaro
