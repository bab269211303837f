#include "tuning/LugSession.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/FixedText.h"
#include "audio/StrikeRecord.h"
#include "base/Cents.h"
#include "base/Median.h"
#include "kit/DrumTypes.h"

namespace tomaro {
namespace lugs {

int opposite(int lug, int count) { return (lug - 1 + count / 2) % count + 1; }

std::vector<int> tappingOrder(int count, LugOrder order) {
    count = std::clamp(count, kMinCount, kMaxCount);
    std::vector<int> rods;
    rods.reserve(count);
    if (order == LugOrder::Clockwise) {
        for (int lug = 1; lug <= count; ++lug) rods.push_back(lug);
        return rods;
    }
    std::array<bool, kMaxCount + 1> visited{};
    auto take = [&](int lug) {
        visited[lug] = true;
        rods.push_back(lug);
    };
    // Rods apart around the head, the shorter way.
    auto distance = [count](int a, int b) {
        const int d = std::abs(a - b);
        return std::min(d, count - d);
    };
    take(1);
    while (static_cast<int>(rods.size()) < count) {
        const int across = opposite(rods.back(), count);
        if (rods.size() % 2 == 1 && !visited[across]) {
            take(across);
            continue;
        }
        int farthest = 0;
        int farthestDistance = -1;
        for (int lug = 1; lug <= count; ++lug) {
            if (visited[lug]) continue;
            int nearest = count;
            for (int tapped : rods) nearest = std::min(nearest, distance(lug, tapped));
            if (nearest > farthestDistance) {
                farthestDistance = nearest;
                farthest = lug;
            }
        }
        take(farthest);
    }
    return rods;
}

double angleDeg(int lug, int count) { return 360.0 * (lug - 1) / count; }

int defaultCount(int drumType) {
    if (drumType == drums::kSnare) return 8;
    if (drumType == drums::kKick) return 10;
    const int inches = drumType + 4;
    if (inches <= 13) return 6;
    if (inches <= 18) return 8;
    return 10;
}

const char* orderCode(LugOrder order) { return order == LugOrder::Star ? "star" : "clockwise"; }

const char* actionCode(LugAction action) {
    switch (action) {
        case LugAction::Ok:
            return "ok";
        case LugAction::Tighten:
            return "tighten";
        case LugAction::Loosen:
            return "loosen";
        case LugAction::None:
            break;
    }
    return "none";
}

}  // namespace lugs

namespace {

std::string number(double value, int decimals) { return fixedText(value, decimals); }

}  // namespace

void LugSession::reset(int count, LugOrder order) {
    m_Count = std::clamp(count, lugs::kMinCount, lugs::kMaxCount);
    m_Order = order;
    m_TappingOrder = lugs::tappingOrder(m_Count, m_Order);
    m_Hz.fill(0.0);
    m_Taps.fill(LugTap{});
    m_Baseband11.fill(Baseband{});
    m_Baseband21.fill(Baseband{});
    m_Band21 = {};
    m_Band21Of11 = {};
    m_Step = 0;
    m_AnchorHz = 0.0;
    m_BandFinal = false;
    m_TapsInBand = 0;
    m_TapsOutOfBand = 0;
    m_TappedThisPass.fill(false);
    m_Response.reset();
    refit();
}

void LugSession::setResponse(const HeadResponse& response) {
    m_Response = response;
    refit();
}

void LugSession::setOrder(LugOrder order) {
    const int lug = selected();
    m_Order = order;
    m_TappingOrder = lugs::tappingOrder(m_Count, m_Order);
    select(lug);
}

void LugSession::setTargetHz(double targetHz) {
    const double before = m_TargetHz;
    m_TargetHz = std::isfinite(targetHz) && targetHz > 0.0 ? targetHz : 0.0;
    if (m_TargetHz != before) {
        m_TapsInBand = 0;
        m_TapsOutOfBand = 0;
    }
    refit();
}

LugSession::CentreResult LugSession::setCentreHz(double fundamentalHz) {
    const double hz = std::isfinite(fundamentalHz) && fundamentalHz > 0.0 ? fundamentalHz : 0.0;
    if (hz <= 0.0) {
        m_CentreHz = 0.0;
        return CentreResult::Placed;
    }
    const double implied = hz * m_CentreRatio;
    // A band already placed for this head (by a centre strike, or by the rods once every rod was
    // read) stays; a strike that disagrees with it is told, not followed.
    const bool placed = m_CentreHz > 0.0 || (m_AnchorHz > 0.0 && m_BandFinal);
    if (placed && m_TargetHz <= 0.0) {
        const double current = familyCentreHz();
        if (std::abs(std::log(implied / current)) > std::log(1.0 + kBandFraction)) {
            return CentreResult::Disagrees;
        }
        return CentreResult::Placed;
    }
    if (hz != m_CentreHz) {
        m_TapsInBand = 0;
        m_TapsOutOfBand = 0;
        m_CentreRatio = kUsualCentreRatio;
    }
    m_CentreHz = hz;
    refit();
    return CentreResult::Placed;
}

bool LugSession::bandConfirmed() const {
    if (bandSource() != LugBandSource::Centre) return true;
    return !(m_TapsOutOfBand >= 2 && m_TapsOutOfBand > m_TapsInBand);
}

void LugSession::setSearchRange(double f0Hz, double f1Hz) {
    if (f0Hz > 0.0 && f0Hz < f1Hz) m_Search = {f0Hz, f1Hz};
}

void LugSession::setToleranceCents(double cents) { m_ToleranceCents = cents > 0.0 ? cents : 0.0; }

void LugSession::select(int lug) {
    const auto at = std::find(m_TappingOrder.begin(), m_TappingOrder.end(), lug);
    if (at != m_TappingOrder.end()) m_Step = static_cast<int>(at - m_TappingOrder.begin());
}

LugBandSource LugSession::bandSource() const {
    if (m_TargetHz > 0.0) return LugBandSource::Target;
    if (m_CentreHz > 0.0) return LugBandSource::Centre;
    if (m_AnchorHz > 0.0) return LugBandSource::Rods;
    return LugBandSource::None;
}

double LugSession::familyCentreHz() const {
    switch (bandSource()) {
        case LugBandSource::Target:
            return m_TargetHz;
        case LugBandSource::Centre:
            return m_CentreHz * m_CentreRatio;
        case LugBandSource::Rods:
            return m_AnchorHz;
        case LugBandSource::None:
            break;
    }
    return 0.0;
}

namespace {

FrequencyBand around(double centreHz, double fraction) {
    if (!(centreHz > 0.0)) return {};
    return {centreHz * (1.0 - fraction), centreHz * (1.0 + fraction)};
}

}  // namespace

FrequencyBand LugSession::band() const {
    const double centre = familyCentreHz();
    return centre > 0.0 ? around(centre, kBandFraction) : m_Search;
}

FrequencyBand LugSession::bandFor(const PeakList& peaks) const {
    if (bandLocked()) return band();
    return around(pairFamilyHz(std::span<const PeakList>(&peaks, 1)), kBandFraction);
}

FrequencyBand pair21Band(const FrequencyBand& pairBand) {
    if (!(pairBand.hiHz > pairBand.loHz && pairBand.loHz > 0.0)) return {};
    const double centre = std::sqrt(pairBand.loHz * pairBand.hiHz);
    return around(centre * membrane::kRatio21, membrane::kPair21BandFraction);
}

namespace {

// The loudest of `peaks` inside `band`, 0 when none is.
double peakInside(const PeakList& peaks, const FrequencyBand& band) {
    for (int p = 0; p < peaks.count; ++p) {
        if (band.contains(peaks.peaks[p].frequencyHz)) return peaks.peaks[p].frequencyHz;
    }
    return 0.0;
}

}  // namespace

LugTapResult LugSession::record(const LugTap& offered) {
    LugTap tap = offered;
    FrequencyBand tapBand = bandFor(tap.peaks);
    if (bandSource() == LugBandSource::Rods && !m_BandFinal && tap.peaks.count > 0) {
        // The family as all taps show it with this one: when it is another mode than the one the
        // first taps were read in, every rod is read again in its band, this tap too.
        std::vector<PeakList> peaks{tap.peaks};
        for (int i = 0; i < m_Count; ++i) {
            if (m_Hz[i] > 0.0 && m_Taps[i].peaks.count > 0) peaks.push_back(m_Taps[i].peaks);
        }
        const double family = pairFamilyHz(peaks);
        if (peaks.size() >= 2 && family > 0.0 &&
            std::abs(std::log(family / m_AnchorHz)) > std::log(kOtherFamilyRatio)) {
            readAgainFromPeaks(family);
            tapBand = band();
            tap.readingHz = peakInside(tap.peaks, tapBand);
            tap.pair11 = {};
            tap.pair21 = {};
        }
    }
    if (bandSource() == LugBandSource::Centre && measuredCount() == 0) {
        // A head tuned far from the usual has its (1,1) further from its fundamental than the
        // usual ratio puts it, at the band's edge or past it: the head's first tap centres the
        // band on the family it shows.
        if (const double family = centreFamilyHz(tap.peaks, m_CentreHz); family > 0.0) {
            m_CentreRatio = family / m_CentreHz;
            tapBand = band();
            tap.readingHz = peakInside(tap.peaks, tapBand);
            tap.pair11 = {};
            tap.pair21 = {};
        }
    }
    if (!std::isfinite(tap.readingHz) || tap.readingHz <= 0.0 ||
        (tapBand.hiHz > tapBand.loHz && !tapBand.contains(tap.readingHz))) {
        if (bandLocked()) ++m_TapsOutOfBand;
        refit();
        return LugTapResult::NoToneInBand;
    }
    // Another mode: 10 % or more from the median of the other rods.
    std::vector<double> others;
    for (int lug = 1; lug <= m_Count; ++lug) {
        if (lug != selected() && m_Hz[lug - 1] > 0.0) others.push_back(m_Hz[lug - 1]);
    }
    if (others.size() >= 2) {
        const double ratio = tap.readingHz / median(others, EvenMedian::Upper);
        if (ratio >= kOtherFamilyRatio || ratio <= 1.0 / kOtherFamilyRatio) {
            refit();
            return LugTapResult::OtherFamily;
        }
    }
    const int rod = selected();
    m_Hz[rod - 1] = tap.readingHz;
    m_Taps[selected() - 1] = tap;
    m_Baseband11[selected() - 1].ok = false;
    m_Baseband21[selected() - 1].ok = false;
    m_Step = (m_Step + 1) % m_Count;
    if (bandSource() == LugBandSource::None) {
        m_AnchorHz =
            tapBand.hiHz > tapBand.loHz ? std::sqrt(tapBand.loHz * tapBand.hiHz) : tap.readingHz;
    }
    ++m_TapsInBand;
    if (measuredCount() == m_Count) m_BandFinal = true;
    refit();
    // Every rod tapped since the last pass ended: this pass ends, and what the head did with the
    // advice after the last one is learnt before the next advice is given.
    m_TappedThisPass[rod - 1] = true;
    if (tap.samples && std::all_of(m_TappedThisPass.begin(), m_TappedThisPass.begin() + m_Count,
                                   [](bool tapped) { return tapped; })) {
        m_TappedThisPass.fill(false);
        m_Response.passDone(m_Head, m_ToleranceCents);
        refit();
    }
    return LugTapResult::Taken;
}

void LugSession::readAgainFromPeaks(double centreHz) {
    m_AnchorHz = centreHz;
    const FrequencyBand family = band();
    for (int i = 0; i < m_Count; ++i) {
        if (m_Hz[i] <= 0.0 || m_Taps[i].peaks.count == 0) continue;
        const double hz = peakInside(m_Taps[i].peaks, family);
        m_Hz[i] = hz;
        m_Taps[i].readingHz = hz;
        m_Taps[i].pair11 = {};
        m_Taps[i].pair21 = {};
    }
}

bool LugSession::record(double frequencyHz) {
    LugTap tap;
    tap.readingHz = frequencyHz;
    return record(tap) == LugTapResult::Taken;
}

void LugSession::setReading(int lug, double frequencyHz) {
    if (lug < 1 || lug > m_Count) return;
    const bool valid = std::isfinite(frequencyHz) && frequencyHz > 0.0;
    m_Hz[lug - 1] = valid ? frequencyHz : 0.0;
    m_Taps[lug - 1] = LugTap{};
    m_Baseband11[lug - 1].ok = false;
    m_Baseband21[lug - 1].ok = false;
    m_Taps[lug - 1].readingHz = m_Hz[lug - 1];
    if (valid && m_AnchorHz <= 0.0) m_AnchorHz = frequencyHz;
    refit();
}

double LugSession::readingHz(int lug) const {
    return lug >= 1 && lug <= m_Count ? m_Hz[lug - 1] : 0.0;
}

const LugTap& LugSession::tap(int lug) const {
    static const LugTap kNone;
    return lug >= 1 && lug <= m_Count ? m_Taps[lug - 1] : kNone;
}

int LugSession::measuredCount() const {
    return static_cast<int>(
        std::count_if(m_Hz.begin(), m_Hz.begin() + m_Count, [](double hz) { return hz > 0.0; }));
}

FrequencyBand LugSession::keptBand21(const FrequencyBand& band11) {
    if (m_Band21.hiHz > m_Band21.loHz && m_Band21Of11.loHz == band11.loHz &&
        m_Band21Of11.hiHz == band11.hiHz) {
        return m_Band21;
    }
    // Where the taps show (2,1), when they agree on it: its ratio to (1,1) moves with the air a
    // head moves more than the +-4 % band allows.
    FrequencyBand band21 = pair21Band(band11);
    std::vector<PeakList> peaks;
    std::vector<double> readings;
    for (int i = 0; i < m_Count; ++i) {
        if (!(m_Hz[i] > 0.0)) continue;
        peaks.push_back(m_Taps[i].peaks);
        readings.push_back(m_Hz[i]);
    }
    if (!readings.empty()) {
        const double hz = pair21Hz(peaks, median(readings, EvenMedian::Upper));
        if (hz > 0.0) band21 = around(hz, membrane::kPair21BandFraction);
    }
    // Kept once every rod has a tap, so that later taps neither move it nor make every rod's
    // (2,1) baseband again.
    if (measuredCount() == m_Count) {
        m_Band21 = band21;
        m_Band21Of11 = band11;
    }
    return band21;
}

void LugSession::fitModes() {
    m_Modes11 = HeadModes{};
    m_Modes21 = HeadModes{};
    if (!bandLocked()) return;
    const FrequencyBand band11 = band();
    const FrequencyBand band21 = m_Count >= 8 ? keptBand21(band11) : FrequencyBand{};
    std::array<const Baseband*, lugs::kMaxCount> taps11{}, taps21{};
    int withSound = 0;
    auto prepare = [this](int i, const FrequencyBand& b, Baseband& baseband) -> const Baseband* {
        const LugTap& tap = m_Taps[i];
        if (!(b.hiHz > b.loHz) || b.hiHz >= 0.5 * tap.sampleRateHz) return nullptr;
        if (!baseband.ok || baseband.loHz != b.loHz || baseband.hiHz != b.hiHz) {
            const std::vector<std::int16_t>& samples = *tap.samples;
            SampleSource source;
            source.native = samples.data();
            source.frameCount = static_cast<int>(samples.size());
            m_Fitters->decimator.baseband(source, tap.sampleRateHz, 0, source.frameCount, b.loHz,
                                          b.hiHz, baseband);
        }
        return baseband.ok ? &baseband : nullptr;
    };
    for (int i = 0; i < m_Count; ++i) {
        if (!(m_Hz[i] > 0.0) || !m_Taps[i].samples || !(m_Taps[i].sampleRateHz > 0.0)) continue;
        if (!m_Fitters) m_Fitters = std::make_shared<Fitters>();
        taps11[i] = prepare(i, band11, m_Baseband11[i]);
        if (m_Count >= 8) {
            const Baseband& kept = m_Baseband21[i];
            // The tap's own member belongs to its baseband: fitted again only with it.
            if (!kept.ok || kept.loHz != band21.loHz || kept.hiHz != band21.hiHz) {
                m_Reading21Hz[i] = -1.0;
            }
            taps21[i] = prepare(i, band21, m_Baseband21[i]);
        }
        ++withSound;
    }
    if (withSound == 0) return;
    m_Modes11 = m_Fitters->head.fit(std::span(taps11.data(), m_Count), band11.loHz, band11.hiHz);
    if (m_Count >= 8) {
        m_Modes21 =
            m_Fitters->head.fit(std::span(taps21.data(), m_Count), band21.loHz, band21.hiHz);
        // A (2,1) pair too close for the fit over all taps: each tap's own member, whose swing
        // around the head shows the split (fitHead()), fitted once per tap.
        for (int i = 0; i < m_Count && m_Modes21.count == 1; ++i) {
            if (!taps21[i] || m_Reading21Hz[i] >= 0.0) continue;
            const HeadModes own =
                m_Fitters->head.fit(std::span(&taps21[i], 1), band21.loHz, band21.hiHz);
            m_Reading21Hz[i] = own.count == 1 ? own.lo.frequencyHz : 0.0;
        }
    }
}

void LugSession::refit() {
    fitModes();
    std::array<RodObservation, lugs::kMaxCount> rods{};
    for (int i = 0; i < m_Count; ++i) {
        if (m_Modes11.taps[i].fitted) m_Taps[i].pair11 = m_Modes11.pairAt(i);
        if (m_Modes21.taps[i].fitted) m_Taps[i].pair21 = m_Modes21.pairAt(i);
        rods[i].angleDeg = lugs::angleDeg(i + 1, m_Count);
        rods[i].readingHz = m_Hz[i];
        rods[i].pair11 = m_Taps[i].pair11;
        rods[i].pair21 = m_Taps[i].pair21;
        rods[i].reading21Hz = m_Baseband21[i].ok ? std::max(m_Reading21Hz[i], 0.0) : 0.0;
    }
    const bool joint11 = m_Modes11.tapsFitted > 0;
    const bool joint21 = m_Modes21.tapsFitted > 0;
    m_Head = fitHead(std::span<const RodObservation>(rods.data(), m_Count), m_TargetHz,
                     joint11 ? &m_Modes11 : nullptr, joint21 ? &m_Modes21 : nullptr,
                     AdviceGain{m_Response.scale(), m_Response.turnDeg()});
}

double LugSession::referenceHz() const {
    if (m_TargetHz > 0.0) return m_TargetHz;
    return m_Head.meanHz;
}

double LugSession::cents(int lug) const {
    const double hz = readingHz(lug);
    const double reference = referenceHz();
    return hz > 0.0 && reference > 0.0 ? centsBetween(reference, hz) : 0.0;
}

double LugSession::deviationCents(int lug) const {
    return readingHz(lug) > 0.0 ? m_Head.deviationCents[lug - 1] : 0.0;
}

bool LugSession::disagrees(int lug) const {
    return readingHz(lug) > 0.0 && m_Head.disagrees[lug - 1];
}

LugAction LugSession::action(int lug) const {
    if (readingHz(lug) <= 0.0 || referenceHz() <= 0.0) return LugAction::None;
    double threshold = m_ToleranceCents;
    if (m_Head.splitCents > kEvenSplitShare * m_ToleranceCents ||
        m_Head.split21Cents > kEvenSplit21Share * m_ToleranceCents) {
        double largest = 0.0;
        for (int i = 1; i <= m_Count; ++i) largest = std::max(largest, std::abs(deviationCents(i)));
        threshold = std::min(threshold, 0.5 * largest);
    }
    const double deviation = deviationCents(lug);
    if (deviation < -threshold) return LugAction::Tighten;
    if (deviation > threshold) return LugAction::Loosen;
    return LugAction::Ok;
}

double LugSession::spreadCents() const {
    double low = 0.0;
    double high = 0.0;
    for (int i = 0; i < m_Count; ++i) {
        if (m_Hz[i] <= 0.0) continue;
        low = low > 0.0 ? std::min(low, m_Hz[i]) : m_Hz[i];
        high = std::max(high, m_Hz[i]);
    }
    return measuredCount() >= 2 ? centsBetween(low, high) : 0.0;
}

bool LugSession::even() const {
    if (measuredCount() != m_Count || m_Head.splitCents > kEvenSplitShare * m_ToleranceCents ||
        m_Head.split21Cents > kEvenSplit21Share * m_ToleranceCents) {
        return false;
    }
    for (int lug = 1; lug <= m_Count; ++lug) {
        if (action(lug) != LugAction::Ok) return false;
    }
    return true;
}

std::string LugSession::readingsText() const {
    std::string text;
    for (int i = 0; i < m_Count; ++i) {
        if (i > 0) text += ';';
        text += m_Hz[i] > 0.0 ? number(m_Hz[i], 3) : "0";
    }
    return text;
}

bool LugSession::restoreReadings(const std::string& text) {
    std::vector<double> values;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(';', begin), text.size());
        double value = 0.0;
        const auto [ptr, error] = std::from_chars(text.data() + begin, text.data() + end, value);
        if (error != std::errc() || ptr != text.data() + end) return false;
        values.push_back(value);
        begin = end + 1;
    }
    const int count = static_cast<int>(values.size());
    if (count < lugs::kMinCount || count > lugs::kMaxCount) return false;
    reset(count, m_Order);
    for (int lug = 1; lug <= count; ++lug) setReading(lug, values[lug - 1]);
    return true;
}

