#include <QApplication>
#include <QStyleFactory>
#include <QToolTip>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/SoundLibraryMessages.h"
#include "devices/QtProfile.h"
#include "gui/Application.h"
#include "language/Translations.h"
#include "settings/Language.h"

namespace {

// The stored choice of language, read once at the start: Russian unless the user chose English,
// whatever the system's locale. The texts said before the window exists follow it too.
tomaro::Language g_Language = tomaro::Language::Russian;

// Qt ends the program with a fatal message (and a core dump) when no platform can be started,
// as without a display: said in the program's words instead, with exit status 1.
QtMessageHandler g_QtHandler = nullptr;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // The application object is being made: it exists enough to take the translators.
        tomaro::translations::apply(g_Language);
        std::fputs(qUtf8Printable(QCoreApplication::translate(
                       "tomaro::main",
                       "tomaro: нет графического дисплея: окно не может быть открыто "
                       "(нужны X11 или Wayland, переменная DISPLAY или WAYLAND_DISPLAY).\n")),
                   stderr);
        std::_Exit(1);
    }
    if (g_QtHandler != nullptr) g_QtHandler(type, context, text);
}

bool given(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    tomaro::QtProfile profile;
    g_Language = tomaro::storedLanguage(profile);
    // Answered before any window exists, so that they work without a display. Into a closed
    // pipe (`tomaro --help | head -c0`) the write fails and the status is 1, not a death by
    // SIGPIPE.
    if (given(argc, argv, "--version") || given(argc, argv, "--help") || given(argc, argv, "-h")) {
        std::signal(SIGPIPE, SIG_IGN);
    }
    if (given(argc, argv, "--version")) {
        std::printf("tomaro %s\n", TOMARO_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (given(argc, argv, "--help") || given(argc, argv, "-h")) {
        // Qt Core's application object needs no display, and it takes the translators.
        const QCoreApplication application(argc, argv);
        tomaro::translations::apply(g_Language);
        std::fputs(qUtf8Printable(QCoreApplication::translate(
                       "tomaro::main",
                       "Использование: tomaro [ФАЙЛ.wav]\n"
                       "Тюнер для барабанов: открывает окно, ФАЙЛ (WAV удара) - сразу в нём.\n"
                       "  --help     эта справка\n"
                       "  --version  версия программы\n"
                       "Анализ файлов из командной строки: tomaro-analyze --help\n")),
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    g_QtHandler = qInstallMessageHandler(onQtMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_QtHandler);
    // From here on the sound library's own reports stay off standard error (the display's
    // absence, said above, is not held back by it).
    tomaro::filterSoundLibraryReports();
    // One look on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Tomaro"));
    QApplication::setOrganizationName(QStringLiteral("Harnwick"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tomaro.svg")));

    // Tooltips pale yellow with black text, whatever the desktop's theme.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // The window's language is switched in one place, translations::apply: here at the start
    // (and above for the help and the missing display), then whenever the user chooses another
    // (LanguageChoice). It sets the core's process-wide language and Qt's translators together;
    // in Russian the standard buttons and dialogs of Qt speak it too.
    tomaro::translations::apply(g_Language);
    tomaro::Application application(profile, tomaro::Application::defaultHistoryPath());
    tomaro::CMainDlg& window = application.mainWindow();
    window.show();
    // "Open with": a WAV file given on the command line is opened as the open command would. The
    // path is taken as the bytes given (Qt has removed its own options from argv by now): a name
    // that is not valid in the system's encoding would not survive a QString.
    if (argc > 1) window.openChosenFile(QByteArray(argv[1]));
    return QApplication::exec();
}
