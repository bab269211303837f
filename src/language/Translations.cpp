#include "language/Translations.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QTranslator>

namespace tomaro::translations {
namespace {

struct Translators {
    QTranslator english;
    QTranslator qtRussian;
    bool englishLoaded = false;
    bool qtRussianLoaded = false;
    bool englishInstalled = false;
    bool qtRussianInstalled = false;

    Translators() {
        englishLoaded = english.load(QStringLiteral(":/i18n/tomaro_en.qm"));
        qtRussianLoaded = qtRussian.load(QStringLiteral("qtbase_ru"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
};

Translators& translators() {
    // Made on first use, after the application object exists; lives as long as the program.
    static Translators* instance = new Translators;
    return *instance;
}

void install(QTranslator& translator, bool loaded, bool& installed, bool wanted) {
    if (wanted && loaded && !installed) {
        QCoreApplication::installTranslator(&translator);
        installed = true;
    } else if (!wanted && installed) {
        QCoreApplication::removeTranslator(&translator);
        installed = false;
    }
}

}  // namespace

bool apply(Language language) {
    if (QCoreApplication::instance() == nullptr) {
        setCurrentLanguage(language);
        return true;
    }
    Translators& all = translators();
    const bool english = language == Language::English && all.englishLoaded;
    setCurrentLanguage(english ? Language::English : Language::Russian);
    install(all.qtRussian, all.qtRussianLoaded, all.qtRussianInstalled, !english);
    install(all.english, all.englishLoaded, all.englishInstalled, english);
    // The application hands the change on to the windows as posted events: deliver them now, so
    // that every text has changed when the choice returns.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    return english == (language == Language::English);
}

}  // namespace tomaro::translations
