#include "kit/DrumTypes.h"

#include "settings/Language.h"

namespace tomaro::drums {
namespace {

constexpr int kTom10 = 6;
constexpr int kTom12 = 8;
constexpr int kTom16 = 12;

}  // namespace

std::string typeName(int type) {
    if (type == kSnare) return "Малый";
    if (type == kKick) return "Бочка";
    if (type > kSnare && type < kKick) return std::to_string(type + 4) + "\"";
    return "вне диапазона";
}

std::string shownName(const std::string& name) {
    if (!inEnglish()) return name;
    if (name == "Малый") return "Snare";
    if (name == "Бочка") return "Kick";
    if (name == "вне диапазона") return "out of range";
    return name;
}

int defaultNote(int type) {
    switch (type) {
        case kTom10:
            return -9;
        case kTom12:
            return -14;
        case kTom16:
            return -19;
        case kKick:
            return -31;
        default:
            return 0;
    }
}

std::string keyForName(const std::string& drumName) {
    std::string key = "Baraban_";
    for (char c : drumName) {
        if (c == '"') {
            key += "дюймов";
        } else {
            key += c;
        }
    }
    return key;
}

std::string typeKey(int type) { return keyForName(typeName(type)); }

bool isInStandardSet(int type) {
    return type == kTom10 || type == kTom12 || type == kTom16 || type == kKick;
}

}  // namespace tomaro::drums
