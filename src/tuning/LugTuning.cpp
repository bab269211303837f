#include "tuning/LugTuning.h"

#include <algorithm>
#include <cmath>

#include "analysis/FixedText.h"
#include "analysis/ModeFamily.h"
#include "history/HistoryTypes.h"
#include "kit/Kit.h"
#include "settings/Profile.h"
#include "tuning/LugStore.h"

namespace tomaro {
namespace {

int overtoneKind(DrumHead head) {
    return head == DrumHead::Batter ? kBatterOvertone : kResonantOvertone;
}

// A CSV field in quotes, its own quotes doubled (drum names such as 12" hold one).
std::string csvField(const std::string& text) {
    std::string field = "\"";
    for (char c : text) field += c == '"' ? std::string("\"\"") : std::string(1, c);
    return field + '"';
}

}  // namespace

LugTuning::LugTuning(Profile& profile, const Kit& kit)
    : m_Profile(profile), m_Kit(kit), m_Head(lugstore::loadHead(profile)) {}

int LugTuning::drumType() const { return m_Drum >= 0 ? m_Kit.drum(m_Drum).type : -1; }

double LugTuning::targetHz(const Kit& kit, int drum, DrumHead head,
                           const history::Snapshot* recall) {
    if (drum < 0 || drum >= kit.count()) return 0.0;
    if (recall) {
        const history::SnapshotDrum* then = recall->drum(kit.drumName(drum));
        const history::HeadPass* pass = then ? then->head(history::struckOf(head)) : nullptr;
        if (pass && pass->meanHz() > 0.0) return pass->meanHz();
    }
    return kit.referenceHz(drum, overtoneKind(head));
}

void LugTuning::configureKeeping(int tunedDrum, const history::Snapshot* recall,
                                 int toleranceCents) {
    const int drum = m_Drum;
    m_Drum = tunedDrum;
    const int type = drumType();
    m_Drum = drum;
    const FrequencyBand search = lugstore::loadSearchRange(m_Profile);
    const bool same = m_Configured && tunedDrum == m_Drum && recall == m_Recall &&
                      targetHz(m_Kit, tunedDrum, m_Head, recall) == m_KitTargetHz &&
                      lugstore::loadCount(m_Profile, type) == m_Lugs.count() &&
                      search.loHz == m_Lugs.searchRange().loHz &&
                      search.hiHz == m_Lugs.searchRange().hiHz;
    if (!same) {
        configure(tunedDrum, recall, toleranceCents);
        return;
    }
    setToleranceCents(toleranceCents);
}

void LugTuning::configure(int tunedDrum, const history::Snapshot* recall, int toleranceCents) {
    m_Configured = true;
    m_Drum = tunedDrum;
    m_Recall = recall;
    m_ToleranceCents = toleranceCents;
    const int type = drumType();
    m_Lugs.reset(lugstore::loadCount(m_Profile, type), lugstore::loadOrder(m_Profile));
    const FrequencyBand search = lugstore::loadSearchRange(m_Profile);
    m_Lugs.setSearchRange(search.loHz, search.hiHz);
    m_Lugs.setToleranceCents(m_ToleranceCents);
    m_KitTargetHz = targetHz(m_Kit, m_Drum, m_Head, m_Recall);
    m_Problem = Problem::None;
    // A target outside the search range is no (1,1) mode a tap could ring there (a coefficient
    // of 0.1 would read a tom's rods at 12 Hz): it is refused and said so.
    if (m_KitTargetHz > 0.0 && !search.contains(m_KitTargetHz)) {
        m_Problem = Problem::TargetOutsideSearch;
    }
    m_Lugs.setTargetHz(m_Problem == Problem::None ? m_KitTargetHz : 0.0);
    m_Lugs.setCentreHz(0.0);
    m_CentrePending = false;
    const std::string stored = lugstore::loadReadings(m_Profile, type, m_Head);
    // A stored head of another count than the drum's rods now is not shown again.
    LugSession restored = m_Lugs;
    m_Restored = false;
    if (restored.restoreReadings(stored) && restored.count() == m_Lugs.count()) {
        m_Lugs = restored;
        m_Restored = m_Lugs.measuredCount() > 0;
    }
    m_Previous = lugstore::loadPrevious(m_Profile, type, m_Head);
    m_Notice = Notice::None;
    m_ReadingHz = 0.0;
    m_LastHz = 0.0;
    m_BandUsed = m_Lugs.band();
    edited();
}

void LugTuning::setToleranceCents(int cents) {
    m_ToleranceCents = cents;
    m_Lugs.setToleranceCents(cents);
    m_LugsBefore.setToleranceCents(cents);
}

void LugTuning::save() {
    lugstore::saveReadings(m_Profile, drumType(), m_Head,
                           m_Lugs.measuredCount() > 0 ? m_Lugs.readingsText() : std::string());
}

void LugTuning::edited() {
    m_LugsBefore = m_Lugs;
    m_StrikeCounts = false;
}

void LugTuning::setOn(bool on) {
    if (on && !m_Analyzer) m_Analyzer = std::make_unique<Analyzer>();
    m_On = on;
    if (!on) m_CentrePending = false;
    edited();
}

void LugTuning::setHead(DrumHead head) {
    m_Head = head;
    lugstore::saveHead(m_Profile, head);
    configure(m_Drum, m_Recall, m_ToleranceCents);
}

void LugTuning::setCount(int count) {
    const int type = drumType();
    lugstore::saveCount(m_Profile, type, std::clamp(count, lugs::kMinCount, lugs::kMaxCount));
    lugstore::saveReadings(m_Profile, type, m_Head, "");
    configure(m_Drum, m_Recall, m_ToleranceCents);
}

void LugTuning::setOrder(LugOrder order) {
    lugstore::saveOrder(m_Profile, order);
    m_Lugs.setOrder(order);
    edited();
}

void LugTuning::select(int lug) {
    m_Lugs.select(lug);
    edited();
}

std::string LugTuning::csv(const std::string& dateText) const {
    const std::string drum = m_Drum >= 0 ? m_Kit.drumName(m_Drum) : std::string();
    const double target = m_Lugs.targetHz();
    const std::string context = csvField(drum) + ',' + lugs::headCode(m_Head) + ',' +
                                (target > 0.0 ? fixedText(target, 2) : std::string()) + ',' +
                                std::to_string(m_ToleranceCents) + ',' + csvField(dateText);
    return m_Lugs.csv("drum,head,target_hz,tolerance_cents,date", context);
}

void LugTuning::keepPrevious() {
    if (m_Lugs.measuredCount() == 0) return;
    m_Previous = m_Lugs.readingsText();
    lugstore::savePrevious(m_Profile, drumType(), m_Head, m_Previous);
}

void LugTuning::reset() {
    keepPrevious();
    m_Restored = false;
    m_Notice = Notice::None;
    m_Lugs.reset(m_Lugs.count(), m_Lugs.order());
    save();
    m_ReadingHz = 0.0;
    m_LastHz = 0.0;
    m_BandUsed = m_Lugs.band();
    edited();
}

bool LugTuning::noteInputPeak(int peak, int threshold, bool recording) {
    const bool quiet = peak * 2 >= threshold && peak < threshold;
    const bool risen = quiet && !m_QuietNoticed;
    if (peak * 2 < threshold) m_QuietNoticed = false;
    if (quiet) m_QuietNoticed = true;
    if (!risen || !tapsTaken() || recording) return false;
    m_Notice = Notice::TooQuiet;
    m_NoticeRod = m_Lugs.selected();
    m_NoticeOnScreen = true;
    return true;
}

void LugTuning::beginStrike() {
    m_LugsBefore = m_Lugs;
    m_CentreBefore = m_CentrePending;
    m_StrikeCounts = tapsTaken();
    m_NoticeOnScreen = m_StrikeCounts;
}

int LugTuning::strikeRod() const {
    return m_StrikeCounts && m_Notice == Notice::Taken ? m_NoticeRod : 0;
}

int LugTuning::nextRod() const {
    if (!tapsTaken()) return -1;
    return m_CentrePending ? 0 : m_Lugs.selected();
}

void LugTuning::readCentre(const StrikeRecord& record, const AnalysisResult& main,
                           const Analyzer::Params& params, bool accepted) {
    if (!accepted || !m_StrikeCounts) return;
    // The centre strike's fundamental is the main reading of the strike, unless the band's pass
    // finds a lower one: the (0,1) is the lowest strong peak of the (0,n) series the strike rings,
    // not the loudest (on large heads (0,2) or (0,3) can ring as loud).
    const double fs = record.sampleRateHz;
    const FrequencyBand search = m_Lugs.searchRange();
    Analyzer::Params centreParams = params;
    centreParams.findF0Hz = static_cast<int>(std::ceil(search.loHz));
    centreParams.findF1Hz = static_cast<int>(std::floor(search.hiHz));
    m_Analyzer->analyze(record.source(), fs, main.stretchStart, main.stretchEnd, centreParams);
    double fundamental =
        centreFundamentalHz(spectralPeaks(*m_Analyzer, fs, search.loHz, search.hiHz));
    if (!(fundamental > 0.0)) fundamental = main.mainFrequencyHz;
    m_CentrePending = false;
    m_Notice = m_Lugs.setCentreHz(fundamental) == LugSession::CentreResult::Disagrees
                   ? Notice::CentreDisagrees
                   : Notice::CentreTaken;
    m_BandUsed = m_Lugs.band();
}

void LugTuning::readStrike(const StrikeRecord& record, const AnalysisResult& main,
                           const Analyzer::Params& params, const QualityReport& quality,
                           int threshold) {
    if (m_StrikeCounts) {
        m_Lugs = m_LugsBefore;
        m_CentrePending = m_CentreBefore;
    }
    m_ReadingHz = 0.0;
    const bool accepted = quality.accepted();
    const double fs = record.sampleRateHz;
    const FrequencyBand search = m_Lugs.searchRange();
    if (search.hiHz > 0.5 * fs) {
        // The search range of a file sampled too slowly for it: nothing can be read there.
        m_Problem = Problem::SearchBeyondRate;
        m_BandUsed = m_Lugs.band();
        return;
    }
    if (m_Problem == Problem::SearchBeyondRate) m_Problem = Problem::None;
    if (m_CentrePending) {
        readCentre(record, main, params, accepted);
        return;
    }
    // The band's own pass over the stretch the main pass read, with the user's window and decay;
    // its spectrum also gives the tap's peaks over the whole lug search range.
    Analyzer::Params bandParams = params;
    auto readIn = [&](const FrequencyBand& band) -> const AnalysisResult& {
        bandParams.findF0Hz = static_cast<int>(std::ceil(band.loHz));
        bandParams.findF1Hz = static_cast<int>(std::floor(band.hiHz));
        return m_Analyzer->analyze(record.source(), fs, main.stretchStart, main.stretchEnd,
                                   bandParams);
    };
    LugTap tap;
    if (!m_Lugs.bandLocked()) {
        readIn(search);
        tap.peaks = spectralPeaks(*m_Analyzer, fs, search.loHz, search.hiHz);
    }
    m_BandUsed = m_Lugs.bandFor(tap.peaks);
    if (m_BandUsed.hiHz > m_BandUsed.loHz) {
        const AnalysisResult& result = readIn(m_BandUsed);
        if (tap.peaks.count == 0)
            tap.peaks = spectralPeaks(*m_Analyzer, fs, search.loHz, search.hiHz);
        // A reading is a peak inside the band: the strongest bin at the band's edge is the slope
        // of a mode outside it, and no reading.
        const Analyzer::BinRange bins = Analyzer::searchBins(bandParams, fs);
        const int bin = result.peakBin;
        // A sidelobe on the skirt of a mode outside the band is a local maximum too, but never
        // stands 6 dB over the band's edge nearer that mode.
        const double edges = std::max(m_Analyzer->power(bins.lo), m_Analyzer->power(bins.hi - 1));
        const bool inside = bin > bins.lo && bin < bins.hi - 1 &&
                            m_Analyzer->power(bin) > m_Analyzer->power(bin - 1) &&
                            m_Analyzer->power(bin) >= m_Analyzer->power(bin + 1) &&
                            m_Analyzer->power(bin) > 4.0 * edges;
        const double hz = result.mainFrequencyHz;
        if (inside && std::isfinite(hz) && m_BandUsed.contains(hz)) tap.readingHz = hz;
    }
    const bool quiet = quality.levelDb < 20.0 * std::log10(2.0 * threshold / 32768.0);
    if (!accepted) {
        // A strike with no tone in the rod's band says so, whatever its level.
        m_Notice = tap.readingHz <= 0.0 ? Notice::NoToneInBand
                   : quiet              ? Notice::TooQuiet
                                        : Notice::Rejected;
        m_NoticeRod = m_Lugs.selected();
        return;
    }
    if (tap.readingHz > 0.0) {
        m_ReadingHz = tap.readingHz;
        m_LastHz = tap.readingHz;
        // The tap's sound from its front, for the fits over all taps of the head. A file's
        // analysed stretch may begin before the hit (a front within the lead-in): the front is
        // where the tap first reaches a quarter of its peak, so no silence and no onset step
        // enter the fits as modes of their own.
        const SampleSource source = record.source();
        const int span = static_cast<int>(std::ceil(ModePairFit::kMaxSpanSec * fs));
        int start = std::clamp(record.startIndex, 0, record.sampleCount);
        int peak = 0;
        const int searchEnd = std::min(record.sampleCount, start + span);
        for (int n = start; n < searchEnd; ++n) peak = std::max(peak, std::abs(int(source.at(n))));
        while (start < searchEnd && 4 * std::abs(int(source.at(start))) < peak) ++start;
        const int end = std::min(record.sampleCount, start + span);
        auto samples = std::make_shared<std::vector<std::int16_t>>();
        samples->reserve(std::max(end - start, 0));
        for (int n = start; n < end; ++n) samples->push_back(source.at(n));
        tap.samples = std::move(samples);
        tap.sampleRateHz = fs;
    }
    if (!m_StrikeCounts) return;
    // The first tap on a head restored from the settings begins a new measurement: the stored
    // one is kept as the previous.
    if (m_Restored) {
        keepPrevious();
        m_Restored = false;
    }
    m_NoticeRod = m_Lugs.selected();
    switch (m_Lugs.record(tap)) {
        case LugTapResult::Taken:
            m_Notice = Notice::Taken;
            break;
        case LugTapResult::NoToneInBand:
            m_Notice = Notice::NoToneInBand;
            m_ReadingHz = 0.0;
            break;
        case LugTapResult::OtherFamily:
            m_Notice = Notice::OtherFamily;
            break;
    }
    // Stored after every pass over the strike: a pass that no longer accepts it takes its reading
    // back from the settings as well as from the screen.
    save();
}

TuningReading LugTuning::tuningReading() const {
    TuningReading reading =
        readingAgainst(m_LastHz, m_Lugs.referenceHz(), m_Kit.latinNames(), m_ToleranceCents);
    if (m_Lugs.referenceIsTarget()) {
        reading.drum = m_Drum;
        reading.kind = overtoneKind(m_Head);
    }
    // The advice of the rod last tapped, as the head's fit gives it, while the ring has already
    // moved on to the next rod.
    const int rod = m_Notice == Notice::Taken ? m_NoticeRod : 0;
    if (reading.valid && rod > 0 && m_Lugs.readingHz(rod) > 0.0) {
        reading.rod = rod;
        reading.cents = m_Lugs.deviationCents(rod);
        reading.advice = m_Lugs.action(rod);
    }
    return reading;
}

LugTapVerdict LugTuning::tapVerdict() const {
    using Reason = LugTapVerdict::Reason;
    LugTapVerdict verdict;
    verdict.rod = m_NoticeRod;
    if (!m_NoticeOnScreen) return verdict;
    auto add = [&verdict](Reason reason, Verdict at) {
        verdict.reasons |= static_cast<unsigned>(reason);
        verdict.verdict = std::max(verdict.verdict, at);
    };
    switch (m_Notice) {
        case Notice::None:
        case Notice::CentreTaken:
        case Notice::CentreDisagrees:
            return verdict;
        case Notice::NoToneInBand:
            add(Reason::NoToneInBand, Verdict::Rejected);
            break;
        case Notice::OtherFamily:
            add(Reason::OtherFamily, Verdict::Rejected);
            break;
        case Notice::TooQuiet:
            add(Reason::TooQuiet, Verdict::Rejected);
            break;
        case Notice::Rejected:
            add(Reason::StrikeRejected, Verdict::Rejected);
            break;
        case Notice::Taken:
            // Later taps may have read the rod again on another family, and found nothing there.
            if (!(m_Lugs.readingHz(m_NoticeRod) > 0.0))
                add(Reason::NoToneInBand, Verdict::Rejected);
            break;
    }
    verdict.judged = true;
    if (verdict.verdict == Verdict::Rejected) return verdict;
    // The pair as the fits over all taps see this tap (else its own fit): the stronger member
    // carries the reading.
    const ModePair& pair = m_Lugs.tap(m_NoticeRod).pair11;
    const double snrDb = std::max(pair.lo.snrDb, pair.hi.snrDb);
    if (pair.count > 0 && std::isfinite(snrDb)) {
        verdict.levelKnown = true;
        verdict.snrDb = snrDb;
        if (!(verdict.snrDb >= LugTapVerdict::kGoodSnrDb))
            add(Reason::WeakInBand, Verdict::Doubtful);
    }
    if (m_Lugs.disagrees(m_NoticeRod)) add(Reason::OffPattern, Verdict::Doubtful);
    return verdict;
}

}  // namespace tomaro
