#include "settings/Language.h"

#include <atomic>

namespace tomaro {
namespace {

std::atomic<Language> g_Language{Language::Russian};

}  // namespace

Language storedLanguage(const Profile& profile) {
    Language language = Language::Russian;
    parseLanguage(profile.readString(kLanguageSection, kLanguageKey, "ru"), language);
    return language;
}

void storeLanguage(Profile& profile, Language language) {
    profile.writeString(kLanguageSection, kLanguageKey, languageCode(language));
}

std::string_view languageCode(Language language) {
    return language == Language::English ? "en" : "ru";
}

bool parseLanguage(std::string_view code, Language& language) {
    if (code == "ru") {
        language = Language::Russian;
        return true;
    }
    if (code == "en") {
        language = Language::English;
        return true;
    }
    return false;
}

Language currentLanguage() { return g_Language.load(std::memory_order_relaxed); }

void setCurrentLanguage(Language language) {
    g_Language.store(language, std::memory_order_relaxed);
}

}  // namespace tomaro
