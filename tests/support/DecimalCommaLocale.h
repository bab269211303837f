#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace tomaro::testing {

// Switches the whole process to a locale whose decimal separator is a comma for the life of the
// object, so tests can prove number texts do not follow LC_NUMERIC. Uses an installed
// ru_RU/de_DE locale, else compiles ru_RU with localedef (LOCPATH), once per run of the test
// program, into the run's own folder: two runs at once never read a locale half written.
// active() is false when neither works; the test should then skip.
class DecimalCommaLocale {
public:
    DecimalCommaLocale() {
        for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "ru_RU.utf8", "de_DE.utf8"}) {
            if (trySet(name)) return;
        }
        const std::filesystem::path folder = test::runFolder().path() / "locales";
        std::filesystem::path compiled = folder / "ru_RU.UTF-8";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (!std::filesystem::exists(compiled)) {
            std::string command =
                "localedef -i ru_RU -f UTF-8 '" + compiled.string() + "' >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0) return;
        }
        const char* previous = std::getenv("LOCPATH");
        m_HadLocPath = previous != nullptr;
        if (m_HadLocPath) m_OldLocPath = previous;
        setenv("LOCPATH", folder.c_str(), 1);
        m_SetLocPath = true;
        trySet("ru_RU.UTF-8");
    }

    ~DecimalCommaLocale() {
        std::setlocale(LC_ALL, "C");
        if (m_SetLocPath) {
            if (m_HadLocPath) {
                setenv("LOCPATH", m_OldLocPath.c_str(), 1);
            } else {
                unsetenv("LOCPATH");
            }
        }
    }

    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const { return m_Active; }

private:
    bool trySet(const char* name) {
        if (std::setlocale(LC_ALL, name) == nullptr) return false;
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        m_Active = std::string(text) == "1,5";
        if (!m_Active) std::setlocale(LC_ALL, "C");
        return m_Active;
    }

    bool m_Active = false;
    bool m_SetLocPath = false;
    bool m_HadLocPath = false;
    std::string m_OldLocPath;
};

}  // namespace tomaro::testing
