// The window "Снимки настройки" on the offscreen platform: a snapshot taken from the history,
// compared with a later one, written out, and recalled as the tuning view's target.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>

#include "gui/Application.h"
#include "gui/CMainDlg.h"
#include "gui/HistoryBar.h"
#include "gui/SnapshotsWindow.h"
#include "history/HistoryStore.h"
#include "history/HistoryTime.h"
#include "settings/MemoryProfile.h"
#include "support/WavBuilder.h"
#include "tuning/Tuner.h"

namespace tomaro {

class SnapshotsWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_Dir;
    QStringList m_Warnings;

    // `withFileStrikes`: the drummer ticks "включить удары из файлов" (the strikes of these
    // tests are WAV files opened).
    SnapshotsWindow::Services services(QString name, bool withFileStrikes = false) {
        SnapshotsWindow::Services s;
        s.askText = [name](QWidget*, const QString&, const QString&,
                           const QString&) -> std::optional<QString> { return name; };
        s.askSnapshot = [name, withFileStrikes](
                            QWidget*,
                            const QString&) -> std::optional<SnapshotsWindow::SnapshotChoice> {
            return SnapshotsWindow::SnapshotChoice{name, withFileStrikes};
        };
        s.confirm = [](QWidget*, const QString&) { return true; };
        s.warn = [this](QWidget*, const UserMessage& message) {
            m_Warnings << QString::fromStdString(message.text);
        };
        return s;
    }

    static void strike(Tuner& tuner, const QString& path, double hz) {
        test::WavBuilder wav;
        for (int i = 0; i < 42000; ++i) {
            const double t = i / 48000.0;
            wav.samples.push_back(static_cast<std::int16_t>(
                std::lround(12000 * std::exp(-t / 0.4) * std::sin(2 * M_PI * hz * t))));
        }
        test::writeFile(path.toStdString(), wav.bytes());
        QVERIFY(tuner.loadFile(path.toStdString()).ok);
        QVERIFY(tuner.paintStep().analysed);
    }

    static void selectNamed(QTableWidget* list, const QStringList& names) {
        list->clearSelection();
        for (int row = 0; row < list->rowCount(); ++row) {
            if (names.contains(list->item(row, 0)->text())) {
                list->selectionModel()->select(
                    list->model()->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
        }
    }

private slots:
    // As main.cpp names the program.
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("Harnwick"));
        QCoreApplication::setApplicationName(QStringLiteral("Tomaro"));
    }

    void theWindowKeepsItsHistoryWhereQtPutsAppData() {
        QCOMPARE(Application::defaultHistoryPath(),
                 QString::fromStdString(history::defaultHistoryPath()));
    }

