#include "app/LugSession.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/FixedText.h"
#include "kit/DrumTypes.h"
#include "settings/Profile.h"

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
    // The first rod not yet visited clockwise after `lug` (`lug` itself when it is free).
    auto nextFree = [&](int lug, bool includeSelf) {
        for (int step = includeSelf ? 0 : 1; step <= count; ++step) {
            const int candidate = (lug - 1 + step) % count + 1;
            if (!visited[candidate]) return candidate;
        }
        return lug;
    };
    int pairStart = 1;
    for (int step = 0; step < count; ++step) {
        int lug = 0;
        if (step == 0) {
            lug = 1;
        } else if (step % 2 == 1) {
            lug = nextFree(opposite(rods.back(), count), true);
        } else {
            lug = nextFree(pairStart, false);
            pairStart = lug;
        }
        visited[lug] = true;
        rods.push_back(lug);
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

const char* headCode(DrumHead head) { return head == DrumHead::Batter ? "batter" : "reso"; }

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

double centsBetween(double hz, double referenceHz) { return 1200.0 * std::log2(hz / referenceHz); }

std::string number(double value, int decimals) { return fixedText(value, decimals); }

}  // namespace

void LugSession::reset(int count, LugOrder order) {
    m_Count = std::clamp(count, lugs::kMinCount, lugs::kMaxCount);
    m_Order = order;
    m_TappingOrder = lugs::tappingOrder(m_Count, m_Order);
    m_Hz.fill(0.0);
    m_Step = 0;
    m_AnchorHz = 0.0;
}

void LugSession::setOrder(LugOrder order) {
    const int lug = selected();
    m_Order = order;
    m_TappingOrder = lugs::tappingOrder(m_Count, m_Order);
    select(lug);
}

void LugSession::setSearchRange(double f0Hz, double f1Hz) {
    if (f0Hz > 0.0 && f0Hz < f1Hz) m_Search = {f0Hz, f1Hz};
}

void LugSession::select(int lug) {
    const auto at = std::find(m_TappingOrder.begin(), m_TappingOrder.end(), lug);
    if (at != m_TappingOrder.end()) m_Step = static_cast<int>(at - m_TappingOrder.begin());
}

FrequencyBand LugSession::band() const {
    const double centre = m_TargetHz > 0.0 ? m_TargetHz : m_AnchorHz;
    if (centre <= 0.0) return m_Search;
    return {centre * (1.0 - kBandFraction), centre * (1.0 + kBandFraction)};
}

bool LugSession::record(double frequencyHz) {
    if (!std::isfinite(frequencyHz) || frequencyHz <= 0.0) return false;
    m_Hz[selected() - 1] = frequencyHz;
    if (m_AnchorHz <= 0.0) m_AnchorHz = frequencyHz;
    m_Step = (m_Step + 1) % m_Count;
    return true;
}

void LugSession::setReading(int lug, double frequencyHz) {
    if (lug < 1 || lug > m_Count) return;
    const bool valid = std::isfinite(frequencyHz) && frequencyHz > 0.0;
    m_Hz[lug - 1] = valid ? frequencyHz : 0.0;
    if (valid && m_AnchorHz <= 0.0) m_AnchorHz = frequencyHz;
}

double LugSession::readingHz(int lug) const {
    return lug >= 1 && lug <= m_Count ? m_Hz[lug - 1] : 0.0;
}

int LugSession::measuredCount() const {
    return static_cast<int>(
        std::count_if(m_Hz.begin(), m_Hz.begin() + m_Count, [](double hz) { return hz > 0.0; }));
}

double LugSession::referenceHz() const {
    if (m_TargetHz > 0.0) return m_TargetHz;
    double sum = 0.0;
    int measured = 0;
    for (int i = 0; i < m_Count; ++i) {
        if (m_Hz[i] > 0.0) {
            sum += m_Hz[i];
            ++measured;
        }
    }
    return measured > 0 ? sum / measured : 0.0;
}

double LugSession::cents(int lug) const {
    const double hz = readingHz(lug);
    const double reference = referenceHz();
    return hz > 0.0 && reference > 0.0 ? centsBetween(hz, reference) : 0.0;
}

LugAction LugSession::action(int lug) const {
    if (readingHz(lug) <= 0.0 || referenceHz() <= 0.0) return LugAction::None;
    const double deviation = cents(lug);
    if (deviation < -m_ToleranceCents) return LugAction::Tighten;
    if (deviation > m_ToleranceCents) return LugAction::Loosen;
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
    return measuredCount() >= 2 ? centsBetween(high, low) : 0.0;
}

bool LugSession::even() const {
    return measuredCount() == m_Count && spreadCents() <= m_ToleranceCents;
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

std::string LugSession::csv() const {
    std::string text = "lug,angle_deg,frequency_hz,cents,action\n";
    for (int lug = 1; lug <= m_Count; ++lug) {
        const bool measured = readingHz(lug) > 0.0;
        text += std::to_string(lug) + ',' + number(lugs::angleDeg(lug, m_Count), 1) + ',' +
                (measured ? number(readingHz(lug), 2) : std::string()) + ',' +
                (measured && referenceHz() > 0.0 ? number(cents(lug), 1) : std::string()) + ',' +
                lugs::actionCode(action(lug)) + '\n';
    }
    return text;
}

namespace lugstore {
namespace {

// Without a drum chosen the session keeps its count and readings under "Any".
std::string drumKey(int drumType) { return drumType >= 0 ? drums::typeKey(drumType) : "Any"; }

}  // namespace

LugOrder loadOrder(const Profile& profile) {
    return profile.readInt(kSection, "Order", 0) == 1 ? LugOrder::Clockwise : LugOrder::Star;
}

void saveOrder(Profile& profile, LugOrder order) {
    profile.writeInt(kSection, "Order", order == LugOrder::Clockwise ? 1 : 0);
}

DrumHead loadHead(const Profile& profile) {
    return profile.readInt(kSection, "Head", 0) == 1 ? DrumHead::Resonant : DrumHead::Batter;
}

void saveHead(Profile& profile, DrumHead head) {
    profile.writeInt(kSection, "Head", head == DrumHead::Resonant ? 1 : 0);
}

FrequencyBand loadSearchRange(const Profile& profile) {
    const int f0 = profile.readInt(kSection, "SearchF0", LugSession::kDefaultSearchF0Hz);
    const int f1 = profile.readInt(kSection, "SearchF1", LugSession::kDefaultSearchF1Hz);
    if (f0 >= 10 && f0 < f1 && f1 <= 20000) return {double(f0), double(f1)};
    return {LugSession::kDefaultSearchF0Hz, LugSession::kDefaultSearchF1Hz};
}

int loadCount(const Profile& profile, int drumType) {
    const int count = profile.readInt(kSection, drumKey(drumType) + "_Count",
                                      drumType >= 0 ? lugs::defaultCount(drumType) : 8);
    return std::clamp(count, lugs::kMinCount, lugs::kMaxCount);
}

void saveCount(Profile& profile, int drumType, int count) {
    profile.writeInt(kSection, drumKey(drumType) + "_Count", count);
}

std::string loadReadings(const Profile& profile, int drumType, DrumHead head) {
    return profile.readString(kSection, drumKey(drumType) + "_" + lugs::headCode(head), "");
}

void saveReadings(Profile& profile, int drumType, DrumHead head, const std::string& text) {
    profile.writeString(kSection, drumKey(drumType) + "_" + lugs::headCode(head), text);
}

}  // namespace lugstore

}  // namespace tomaro
