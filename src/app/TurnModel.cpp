#include "app/TurnModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "analysis/FixedText.h"
#include "kit/DrumTypes.h"
#include "settings/Language.h"
#include "settings/Profile.h"

namespace tomaro {

void TurnModel::markTurn(int lug, double readingHz, int eighths) {
    if (lug < 1 || !(readingHz > 0.0) || eighths < 1 || eighths > 16) return;
    m_PendingLug = lug;
    m_PendingHz = readingHz;
    m_PendingEighths = eighths;
}

bool TurnModel::tapped(int lug, double readingHz) {
    if (m_PendingLug == 0 || lug != m_PendingLug || !(readingHz > 0.0)) return false;
    const double changeCents = std::abs(1200.0 * std::log2(readingHz / m_PendingHz));
    const double turns = m_PendingEighths / 8.0;
    m_PendingLug = 0;
    const double centsPerTurn = changeCents / turns;
    if (centsPerTurn < kMinCentsPerTurn || centsPerTurn > kMaxCentsPerTurn) return false;
    addCalibration(centsPerTurn);
    return true;
}

void TurnModel::addCalibration(double centsPerTurn) {
    if (!(centsPerTurn >= kMinCentsPerTurn && centsPerTurn <= kMaxCentsPerTurn)) return;
    m_CentsPerTurn.push_back(centsPerTurn);
    if (m_CentsPerTurn.size() > static_cast<std::size_t>(kMaxCalibrations)) {
        m_CentsPerTurn.erase(m_CentsPerTurn.begin());
    }
}

double TurnModel::centsPerTurn() const {
    if (m_CentsPerTurn.empty()) return 0.0;
    std::vector<double> sorted = m_CentsPerTurn;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : 0.5 * (sorted[middle - 1] + sorted[middle]);
}

int TurnModel::eighthsFor(double cents) const {
    const double perTurn = centsPerTurn();
    if (perTurn <= 0.0 || !std::isfinite(cents)) return 0;
    const double eighths = std::abs(cents) / perTurn * 8.0;
    return static_cast<int>(std::min(std::lround(eighths), 64L));
}

void TurnModel::forget() {
    m_CentsPerTurn.clear();
    m_PendingLug = 0;
}

std::string TurnModel::text() const {
    std::string text;
    for (const double figure : m_CentsPerTurn) {
        if (!text.empty()) text += ';';
        text += fixedText(figure, 1);
    }
    return text;
}

void TurnModel::restore(const std::string& text) {
    m_CentsPerTurn.clear();
    m_PendingLug = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        double figure = 0.0;
        const auto [stop, error] = std::from_chars(text.data() + start, text.data() + end, figure);
        if (error == std::errc() && stop == text.data() + end) addCalibration(figure);
        start = end + 1;
    }
}

namespace turns {

std::string fractionText(int eighths) {
    static constexpr const char* kFractions[8] = {"", "⅛", "¼", "⅜", "½", "⅝", "¾", "⅞"};
    eighths = std::max(eighths, 0);
    const int whole = eighths / 8;
    const int rest = eighths % 8;
    if (whole == 0) return rest == 0 ? "0" : kFractions[rest];
    if (rest == 0) return std::to_string(whole);
    return std::to_string(whole) + " " + kFractions[rest];
}

std::string adviceText(int eighths) {
    if (eighths <= 0) return pick("меньше ⅛ оборота", "less than ⅛ turn");
    const std::string amount = fractionText(eighths);
    if (eighths % 8 != 0) {
        return "≈ " + amount +
               (eighths < 8 ? pick(" оборота", " turn") : pick(" оборота", " turns"));
    }
    const int whole = eighths / 8;
    if (whole == 1) return "≈ 1" + std::string(pick(" оборот", " turn"));
    return "≈ " + amount + (whole <= 4 ? pick(" оборота", " turns") : pick(" оборотов", " turns"));
}

}  // namespace turns

namespace turnstore {
namespace {

std::string key(int drumType, DrumHead head) {
    const std::string drum = drumType >= 0 ? drums::typeKey(drumType) : "Any";
    return drum + (head == DrumHead::Resonant ? "_reso" : "_batter");
}

}  // namespace

TurnModel load(const Profile& profile, int drumType, DrumHead head) {
    TurnModel model;
    model.restore(profile.readString(kSection, key(drumType, head), ""));
    return model;
}

void save(Profile& profile, int drumType, DrumHead head, const TurnModel& model) {
    profile.writeString(kSection, key(drumType, head), model.text());
}

}  // namespace turnstore

}  // namespace tomaro
