#include "tuning/HeadResponse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/FixedText.h"

namespace tomaro {
namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

// `gain` held to the scale and turn the advice may take.
std::complex<double> bounded(std::complex<double> gain) {
    const double scale =
        std::clamp(std::abs(gain), HeadResponse::kMinScale, HeadResponse::kMaxScale);
    const double turn = std::clamp(std::arg(gain), -2.0 * HeadResponse::kMaxTurnDeg * kDegToRad,
                                   2.0 * HeadResponse::kMaxTurnDeg * kDegToRad);
    return std::polar(scale, turn);
}

}  // namespace

double HeadResponse::turnDeg() const { return 0.5 * std::arg(m_Gain) / kDegToRad; }

void HeadResponse::passDone(const HeadFit& head, double toleranceCents) {
    ++m_Passes;
    m_Reduced = false;
    // A split whose axis the rods did not show says nothing of the response.
    if (head.splitResolved && !head.axisKnown) {
        m_HasLast = false;
        return;
    }
    const double split = head.splitResolved ? head.splitCents : 0.0;
    const std::complex<double> now = std::polar(split, 2.0 * head.axisDeg * kDegToRad);
    const double tolerance = std::max(toleranceCents, 1.0);
    if (m_HasLast && std::abs(m_Last) >= 1.5 * tolerance) {
        if (std::abs(now) > std::abs(m_Last) + 0.5 * tolerance) {
            // Worse than before: whatever the cause, the next advice asks for less.
            m_Gain = bounded(0.5 * m_Gain);
            m_Reduced = true;
        } else {
            const std::complex<double> response = (m_Last - now) / (m_Gain * m_Last);
            if (std::isfinite(std::abs(response)) && std::abs(response) > 1e-6) {
                const std::complex<double> learnt = bounded(1.0 / response);
                // Half of what this pass shows, half of what the passes before showed: one
                // clumsy hand does not swing the advice.
                const std::complex<double> next =
                    std::exp(0.5 * (std::log(m_Gain) + std::log(learnt)));
                const double step = std::abs(next) / std::abs(m_Gain);
                const double allowed =
                    std::clamp(step, 1.0 / HeadResponse::kMaxStep, HeadResponse::kMaxStep);
                m_Gain = bounded(next * (allowed / step));
            }
        }
    }
    m_Last = now;
    m_HasLast = true;
}

std::string HeadResponse::text() const {
    return std::to_string(m_Passes) + ';' + fixedText(m_Gain.real(), 4) + ';' +
           fixedText(m_Gain.imag(), 4) + ';' + fixedText(m_HasLast ? m_Last.real() : 0.0, 3) + ';' +
           fixedText(m_HasLast ? m_Last.imag() : 0.0, 3) + ';' + (m_HasLast ? "1" : "0") + ';' +
           (m_Reduced ? "1" : "0");
}

bool HeadResponse::restore(const std::string& text) {
    std::vector<double> values;
    std::size_t begin = 0;
    while (begin <= text.size() && values.size() < 8) {
        const std::size_t end = std::min(text.find(';', begin), text.size());
        double value = 0.0;
        const auto [ptr, error] = std::from_chars(text.data() + begin, text.data() + end, value);
        if (error != std::errc() || ptr != text.data() + end || !std::isfinite(value)) return false;
        values.push_back(value);
        begin = end + 1;
    }
    if (values.size() != 7 || values[0] < 0.0 || values[0] > 1e6) return false;
    HeadResponse restored;
    restored.m_Passes = static_cast<int>(values[0]);
    restored.m_Gain = bounded({values[1], values[2]});
    restored.m_Last = {values[3], values[4]};
    restored.m_HasLast = values[5] != 0.0;
    restored.m_Reduced = values[6] != 0.0;
    *this = restored;
    return true;
}

}  // namespace tomaro
