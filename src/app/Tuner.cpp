#include "app/Tuner.h"

#include <algorithm>
#include <cmath>

#include "analysis/FixedText.h"
#include "analysis/ModeFamily.h"
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
    m_ToleranceCents = tuningstore::loadTolerance(profile);
    m_LugHead = lugstore::loadHead(profile);
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
    configureLugs();
}

void Tuner::setTunedDrum(int position) {
    if (position < 0 || position >= m_Kit.count()) position = -1;
    tuningstore::saveDrumName(m_Profile, position >= 0 ? m_Kit.drumName(position) : "");
    findTunedDrum();
}

void Tuner::setToleranceCents(int cents) {
    tuningstore::saveTolerance(m_Profile, cents);
    m_ToleranceCents = tuningstore::loadTolerance(m_Profile);
    m_Lugs.setToleranceCents(m_ToleranceCents);
    m_LugsBefore.setToleranceCents(m_ToleranceCents);
}

TuningReading Tuner::tuningReading() const {
    if (m_LugMode) {
        TuningReading reading =
            readingAgainst(m_LastLugHz, m_Lugs.referenceHz(), m_Kit.latinNames(), m_ToleranceCents);
        if (m_Lugs.referenceIsTarget()) {
            reading.drum = m_TunedDrum;
            reading.kind = m_LugHead == DrumHead::Batter ? kBatterOvertone : kResonantOvertone;
        }
        // The advice of the rod last tapped, as the head's fit gives it, while the ring has
        // already moved on to the next rod.
        const int rod = m_LugNotice == LugNotice::Taken ? m_LugNoticeRod : 0;
        if (reading.valid && rod > 0 && m_Lugs.readingHz(rod) > 0.0) {
            reading.rod = rod;
            reading.cents = m_Lugs.deviationCents(rod);
            reading.advice = m_Lugs.action(rod);
        }
        return reading;
    }
    double hz = m_LastAcceptedHz;
    if (m_HasResult && m_Quality.report().accepted()) hz = mainFrequencyHz();
    return recalled(tomaro::tuningReading(hz, m_Kit, m_Switches, m_TunedDrum, m_ToleranceCents));
}

void Tuner::configureLugs() {
    const int type = m_TunedDrum >= 0 ? m_Kit.drum(m_TunedDrum).type : -1;
    m_Lugs.reset(lugstore::loadCount(m_Profile, type), lugstore::loadOrder(m_Profile));
    const FrequencyBand search = lugstore::loadSearchRange(m_Profile);
    m_Lugs.setSearchRange(search.loHz, search.hiHz);
    m_Lugs.setToleranceCents(m_ToleranceCents);
    const int kind = m_LugHead == DrumHead::Batter ? kBatterOvertone : kResonantOvertone;
    m_LugKitTargetHz = lugTargetHz(kind);
    m_LugProblem = LugProblem::None;
    // A target outside the search range is no (1,1) mode a tap could ring there (a coefficient
    // of 0.1 would read a tom's rods at 12 Hz): it is refused and said so.
    if (m_LugKitTargetHz > 0.0 && !search.contains(m_LugKitTargetHz)) {
        m_LugProblem = LugProblem::TargetOutsideSearch;
    }
    m_Lugs.setTargetHz(m_LugProblem == LugProblem::None ? m_LugKitTargetHz : 0.0);
    m_Lugs.setCentreHz(0.0);
    m_CentrePending = false;
    const std::string stored = lugstore::loadReadings(m_Profile, type, m_LugHead);
    // A stored head of another count than the drum's rods now is not shown again.
    LugSession restored = m_Lugs;
    m_LugsRestored = false;
    if (restored.restoreReadings(stored) && restored.count() == m_Lugs.count()) {
        m_Lugs = restored;
        m_LugsRestored = m_Lugs.measuredCount() > 0;
    }
    m_PreviousLugs = lugstore::loadPrevious(m_Profile, type, m_LugHead);
    m_LugNotice = LugNotice::None;
    m_LugReadingHz = 0.0;
    m_LastLugHz = 0.0;
    m_LugBandUsed = m_Lugs.band();
    lugsEdited();
}

void Tuner::saveLugs() {
    const int type = m_TunedDrum >= 0 ? m_Kit.drum(m_TunedDrum).type : -1;
    lugstore::saveReadings(m_Profile, type, m_LugHead,
                           m_Lugs.measuredCount() > 0 ? m_Lugs.readingsText() : std::string());
}

void Tuner::lugsEdited() {
    m_LugsBefore = m_Lugs;
    m_LugStrikeCounts = false;
}

void Tuner::setLugMode(bool on) {
    if (on && !m_LugAnalyzer) m_LugAnalyzer = std::make_unique<Analyzer>();
    m_LugMode = on;
    if (!on) m_CentrePending = false;
    lugsEdited();
}

void Tuner::setLugHead(DrumHead head) {
    m_LugHead = head;
    lugstore::saveHead(m_Profile, head);
    configureLugs();
}

