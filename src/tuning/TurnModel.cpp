#include "tuning/TurnModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>

#include "analysis/FixedText.h"
#include "base/Cents.h"
#include "base/Median.h"
#include "kit/DrumTypes.h"
#include "settings/Language.h"
#include "settings/Profile.h"

namespace tomaro {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

// How much of harmonic m of one rod's change a head of `count` rods shows: 1 for the mean and
// for m = N/2 (a real pattern), 2 between, nothing past N/2 (the rods cannot make it).
double harmonicWeight(int m, int count) {
    if (m == 0 || 2 * m == count) return 1.0;
    return 2 * m < count ? 2.0 : 0.0;
}

}  // namespace

double TurnModel::visibleShare(int count, bool hasPattern4) {
    if (count < lugs::kMinCount || count > lugs::kMaxCount) return 0.0;
    double share = harmonicWeight(0, count) + harmonicWeight(2, count);
    if (hasPattern4) share += harmonicWeight(4, count);
    return share / count;
}

HeadAtRod TurnModel::headAt(const HeadFit& fit, int lug, int count) {
    HeadAtRod head;
    if (!(fit.meanHz > 0.0) || !std::isfinite(fit.meanHz)) return head;
    const double angle = lugs::angleDeg(lug, count);
    head.meanHz = fit.meanHz;
    head.pattern2Cents = fit.patternCents * std::cos(2.0 * (angle - fit.axisDeg) * kDegToRad);
    head.hasPattern4 = fit.hasPattern4;
    if (fit.hasPattern4) {
        head.pattern4Cents = fit.pattern4Cents * std::cos(4.0 * (angle - fit.axis4Deg) * kDegToRad);
    }
    return head;
}

double TurnModel::changeCents(const HeadAtRod& before, const HeadAtRod& after) {
    if (!(before.meanHz > 0.0) || !(after.meanHz > 0.0)) return 0.0;
    double change =
        centsBetween(before.meanHz, after.meanHz) + after.pattern2Cents - before.pattern2Cents;
    if (before.hasPattern4 && after.hasPattern4) {
        change += after.pattern4Cents - before.pattern4Cents;
    }
    return change;
}

bool TurnModel::markTurn(int lug, int count, const HeadFit& fit, double readingHz, int eighths) {
    // Fewer than three rods show no pattern: the fit could not see the turn.
    if (lug < 1 || lug > count || count < lugs::kMinCount || count > lugs::kMaxCount ||
        fit.measured < 3 || !(readingHz > 0.0) || eighths < 1 || eighths > 16) {
        return false;
    }
    const HeadAtRod head = headAt(fit, lug, count);
    if (!(head.meanHz > 0.0)) return false;
    m_Pending = Mark{lug, eighths, count, readingHz, head};
    return true;
}

bool TurnModel::tapped(int lug, int count, const HeadFit& fit, double readingHz) {
    if (!pending() || lug != m_Pending.lug || count != m_Pending.count || !(readingHz > 0.0) ||
        readingHz == m_Pending.readingHz || fit.measured < 3) {
        return false;
    }
    const HeadAtRod after = headAt(fit, lug, count);
    if (!(after.meanHz > 0.0)) return false;
    const Mark mark = m_Pending;
    m_Pending = {};
    const double share = visibleShare(count, mark.head.hasPattern4 && after.hasPattern4);
    if (!(share > 0.0)) return false;
    const double turns = mark.eighths / 8.0;
    const double centsPerTurn = std::abs(changeCents(mark.head, after)) / share / turns;
    if (!(centsPerTurn >= kMinCentsPerTurn && centsPerTurn <= kMaxCentsPerTurn)) return false;
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
    std::vector<double> values = m_CentsPerTurn;
    return median(values);
}

int TurnModel::eighthsFor(double cents) const {
    const double perTurn = centsPerTurn();
    if (perTurn <= 0.0 || !std::isfinite(cents)) return 0;
    const double eighths = std::abs(cents) / perTurn * 8.0;
    return static_cast<int>(std::min(std::lround(eighths), 64L));
}

int TurnModel::degreesFor(double cents) const {
    const double perTurn = centsPerTurn();
    if (perTurn <= 0.0 || !std::isfinite(cents)) return 0;
    const double steps = std::abs(cents) / perTurn * 360.0 / kDegreeStep;
    return kDegreeStep * static_cast<int>(std::min(std::lround(steps), 8L * 360 / kDegreeStep));
}

std::string TurnModel::adviceText(double cents) const {
    return calibrated() ? turns::adviceText(eighthsFor(cents), degreesFor(cents)) : std::string();
}