    void aSnapshotIsTakenComparedExportedAndRecalled() {
        MemoryProfile profile;
        history::HistoryStore store(m_Dir.filePath(QStringLiteral("tomaro.sqlite")).toStdString());
        Tuner tuner(profile);
        tuner.setHistory(store);
        const std::string tom = tuner.kit().drumName(1);
        HistoryBar bar(tuner, store, services(QStringLiteral("до концерта"), true));

        // The 2nd drum tuned to 120 Hz, its batter rods evened out around 180 Hz.
        tuner.setTunedDrum(1);
        strike(tuner, m_Dir.filePath(QStringLiteral("a.wav")), 120.0);
        for (int lug = 1; lug <= 6; ++lug) {
            history::Reading tap;
            tap.drum = tom;
            tap.struck = history::Struck::Batter;
            tap.lug = lug;
            tap.lugCount = 6;
            tap.frequencyHz = 178.0 + lug * 0.5;
            tap.verdict = "good";
            store.addReading(tap);
        }
        bar.showSnapshots();
        SnapshotsWindow* window = bar.snapshotsWindow();
        QVERIFY(window);
        QVERIFY(window->takeSnapshot() > 0);
        QCOMPARE(window->list()->rowCount(), 1);
        QCOMPARE(window->list()->item(0, 0)->text(), QStringLiteral("до концерта"));

        // The drum slackened to 116 Hz, and a later snapshot of it.
        strike(tuner, m_Dir.filePath(QStringLiteral("b.wav")), 116.0);
        SnapshotsWindow later(tuner, store, services(QStringLiteral("после"), true));
        QVERIFY(later.takeSnapshot() > 0);
        window->refresh();
        QCOMPARE(window->list()->rowCount(), 2);

        selectNamed(window->list(), {QStringLiteral("до концерта"), QStringLiteral("после")});
        window->compareSelected();
        QTableWidget* table = window->comparison();
        bool found = false;
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, 2)->text().isEmpty()) {
                const double cents = 1200 * std::log2(tuner.mainFrequencyHz() / 120.0);
                QVERIFY(std::abs(cents + 58.7) < 1.0);
                QCOMPARE(table->item(row, 5)->text(),
                         QString::number(cents, 'f', 1) + QStringLiteral(" ¢"));
                found = true;
            }
        }
        QVERIFY(found);
        QCOMPARE(table->rowCount(), 7);  // the strike and six rods

        // Written out.
        selectNamed(window->list(), {QStringLiteral("до концерта")});
        const QString csvPath = m_Dir.filePath(QStringLiteral("s.csv"));
        QVERIFY(window->exportSelected(csvPath, false));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString csvText = QString::fromUtf8(csv.readAll());
        QVERIFY(csvText.startsWith(QStringLiteral(
            "drum,head,rod,angle_deg,frequency_hz,cents,target_hz,tolerance_cents,date\n")));
        QCOMPARE(csvText.count(QLatin1Char('\n')), 8);
        QVERIFY(window->exportSelected(m_Dir.filePath(QStringLiteral("s.json")), true));

        // Recalled: the drum is tuned back to 120 Hz, the head to its mean then.
        window->recallSelected();
        QVERIFY(tuner.recall());
        QVERIFY(!bar.recallLine()->isHidden());
        QVERIFY(bar.recallLine()->text().startsWith(
            QStringLiteral("Возврат к снимку «до концерта» от ")));
        QCOMPARE(tuner.tuningReading().targetHz, tuner.recall()->drum(tom)->strike->frequencyHz);
        QVERIFY(std::abs(tuner.tuningReading().cents + 58.7) < 1.0);
        QVERIFY(window->comparisonTitle()->text().startsWith(QStringLiteral("Уход настройки с")));
        tuner.setLugMode(true);
        QCOMPARE(tuner.lugs().targetHz(), 178.0 + 3.5 * 0.5);

        bar.findChild<QPushButton*>(QStringLiteral("barEndRecall"))->click();
        QVERIFY(!tuner.recall());
        QVERIFY(bar.recallLine()->isHidden());
        QCOMPARE(tuner.lugs().targetHz(), tuner.kit().referenceHz(1, kBatterOvertone));
        tuner.setLugMode(false);
        QVERIFY(m_Warnings.isEmpty());
    }

    // The application keeps the history under XDG_DATA_HOME and lends it to the main window,
    // which keeps its strikes there and opens the snapshots from "Снимки...".
    void theMainWindowRecordsItsStrikesAndOpensTheSnapshots() {
        qputenv("XDG_DATA_HOME", m_Dir.filePath(QStringLiteral("data")).toUtf8());
        MemoryProfile profile;
        AppServices app;
        app.message = [](QWidget*, const UserMessage&) {};
        Application application(profile, Application::defaultHistoryPath(), app);
        CMainDlg& window = application.mainWindow();
        HistoryBar* bar = window.historyBar();
        QVERIFY(bar);
        QCOMPARE(&bar->store(), &application.history());
        QCOMPARE(window.tuner().historyStore(), &application.history());
        QCOMPARE(QString::fromStdString(bar->store().path()),
                 m_Dir.filePath(QStringLiteral("data/Harnwick/Tomaro/tomaro.sqlite")));
        QVERIFY(bar->store().isOpen());
        const QString path = m_Dir.filePath(QStringLiteral("main.wav"));
        test::WavBuilder wav;
        for (int i = 0; i < 42000; ++i) {
            const double t = i / 48000.0;
            wav.samples.push_back(static_cast<std::int16_t>(
                std::lround(12000 * std::exp(-t / 0.4) * std::sin(2 * M_PI * 150.0 * t))));
        }
        test::writeFile(path.toStdString(), wav.bytes());
        window.openFile(path);
        QCOMPARE(bar->store().readings({}).size(), std::size_t{1});
        QVERIFY(std::abs(bar->store().readings({}).front().frequencyHz - 150.0) < 0.2);
        QVERIFY(bar->store().readings({}).front().fromFile);
        bar->findChild<QPushButton*>(QStringLiteral("snapshotsButton"))->click();
        QVERIFY(bar->snapshotsWindow() && bar->snapshotsWindow()->isVisible());
    }

    void aHistoryThatCannotBeWrittenIsSaidAndTheTunerGoesOn() {
        MemoryProfile profile;
        QFile plain(m_Dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        history::HistoryStore store(
            m_Dir.filePath(QStringLiteral("plain/tomaro.sqlite")).toStdString());
        Tuner tuner(profile);
        tuner.setHistory(store);
        HistoryBar bar(tuner, store, services(QStringLiteral("x")));
        QVERIFY(!bar.messageLine()->isHidden());
        QVERIFY(!bar.messageLine()->text().isEmpty());
        strike(tuner, m_Dir.filePath(QStringLiteral("c.wav")), 140.0);
        QVERIFY(std::abs(tuner.mainFrequencyHz() - 140.0) < 0.2);
        bar.showSnapshots();
        QCOMPARE(bar.snapshotsWindow()->takeSnapshot(), std::int64_t{0});
        QCOMPARE(m_Warnings.size(), 1);
    }

    // A recall's drift: rods not tapped since the snapshot are "не измерен", not 0.0 ¢.
    void theDriftOfARecallSaysWhichRodsWereNotMeasuredSince() {
        MemoryProfile profile;
        Tuner tuner(profile);
        const std::string tom = tuner.kit().drumName(1);
        history::HistoryStore store(m_Dir.filePath(QStringLiteral("drift.sqlite")).toStdString());
        const std::int64_t hourAgo = history::nowMs() - 3600000;
        history::Reading tap;
        tap.drum = tom;
        tap.struck = history::Struck::Batter;
        tap.lugCount = 4;
        tap.frequencyHz = 180.0;
        tap.verdict = "good";
        for (int lug = 1; lug <= 4; ++lug) {
            tap.lug = lug;
            tap.timeMs = hourAgo + lug;
            store.addReading(tap);
        }
        QVERIFY(store.createSnapshot("gig", hourAgo + 100) > 0);
        // Only rod 3 is tapped again since.
        tap.lug = 3;
        tap.frequencyHz = 184.0;
        tap.timeMs = hourAgo + 200;
        store.addReading(tap);

        SnapshotsWindow window(tuner, store, services(QStringLiteral("x")));
        window.list()->selectRow(0);
        window.recallSelected();
        QTableWidget* table = window.comparison();
        QCOMPARE(table->rowCount(), 4);
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, 2)->text() == QStringLiteral("3")) {
                QCOMPARE(table->item(row, 4)->text(), QStringLiteral("184.00"));
                QCOMPARE(table->item(row, 5)->text(), QStringLiteral("+38.1 ¢"));
            } else {
                QCOMPARE(table->item(row, 4)->text(), QStringLiteral("не измерен"));
                QCOMPARE(table->item(row, 5)->text(), QStringLiteral("—"));
            }
        }
    }

    // Strikes from WAV files opened while exploring are not the drums' tuning: a snapshot leaves
    // them out unless the drummer ticks "включить удары из файлов" (off in the dialog).
    void strikesFromFilesGoIntoASnapshotOnlyWhenChosen() {
        MemoryProfile profile;
        history::HistoryStore store(m_Dir.filePath(QStringLiteral("files.sqlite")).toStdString());
        Tuner tuner(profile);
        tuner.setHistory(store);
        tuner.setTunedDrum(1);
        strike(tuner, m_Dir.filePath(QStringLiteral("f.wav")), 120.0);
        QCOMPARE(store.readings({}).size(), std::size_t{1});
        QVERIFY(store.readings({}).front().fromFile);

        m_Warnings.clear();
        SnapshotsWindow left(tuner, store, services(QStringLiteral("без файлов")));
        QCOMPARE(left.takeSnapshot(), std::int64_t{0});
        QCOMPARE(m_Warnings.size(), 1);
        QVERIFY(m_Warnings.front().contains(QStringLiteral("включить удары из файлов")));

        SnapshotsWindow chosen(tuner, store, services(QStringLiteral("с файлами"), true));
        QVERIFY(chosen.takeSnapshot() > 0);

        // The dialog itself: the box starts unticked, the name is the time to the second.
        bool seen = false;
        QTimer::singleShot(0, this, [&seen] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("withFileStrikes"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("snapshotName"));
            seen = box && !box->isChecked() && name &&
                   QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} "
                                                     "\\d\\d:\\d\\d:\\d\\d$"))
                       .match(name->text())
                       .hasMatch();
            dialog->reject();
        });
        const auto asked = SnapshotsWindow::Services::withDefaults({}).askSnapshot(
            nullptr, QStringLiteral("09.12.2026 19:30:05"));
        QVERIFY(!asked);
        QVERIFY(seen);
    }

    // A name of 10,000 characters is elided: the date and the drums stay in view.
    void aVeryLongNameLeavesTheDateAndTheDrumsInView() {
        MemoryProfile profile;
        Tuner tuner(profile);
        history::HistoryStore store(m_Dir.filePath(QStringLiteral("long.sqlite")).toStdString());
        history::Reading reading;
        reading.drum = tuner.kit().drumName(1);
        reading.frequencyHz = 120.0;
        reading.verdict = "good";
        store.addReading(reading);
        QVERIFY(store.createSnapshot(std::string(10000, 'x')) > 0);
        SnapshotsWindow window(tuner, store, services(QStringLiteral("x")));
        window.show();
        window.refresh();
        QTableWidget* list = window.list();
        QVERIFY(list->columnWidth(0) < list->viewport()->width() / 2);
        QVERIFY(list->columnViewportPosition(2) + 20 < list->viewport()->width());
        QCOMPARE(list->item(0, 0)->toolTip().size(), 10000);
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::SnapshotsWindowTest)
#include "SnapshotsWindowTest.moc"