void Tuner::setLugCount(int count) {
    const int type = m_TunedDrum >= 0 ? m_Kit.drum(m_TunedDrum).type : -1;
    lugstore::saveCount(m_Profile, type, std::clamp(count, lugs::kMinCount, lugs::kMaxCount));
    lugstore::saveReadings(m_Profile, type, m_LugHead, "");
    configureLugs();
}

void Tuner::setLugOrder(LugOrder order) {
    lugstore::saveOrder(m_Profile, order);
    m_Lugs.setOrder(order);
    lugsEdited();
}

void Tuner::selectLug(int lug) {
    m_Lugs.select(lug);
    lugsEdited();
}

namespace {

// A CSV field in quotes, its own quotes doubled (drum names such as 12" hold one).
std::string csvField(const std::string& text) {
    std::string field = "\"";
    for (char c : text) field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + '"';
}

}  // namespace

std::string Tuner::lugCsv(const std::string& dateText) const {
    const std::string drum = m_TunedDrum >= 0 ? m_Kit.drumName(m_TunedDrum) : std::string();
    const double target = m_Lugs.targetHz();
    const std::string context = csvField(drum) + ',' + lugs::headCode(m_LugHead) + ',' +
                                (target > 0.0 ? fixedText(target, 2) : std::string()) + ',' +
                                std::to_string(m_ToleranceCents) + ',' + csvField(dateText);
    return m_Lugs.csv("drum,head,target_hz,tolerance_cents,date", context);
}

void Tuner::keepPreviousLugs() {
    if (m_Lugs.measuredCount() == 0) return;
    const int type = m_TunedDrum >= 0 ? m_Kit.drum(m_TunedDrum).type : -1;
    m_PreviousLugs = m_Lugs.readingsText();
    lugstore::savePrevious(m_Profile, type, m_LugHead, m_PreviousLugs);
}

void Tuner::resetLugs() {
    keepPreviousLugs();
    m_LugsRestored = false;
    m_LugNotice = LugNotice::None;
    m_Lugs.reset(m_Lugs.count(), m_Lugs.order());
    saveLugs();
    m_LugReadingHz = 0.0;
    m_LastLugHz = 0.0;
    m_LugBandUsed = m_Lugs.band();
    lugsEdited();
}

bool Tuner::noteInputPeak(int peak) {
    const int threshold = m_Recorder.threshold();
    const bool quiet = peak * 2 >= threshold && peak < threshold;
    const bool risen = quiet && !m_QuietNoticed;
    if (peak * 2 < threshold) m_QuietNoticed = false;
    if (quiet) m_QuietNoticed = true;
    if (!risen || !lugTapsTaken() || m_Recorder.recording()) return false;
    m_LugNotice = LugNotice::TooQuiet;
    m_LugNoticeRod = m_Lugs.selected();
    return true;
}