void TurnModel::forget() {
    m_CentsPerTurn.clear();
    m_Pending = {};
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
    m_Pending = {};
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        double figure = 0.0;
        const auto [stop, error] = std::from_chars(text.data() + start, text.data() + end, figure);
        if (error == std::errc() && stop == text.data() + end) addCalibration(figure);
        start = end + 1;
    }
}

namespace {

constexpr const char* kStateHeader = "tomaro-turns 1";

bool parseFigure(const std::string& word, double& value) {
    const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && stop == word.data() + word.size() && std::isfinite(value);
}

bool parseWhole(const std::string& word, int& value) {
    const auto [stop, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && stop == word.data() + word.size();
}

}  // namespace

std::string TurnModel::stateText() const {
    std::string state = std::string(kStateHeader) + "\ncalibrations " + text() + '\n';
    if (pending()) {
        const Mark& mark = m_Pending;
        state += "mark " + std::to_string(mark.lug) + ' ' + std::to_string(mark.eighths) + ' ' +
                 std::to_string(mark.count) + ' ' + fixedText(mark.readingHz, 4) + ' ' +
                 fixedText(mark.head.meanHz, 4) + ' ' + fixedText(mark.head.pattern2Cents, 3) +
                 ' ' + fixedText(mark.head.pattern4Cents, 3) + ' ' +
                 (mark.head.hasPattern4 ? '1' : '0') + '\n';
    }
    return state;
}

std::optional<UserMessage> TurnModel::restoreState(const std::string& text) {
    // Only tomaro-analyze keeps the state in a file: no window shows the reason, so it has no
    // caption.
    const auto damaged = [](std::string reason) {
        return UserMessage{std::move(reason), {}, UserMessage::Severity::Error};
    };
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kStateHeader) {
        return damaged("not a turns file (its first line is not \"" + std::string(kStateHeader) +
                       "\")");
    }
    TurnModel model;
    bool haveCalibrations = false;
    int number = 1;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (words.empty()) continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (words[0] == "calibrations" && words.size() <= 2 && !haveCalibrations) {
            haveCalibrations = true;
            const std::string figures = words.size() == 2 ? words[1] : std::string();
            model.restore(figures);
            // Every figure must come back: a figure skipped is a damaged file, not a choice.
            const std::size_t written =
                figures.empty() ? 0 : std::count(figures.begin(), figures.end(), ';') + 1;
            if (model.calibrations().size() != std::min<std::size_t>(written, kMaxCalibrations) ||
                written > kMaxCalibrations) {
                return damaged(where + "a calibration is not a figure of " +
                               fixedText(kMinCentsPerTurn, 0) + ".." +
                               fixedText(kMaxCentsPerTurn, 0) + " cents per turn");
            }
            continue;
        }
        if (words[0] == "mark" && words.size() == 9 && !model.pending()) {
            Mark mark;
            int has4 = -1;
            const bool read =
                parseWhole(words[1], mark.lug) && parseWhole(words[2], mark.eighths) &&
                parseWhole(words[3], mark.count) && parseFigure(words[4], mark.readingHz) &&
                parseFigure(words[5], mark.head.meanHz) &&
                parseFigure(words[6], mark.head.pattern2Cents) &&
                parseFigure(words[7], mark.head.pattern4Cents) && parseWhole(words[8], has4);
            if (!read || mark.count < lugs::kMinCount || mark.count > lugs::kMaxCount ||
                mark.lug < 1 || mark.lug > mark.count || mark.eighths < 1 || mark.eighths > 16 ||
                !(mark.readingHz > 0.0) || !(mark.head.meanHz > 0.0) || (has4 != 0 && has4 != 1)) {
                return damaged(where + "the marked turn is damaged");
            }
            mark.head.hasPattern4 = has4 == 1;
            model.m_Pending = mark;
            continue;
        }
        return damaged(where + "not understood: \"" + line + "\"");
    }
    if (!haveCalibrations) {
        return damaged("the calibrations line is missing");
    }
    *this = model;
    return std::nullopt;
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

std::string adviceText(int eighths, int degrees) {
    std::string text = adviceText(eighths);
    if (degrees > 0) text += " (" + std::to_string(degrees) + "°)";
    return text;
}

}  // namespace turns

namespace turnstore {
namespace {

std::string key(int drumType, DrumHead head) {
    const std::string drum = drumType >= 0 ? drums::typeKey(drumType) : "Any";
    return drum + "_" + headCode(head);
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