std::string LugSession::csv(const std::string& contextHeader, const std::string& context) const {
    std::string text =
        "lug,angle_deg,frequency_hz,cents,action,deviation_cents,pair_lo_hz,pair_hi_hz,"
        "split_cents";
    if (!contextHeader.empty()) text += ',' + contextHeader;
    text += '\n';
    for (int lug = 1; lug <= m_Count; ++lug) {
        const bool measured = readingHz(lug) > 0.0;
        const ModePair& pair = tap(lug).pair11;
        const bool resolved = measured && pair.count == 2;
        text += std::to_string(lug) + ',' + number(lugs::angleDeg(lug, m_Count), 1) + ',' +
                (measured ? number(readingHz(lug), 2) : std::string()) + ',' +
                (measured && referenceHz() > 0.0 ? number(cents(lug), 1) : std::string()) + ',' +
                lugs::actionCode(action(lug)) + ',' +
                (measured && referenceHz() > 0.0 ? number(deviationCents(lug), 1) : std::string()) +
                ',' + (resolved ? number(pair.lo.frequencyHz, 2) : std::string()) + ',' +
                (resolved ? number(pair.hi.frequencyHz, 2) : std::string()) + ',' +
                (resolved ? number(pair.splitCents(), 1) : std::string());
        if (!contextHeader.empty()) text += ',' + context;
        text += '\n';
    }
    return text;
}

}  // namespace tomaro