void Tuner::readLug(bool accepted) {
    if (m_LugStrikeCounts) {
        m_Lugs = m_LugsBefore;
        m_CentrePending = m_CentreBefore;
    }
    m_LugReadingHz = 0.0;
    const double fs = m_Record.sampleRateHz;
    const FrequencyBand search = m_Lugs.searchRange();
    if (search.hiHz > 0.5 * fs) {
        // The search range of a file sampled too slowly for it: nothing can be read there.
        m_LugProblem = LugProblem::SearchBeyondRate;
        m_LugBandUsed = m_Lugs.band();
        return;
    }
    if (m_LugProblem == LugProblem::SearchBeyondRate) m_LugProblem = LugProblem::None;
    const AnalysisResult& main = m_Analyzer.result();
    if (m_CentrePending) {
        // The centre strike: its fundamental is the main reading of the strike.
        if (!accepted || !m_LugStrikeCounts) return;
        // The (0,1) is the lowest strong peak of the (0,n) series the strike rings, not the
        // loudest: on large heads (0,2) or (0,3) can ring as loud.
        Analyzer::Params centreParams = Analyzer::paramsOf(m_Settings);
        centreParams.findF0Hz = static_cast<int>(std::ceil(search.loHz));
        centreParams.findF1Hz = static_cast<int>(std::floor(search.hiHz));
        m_LugAnalyzer->analyze(m_Record.source(), fs, main.stretchStart, main.stretchEnd,
                               centreParams);
        double fundamental =
            centreFundamentalHz(spectralPeaks(*m_LugAnalyzer, fs, search.loHz, search.hiHz));
        if (!(fundamental > 0.0)) fundamental = main.mainFrequencyHz;
        m_CentrePending = false;
        m_LugNotice = m_Lugs.setCentreHz(fundamental) == LugSession::CentreResult::Disagrees
                          ? LugNotice::CentreDisagrees
                          : LugNotice::CentreTaken;
        m_LugBandUsed = m_Lugs.band();
        return;
    }
    // The band's own pass over the stretch the main pass read, with the user's window and decay;
    // its spectrum also gives the tap's peaks over the whole lug search range.
    Analyzer::Params params = Analyzer::paramsOf(m_Settings);
    auto readIn = [&](const FrequencyBand& band) -> const AnalysisResult& {
        params.findF0Hz = static_cast<int>(std::ceil(band.loHz));
        params.findF1Hz = static_cast<int>(std::floor(band.hiHz));
        return m_LugAnalyzer->analyze(m_Record.source(), fs, main.stretchStart, main.stretchEnd,
                                      params);
    };
    LugTap tap;
    if (!m_Lugs.bandLocked()) {
        readIn(search);
        tap.peaks = spectralPeaks(*m_LugAnalyzer, fs, search.loHz, search.hiHz);
    }
    m_LugBandUsed = m_Lugs.bandFor(tap.peaks);
    if (m_LugBandUsed.hiHz > m_LugBandUsed.loHz) {
        const AnalysisResult& result = readIn(m_LugBandUsed);
        if (tap.peaks.count == 0) {
            tap.peaks = spectralPeaks(*m_LugAnalyzer, fs, search.loHz, search.hiHz);
        }
        // A reading is a peak inside the band: the strongest bin at the band's edge is the slope
        // of a mode outside it, and no reading.
        const Analyzer::BinRange bins = Analyzer::searchBins(params, fs);
        const int bin = result.peakBin;
        // A sidelobe on the skirt of a mode outside the band is a local maximum too, but never
        // stands 6 dB over the band's edge nearer that mode.
        const double edges =
            std::max(m_LugAnalyzer->power(bins.lo), m_LugAnalyzer->power(bins.hi - 1));
        const bool inside = bin > bins.lo && bin < bins.hi - 1 &&
                            m_LugAnalyzer->power(bin) > m_LugAnalyzer->power(bin - 1) &&
                            m_LugAnalyzer->power(bin) >= m_LugAnalyzer->power(bin + 1) &&
                            m_LugAnalyzer->power(bin) > 4.0 * edges;
        const double hz = result.mainFrequencyHz;
        if (inside && std::isfinite(hz) && m_LugBandUsed.contains(hz)) tap.readingHz = hz;
    }
    const bool quiet =
        m_Quality.report().levelDb < 20.0 * std::log10(2.0 * m_Recorder.threshold() / 32768.0);
    if (!accepted) {
        // A strike with no tone in the rod's band says so, whatever its level.
        m_LugNotice = tap.readingHz <= 0.0 ? LugNotice::NoToneInBand
                      : quiet              ? LugNotice::TooQuiet
                                           : LugNotice::Rejected;
        m_LugNoticeRod = m_Lugs.selected();
        return;
    }
    if (tap.readingHz > 0.0) {
        m_LugReadingHz = tap.readingHz;
        m_LastLugHz = tap.readingHz;
        // The tap's sound from its front, for the fits over all taps of the head. A file's
        // analysed stretch may begin before the hit (a front within the lead-in): the front is
        // where the tap first reaches a quarter of its peak, so no silence and no onset step
        // enter the fits as modes of their own.
        const SampleSource source = m_Record.source();
        const int span = static_cast<int>(std::ceil(ModePairFit::kMaxSpanSec * fs));
        int start = std::clamp(m_Record.startIndex, 0, m_Record.sampleCount);
        int peak = 0;
        const int searchEnd = std::min(m_Record.sampleCount, start + span);
        for (int n = start; n < searchEnd; ++n) peak = std::max(peak, std::abs(int(source.at(n))));
        while (start < searchEnd && 4 * std::abs(int(source.at(start))) < peak) ++start;
        const int end = std::min(m_Record.sampleCount, start + span);
        auto samples = std::make_shared<std::vector<std::int16_t>>();
        samples->reserve(std::max(end - start, 0));
        for (int n = start; n < end; ++n) samples->push_back(source.at(n));
        tap.samples = std::move(samples);
        tap.sampleRateHz = fs;
    }
    if (!m_LugStrikeCounts) return;
    // The first tap on a head restored from the settings begins a new measurement: the stored
    // one is kept as the previous.
    if (m_LugsRestored) {
        keepPreviousLugs();
        m_LugsRestored = false;
    }
    m_LugNoticeRod = m_Lugs.selected();
    switch (m_Lugs.record(tap)) {
        case LugTapResult::Taken:
            m_LugNotice = LugNotice::Taken;
            break;
        case LugTapResult::NoToneInBand:
            m_LugNotice = LugNotice::NoToneInBand;
            m_LugReadingHz = 0.0;
            break;
        case LugTapResult::OtherFamily:
            m_LugNotice = LugNotice::OtherFamily;
            break;
    }
    // Stored after every pass over the strike: a pass that no longer accepts it takes its reading
    // back from the settings as well as from the screen.
    saveLugs();
}

void Tuner::clearSeries() {
    m_Series.clear();
    m_SeriesBefore.clear();
    m_StrikeCounts = false;
}

void Tuner::beginSeriesStrike() {
    m_LugsBefore = m_Lugs;
    m_CentreBefore = m_CentrePending;
    m_LugStrikeCounts = lugTapsTaken();
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
    if (lugTapsTaken()) readLug(quality.accepted());
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
