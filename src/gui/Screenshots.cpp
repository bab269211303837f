// Renders Tomaro's main window to PNG files for the README and for review, in Russian
// (main-window.png) and in English (main-window-en.png):
//   tomaro-screenshots OUTPUT_DIR DEMO_STRIKE.wav
// Runs on the offscreen platform with settings kept in memory, so the user's profile is untouched.
// The tuning view and lug mode are fed with synthetic taps written to a temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gui/Application.h"
#include "gui/CMainDlg.h"
#include "gui/HistoryBar.h"
#include "gui/KitPlanWindow.h"
#include "gui/SnapshotsWindow.h"
#include "gui/TuningWindow.h"
#include "gui/TwoHeadsWindow.h"
#include "history/HistoryStore.h"
#include "language/Translations.h"
#include "settings/MemoryProfile.h"

namespace {

// Samples as a mono 16-bit 48 kHz WAV file in `dir`.
QString writeWav(const QTemporaryDir& dir, const QString& name, const std::vector<double>& values) {
    QByteArray data;
    for (double value : values) {
        const auto sample = qToLittleEndian(static_cast<qint16>(std::lround(value)));
        data.append(reinterpret_cast<const char*>(&sample), 2);
    }
    auto u32 = [](quint32 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    auto u16 = [](quint16 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 2);
    };
    const QByteArray bytes = "RIFF" + u32(36 + data.size()) + "WAVEfmt " + u32(16) + u16(1) +
                             u16(1) + u32(48000) + u32(96000) + u16(2) + u16(16) + "data" +
                             u32(data.size()) + data;
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

// A tap near a rod: the rod's mode at `hz` and a louder head mode at 1.6 times it, dying away in
// about a second.
QString writeTap(const QTemporaryDir& dir, const QString& name, double hz) {
    std::vector<double> values(40000);
    for (int i = 0; i < 40000; ++i) {
        const double t = i / 48000.0;
        values[i] = std::exp(-t / 0.4) *
                    (6000 * std::sin(2 * M_PI * hz * t) + 9000 * std::sin(2 * M_PI * 1.6 * hz * t));
    }
    return writeWav(dir, name, values);
}

// A tap 2–3 cm in from the rod at `angleDeg` on a head whose (1,1) mode, centred on `meanHz`, is
// split by `splitCents` with its tight axis at `axisDeg`: each member rings as its shape at the
// rod, beside the (2,1) mode and the fundamental.
QString writeHeadTap(const QTemporaryDir& dir, const QString& name, double meanHz,
                     double splitCents, double axisDeg, double angleDeg) {
    const double half = std::exp2(splitCents / 2400.0);
    const double along = (angleDeg - axisDeg) * M_PI / 180.0;
    std::vector<double> values(48000);
    for (int i = 0; i < 48000; ++i) {
        const double t = i / 48000.0;
        values[i] =
            std::exp(-t / 0.5) * (7000 * std::cos(along) * std::sin(2 * M_PI * meanHz * half * t) +
                                  7000 * std::sin(along) * std::sin(2 * M_PI * meanHz / half * t)) +
            std::exp(-t / 0.35) * (6000 * std::sin(2 * M_PI * 1.34 * meanHz * t) +
                                   2000 * std::sin(2 * M_PI * 0.66 * meanHz * t));
    }
    return writeWav(dir, name, values);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tuning history of these windows goes to a folder of its own, never the user's.
    QTemporaryDir data;
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
    services.message = [](QWidget*, const tomaro::UserMessage& message) {
        std::fprintf(stderr, "%s\n", message.text.c_str());
    };
    tomaro::Application application(profile, data.filePath(QStringLiteral("tomaro.sqlite")),
                                    services);
    tomaro::CMainDlg& window = application.mainWindow();
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
    tomaro::translations::apply(tomaro::Language::Russian);
    window.step();

    // The tuning view: the 12" tuned against its batter overtone (1.5 x 116.54 Hz), a strike 14
    // cents flat.
    const double targetHz = 1.5 * 440 * std::exp2(-23 / 12.0);
    QTemporaryDir taps;
    auto* choice = window.findChild<QComboBox*>(QStringLiteral("drumChoice"));
    choice->setCurrentIndex(2);
    emit choice->activated(2);
    window.findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
    tomaro::TuningWindow* tuning = window.tuningWindow();
    tuning->resize(1100, 700);
    window.openFile(
        writeTap(taps, QStringLiteral("flat.wav"), targetHz / 1.6 * std::exp2(-0.14 / 12)));
    QApplication::processEvents();
    tuning->grab().save(out.filePath("tuning-view.png"));
    std::printf("%s\n", qPrintable(out.filePath("tuning-view.png")));

    // Lug mode: the six rods of the 12"'s batter head tapped in the criss-cross order; the head's
    // (1,1) pair is split by 24 cents, tight across 30°, and its mean lies 6 cents flat.
    tuning->setLugMode(true);
    tuning->resize(1366, 800);
    tuning->activateWindow();
    for (int wait = 0; wait < 100 && !tuning->isActiveWindow(); ++wait) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    for (int lug : {1, 4, 2, 5, 3, 6}) {
        window.openFile(writeHeadTap(taps, QStringLiteral("rod%1.wav").arg(lug),
                                     targetHz * std::exp2(-6.0 / 1200), 24.0, 30.0,
                                     60.0 * (lug - 1)));
    }
    QApplication::processEvents();
    tuning->grab().save(out.filePath("lug-mode.png"));
    std::printf("%s\n", qPrintable(out.filePath("lug-mode.png")));

    // A recall: the kit as it was three weeks ago (the 12" struck on its overtone, its batter head
    // as above), and the drift since then: the drum 18 cents flat, the head 15 cents flat.
    tuning->setLugMode(false);
    window.openFile(writeTap(taps, QStringLiteral("then.wav"), targetHz / 1.6));
    tomaro::history::HistoryStore& store = application.history();
    const qint64 threeWeeksAgo = QDateTime::currentMSecsSinceEpoch() - 21LL * 24 * 3600 * 1000;
    store.createSnapshot("После смены пластиков", threeWeeksAgo);
    window.openFile(
        writeTap(taps, QStringLiteral("now.wav"), targetHz / 1.6 * std::exp2(-18.0 / 1200)));
    tuning->setLugMode(true);
    for (int lug : {1, 4, 2, 5, 3, 6}) {
        window.openFile(writeHeadTap(taps, QStringLiteral("now%1.wav").arg(lug),
                                     targetHz * std::exp2(-21.0 / 1200), 30.0, 30.0,
                                     60.0 * (lug - 1)));
    }
    tuning->setLugMode(false);
    window.historyBar()->showSnapshots();
    tomaro::SnapshotsWindow* snapshots = window.historyBar()->snapshotsWindow();
    snapshots->resize(1000, 620);
    snapshots->list()->selectRow(0);
    snapshots->recallSelected();
    window.step();
    QApplication::processEvents();
    snapshots->grab().save(out.filePath("recall.png"));
    std::printf("%s\n", qPrintable(out.filePath("recall.png")));
    snapshots->endRecall();

    // Both heads: the resonant head of the 12" tapped 2 semitones above the batter, and a strike
    // of the drum; then the kit's intervals and a plan in fourths from its lowest tom.
    window.tuner().setLugHead(tomaro::DrumHead::Resonant);
    tuning->setLugMode(true);
    tuning->activateWindow();
    for (int wait = 0; wait < 100 && !tuning->isActiveWindow(); ++wait) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    for (int lug : {1, 4, 2, 5, 3, 6}) {
        window.openFile(writeHeadTap(taps, QStringLiteral("reso%1.wav").arg(lug),
                                     targetHz * std::exp2(179.0 / 1200), 8.0, 75.0,
                                     60.0 * (lug - 1)));
    }
    tuning->setLugMode(false);
    window.tuner().setLugHead(tomaro::DrumHead::Batter);
    {
        // A strike of the drum: its fundamental settling from 1 % sharp as the hit dies away.
        std::vector<double> values(48000);
        double phase = 0.0;
        for (int i = 0; i < 48000; ++i) {
            const double t = i / 48000.0;
            phase += 2 * M_PI * targetHz / 1.5 * (1.0 + 0.01 * std::exp(-t / 0.08)) / 48000.0;
            values[i] = 12000 * std::exp(-t / 0.45) * std::sin(phase);
        }
        window.openFile(writeWav(taps, QStringLiteral("drum.wav"), values));
    }
    tomaro::TwoHeadsWindow heads(window.tuner());
    heads.resize(760, 520);
    heads.show();
    heads.refresh();
    QApplication::processEvents();
    heads.grab().save(out.filePath("two-heads.png"));
    std::printf("%s\n", qPrintable(out.filePath("two-heads.png")));
    tomaro::KitPlanWindow plan(window.tuner());
    plan.resize(900, 640);
    plan.show();
    plan.refresh();
    QApplication::processEvents();
    plan.grab().save(out.filePath("kit-plan.png"));
    std::printf("%s\n", qPrintable(out.filePath("kit-plan.png")));

    return 0;
}
