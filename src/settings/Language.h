#pragma once

#include <string_view>

#include "settings/Profile.h"

// The language of the texts the program shows: Russian (the program's own texts) or English.
// The choice is process-wide: the window sets it from the stored choice and whenever the user
// changes it, tomaro-analyze from the stored choice or --lang, both through translations::apply
// (language/Translations.h), which switches Qt's translators with it. The core's texts read it
// when they are built, so a text built before a change keeps its language until it is built
// again. Settings keys, kit files and JSON field names never depend on it.
//
// One path per side for a text that follows the language: the core (settings, audio, analysis,
// kit, history, tuning, and the core parts of tomaro-analyze) cannot use Qt and gives its texts
// through pick() alone; the Qt side (devices, widgets, windows, language, and the Qt parts of
// tomaro-analyze) never calls pick(), its texts go through tr() or QCoreApplication::translate
// with their English in translations/tomaro_en.ts.
namespace tomaro {

enum class Language { Russian, English };

// The stored choice: "m_Language" in "Options", "ru" or "en". A fresh profile (or any other
// value) is Russian, whatever the system's locale says.
inline constexpr std::string_view kLanguageSection = "Options";
inline constexpr std::string_view kLanguageKey = "m_Language";

Language storedLanguage(const Profile& profile);
void storeLanguage(Profile& profile, Language language);

// "ru" / "en"; parse accepts exactly these and returns false for anything else.
std::string_view languageCode(Language language);
bool parseLanguage(std::string_view code, Language& language);

// The process-wide language; Russian until set. Any thread (an atomic), but texts are built on
// the user-interface thread. Besides translations::apply only tests set it.
Language currentLanguage();
void setCurrentLanguage(Language language);
inline bool inEnglish() { return currentLanguage() == Language::English; }

// The core's way to a text in the current language: the Russian text or its English translation.
// Both are string literals (UTF-8), so the result lives for the whole program. Core code only
// (see above).
inline const char* pick(const char* russian, const char* english) {
    return inEnglish() ? english : russian;
}

}  // namespace tomaro
