#include <QApplication>
#include <QStyleFactory>
#include <QToolTip>
#include <cstdio>
#include <cstring>

#include "app/CMainDlg.h"
#include "language/Translations.h"
#include "settings/QtProfile.h"

int main(int argc, char** argv) {
    // Answered before any window exists, so that it works without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tomaro %s\n", TOMARO_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
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

    // Russian unless the user chose English, whatever the system's locale; in Russian the
    // standard buttons and dialogs of Qt speak it too.
    tomaro::QtProfile profile;
    tomaro::translations::apply(tomaro::storedLanguage(profile));
    tomaro::CMainDlg window(profile);
    window.show();
    // "Open with": a WAV file given on the command line is opened as the open command would. The
    // path is taken as the bytes given (Qt has removed its own options from argv by now): a name
    // that is not valid in the system's encoding would not survive a QString.
    if (argc > 1) window.openChosenFile(QByteArray(argv[1]));
    return QApplication::exec();
}
