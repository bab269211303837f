#include "analysis/Stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analysis/FixedText.h"
#include "audio/StrikeRecord.h"
#include "settings/Profile.h"

namespace tomaro {
namespace {

constexpr const char* kMainDlg = "CMainDlg";

// trunc(value) as a 64-bit integer; values that are not numbers count as 0 and huge ones are
// held far inside the integer range, so the conversion is always defined.
std::int64_t truncated(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<std::int64_t>(std::clamp(value, -1e15, 1e15));
}

bool usableRate(double rateHz) { return std::isfinite(rateHz) && rateHz > 0.0; }

}  // namespace

Stretch::Stretch(Profile& profile) : m_Profile(profile) { reload(); }

void Stretch::reload() {
    m_DelaySec = m_Profile.readInt(kMainDlg, "m_SelectPos", 50000) / 1e6;
    m_LengthSec = m_Profile.readInt(kMainDlg, "m_SelectDelta", 400000) / 1e6;
    clampTimes();
    compute();
}

void Stretch::setStrike(int frontIndex, int totalFrames, double sampleRateHz) {
    m_Front = frontIndex;
    m_Total = std::max(totalFrames, 0);
    m_RateHz = sampleRateHz;
    compute();
}

void Stretch::setStrike(const StrikeRecord& record) {
    setStrike(record.startIndex, record.source().frameCount, record.sampleRateHz);
}

std::string Stretch::delayText() const {
    if (!usableRate(m_RateHz)) return fixedText(0.0, 4);
    return fixedText((m_Start - m_Front) / m_RateHz, 4);
}

std::string Stretch::lengthText() const {
    if (!usableRate(m_RateHz)) return fixedText(0.0, 4);
    return fixedText((m_End - m_Start) / m_RateHz, 4);
}

void Stretch::setDelaySec(double delaySec) { setTimes(delaySec, m_LengthSec); }

void Stretch::setLengthSec(double lengthSec) { setTimes(m_DelaySec, lengthSec); }

void Stretch::setTimes(double delaySec, double lengthSec) {
    if (!std::isnan(delaySec)) m_DelaySec = delaySec;
    if (!std::isnan(lengthSec)) m_LengthSec = lengthSec;
    clampTimes();
    store();
    compute();
}

void Stretch::spinDelay(int steps) { setDelaySec(m_DelaySec + steps * m_LengthSec * 0.2); }

void Stretch::spinLength(int steps) { setLengthSec(m_LengthSec * std::pow(1.05, steps)); }

void Stretch::centreOn(int sample) {
    if (!usableRate(m_RateHz)) return;
    setDelaySec((static_cast<double>(sample) - m_Front) / m_RateHz - m_LengthSec * 0.5);
}

void Stretch::drag(double dxPixels, double graphWidthPixels) {
    if (!usableRate(m_RateHz) || !(graphWidthPixels > 0.0)) return;
    setDelaySec(m_DelaySec - dxPixels / graphWidthPixels * (m_End - m_Start) / m_RateHz);
}

void Stretch::clampTimes() {
    m_LengthSec = std::clamp(m_LengthSec, kMinLengthSec, kMaxLengthSec);
    m_DelaySec = std::clamp(m_DelaySec, -kMaxDelaySec, kMaxDelaySec);
}

void Stretch::store() {
    m_Profile.writeInt(kMainDlg, "m_SelectPos", static_cast<int>(m_DelaySec * 1e6));
    m_Profile.writeInt(kMainDlg, "m_SelectDelta", static_cast<int>(m_LengthSec * 1e6));
}

void Stretch::compute() {
    const std::int64_t total = m_Total;
    const double rate = usableRate(m_RateHz) ? m_RateHz : 0.0;
    std::int64_t start = m_Front + truncated(m_DelaySec * rate);
    std::int64_t end = m_Front + truncated(rate * (m_DelaySec + m_LengthSec));
    if (end - start > kMaxSamples) end = start + kMaxSamples;
    if (total < end - start) {
        start = 0;
        end = total;
    }
    if (end - start < kMinSamples) end = start + kMinSamples;
    if (end > total) {
        start -= end - total;
        end = total;
    }
    if (start < 0) {
        end -= start;
        start = 0;
    }
    // A strike shorter than the 3-sample minimum: the stretch is the whole strike, never more.
    end = std::min(end, total);
    m_Start = static_cast<int>(start);
    m_End = static_cast<int>(std::max(end, start));
}

}  // namespace tomaro
