// Renders Tomaro's main window to PNG files for the README and for review, in Russian
// (main-window.png) and in English (main-window-en.png):
//   tomaro-screenshots OUTPUT_DIR DEMO_STRIKE.wav
// Runs on the offscreen platform with settings kept in memory, so the user's profile is untouched.
#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <cstdio>

#include "app/CMainDlg.h"
#include "language/Translations.h"
#include "settings/MemoryProfile.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // One look on every desktop.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (argc < 3) {
        std::fprintf(stderr, "usage: tomaro-screenshots OUTPUT_DIR STRIKE.wav\n");
        return 2;
    }
    tomaro::translations::apply(tomaro::Language::Russian);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    tomaro::MemoryProfile profile;
    profile.writeString("CMainDlg", "m_WaveInDevice", "Нет (не слушать)");
    // A four-drum kit: snare, 12", 16" and kick, with overtone references on the toms.
    for (int type : {0, 8, 12, 19})
        profile.writeInt("CDlgBaraSelect", "Bara_" + std::to_string(type), 1);
    profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 1500);
    profile.writeInt("CDlgPresets", "Baraban_16дюймовm_Ober1", 1750);
    profile.writeInt("CDlgPresets", "Baraban_16дюймов_m_Notas", -22);

    tomaro::AppServices services;
    services.message = [](QWidget*, const QString& text, const QString&, QMessageBox::Icon) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    };
    tomaro::CMainDlg window(profile, services);
    window.resize(1366, 740);
    window.show();
    // The same strike four times: a series of four, as while tuning one drum.
    for (int strike = 0; strike < 4; ++strike) window.openFile(QByteArray(argv[2]));
    QApplication::processEvents();
    window.grab().save(out.filePath("main-window.png"));
    std::printf("%s\n", qPrintable(out.filePath("main-window.png")));
    // The same window after "Язык / Language" turned it to English.
    tomaro::translations::apply(tomaro::Language::English);
    window.step();
    QApplication::processEvents();
    window.grab().save(out.filePath("main-window-en.png"));
    std::printf("%s\n", qPrintable(out.filePath("main-window-en.png")));
    return 0;
}
