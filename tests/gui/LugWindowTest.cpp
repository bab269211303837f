// Lug mode of the window "Настройка" on the offscreen platform, fed with rod taps as files
// through the main window: a whole session on one head, the advice and the turns of the key, the
// rods' band and what the view says of the taps it does not take, the export of a head.
#include <sys/stat.h>

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cmath>

#include "TuningWindowFixture.h"
#include "gui/CMainDlg.h"
#include "gui/TuningWindow.h"
#include "settings/MemoryProfile.h"
#include "tuning/Tuner.h"
#include "tuning/TurnModel.h"
#include "widgets/LevelMeter.h"
#include "widgets/TuningViews.h"

namespace tomaro {

class LugWindowTest : public QObject, protected test::TuningWindowFixture {
    Q_OBJECT

private:
    // Six rods on the target but rod 6, 40 cents flat (rod 3 across the head shares its advice),
    // tapped in the star order; the tuning window in lug mode on the 12"'s batter head.
    TuningWindow* tapSixRods(CMainDlg& window) {
        choose(window.findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);
        window.findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window.tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        tuning->activateWindow();
        if (!QTest::qWaitForWindowActive(tuning)) return nullptr;
        for (const int lug : {1, 4, 2, 5, 3, 6}) {
            window.openFile(writeTap(QStringLiteral("n%1.wav").arg(lug),
                                     kTargetHz * std::exp2((lug == 6 ? -40.0 : 0.0) / 1200)));
        }
        return tuning;
    }

private slots:
    void init() { startWithKit(); }

    void wholeEightRodSessionEvensOutTheHead() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        auto* lugButton = tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"));
        lugButton->click();
        QVERIFY(window->tuner().lugMode());
        auto* panel = tuning->findChild<QWidget*>(QStringLiteral("lugPanel"));
        QVERIFY(panel->isVisible());
        auto* count = tuning->findChild<QSpinBox*>(QStringLiteral("lugCountSpin"));
        QCOMPARE(count->value(), 6);  // a 12" tom
        count->setValue(8);
        QCOMPARE(m_Profile.readInt("Lugs", "Baraban_12дюймов_Count", 0), 8);
        auto* diagram = tuning->findChild<LugDiagram*>(QStringLiteral("lugDiagram"));
        auto* headLine = tuning->findChild<QLabel*>(QStringLiteral("lugHeadLine"));
        // Taps go to the rods only while the lug view is the active window.
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));

        // Deviations of rods 1..8 from the target; each tap's loudest mode is another one.
        const double cents[] = {0, -12, 8, 3, -4, 20, 1, -2};
        const int star[] = {1, 5, 3, 7, 2, 6, 4, 8};
        for (int step = 0; step < 8; ++step) {
            const int lug = star[step];
            QCOMPARE(diagram->selected(), lug);
            window->openFile(writeTap(QStringLiteral("rod%1.wav").arg(lug),
                                      kTargetHz * std::exp2(cents[lug - 1] / 1200)));
        }
        const LugSession& lugs = window->tuner().lugs();
        QCOMPARE(lugs.measuredCount(), 8);
        QVERIFY(lugs.referenceIsTarget());
        for (int lug = 1; lug <= 8; ++lug) {
            QVERIFY2(std::abs(lugs.cents(lug) - cents[lug - 1]) < 0.5,
                     qPrintable(QString::number(lug)));
        }
        QVERIFY(lugs.splitCents() > 5.0);
        QVERIFY(!headLine->text().contains(QStringLiteral("ровно")));
        QCOMPARE(diagram->selected(), 1);  // round again
        // The large reading is the last rod's, read in the band, against the head's target.
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        QVERIFY(std::abs(view->reading().measuredHz - lugs.readingHz(8)) < 1e-9);
        QVERIFY(std::abs(view->reading().targetHz - kTargetHz) < 0.01);
        QCOMPARE(view->reading().kind, 1);

        // Rod 6 was turned: a click on it, and the next tap goes there.
        tuning->show();
        QTest::mouseClick(diagram, Qt::LeftButton, {}, diagram->rodCentre(6).toPoint());
        QCOMPARE(diagram->selected(), 6);
        window->openFile(writeTap("rod6-again.wav", kTargetHz * std::exp2(1.0 / 1200)));
        QVERIFY(std::abs(lugs.cents(6) - 1.0) < 0.5);
        QCOMPARE(diagram->selected(), 4);  // after 6 in the criss-cross order
        // A rejected strike goes to no rod.
        window->openFile(writeSilence());
        QCOMPARE(diagram->selected(), 4);

        // The head is kept per drum and head and shown again when the drum is chosen again.
        const std::string stored = m_Profile.readString("Lugs", "Baraban_12дюймов_batter", "");
        QCOMPARE(std::count(stored.begin(), stored.end(), ';'), 7);
        auto* choice = tuning->findChild<QComboBox*>(QStringLiteral("tuningDrumChoice"));
        choose(choice, 0);
        QCOMPARE(window->tuner().lugs().measuredCount(), 0);
        choose(choice, 2);
        QCOMPARE(window->tuner().lugs().measuredCount(), 8);
        QVERIFY(std::abs(window->tuner().lugs().cents(6) - 1.0) < 0.5);

        // The CSV holds a header and one line per rod, with the head's context on every line.
        const QString csvPath = m_Dir.filePath("head.csv");
        QVERIFY(tuning->exportCsv(csvPath));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().trimmed().split('\n');
        QCOMPARE(rows.size(), 9);
        QVERIFY(rows[0].endsWith(",drum,head,target_hz,tolerance_cents,date"));
        QVERIFY(rows[2].startsWith("2,45.0,"));
        QVERIFY2(rows[2].contains(",\"12\"\"\",batter,"), rows[2].constData());
        QVERIFY(!tuning->exportCsv(m_Dir.filePath("no/such/folder/head.csv")));

        // Even: every rod within the tolerance of the others.
        tuning->findChild<QPushButton*>(QStringLiteral("lugResetButton"))->click();
        QCOMPARE(window->tuner().lugs().measuredCount(), 0);
        for (int step = 0; step < 8; ++step) {
            window->openFile(writeTap(QStringLiteral("even%1.wav").arg(step),
                                      kTargetHz * std::exp2((step % 3 - 1) * 1.5 / 1200)));
        }
        QVERIFY(window->tuner().lugs().even());
        QVERIFY(headLine->text().contains(QStringLiteral("ровно")));
    }

    void aTurnMarkedAfterAnAdviceTeachesTheCentsPerTurn() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        auto* diagram = tuning->findChild<LugDiagram*>(QStringLiteral("lugDiagram"));
        auto* line = tuning->findChild<QLabel*>(QStringLiteral("turnLine"));
        auto* quarter = tuning->findChild<QPushButton*>(QStringLiteral("turnButton2"));
        // Six rods on the target, the last one tapped (rod 6) 40 cents flat: to be tightened.
        for (const int lug : {1, 4, 2, 5, 3, 6}) {
            QCOMPARE(diagram->selected(), lug);
            window->openFile(writeTap(QStringLiteral("t%1.wav").arg(lug),
                                      kTargetHz * std::exp2((lug == 6 ? -40.0 : 0.0) / 1200)));
        }
        QVERIFY2(line->text().startsWith(QStringLiteral("Винт 6: подтянуть")),
                 qPrintable(line->text()));
        QVERIFY(!line->text().contains(QStringLiteral("оборота")));
        QVERIFY(quarter->isEnabled());
        const HeadFit before = window->tuner().lugs().head();
        quarter->click();
        // A tap at another rod leaves the mark waiting; the next tap at rod 6, 30 cents higher,
        // calibrates from the change the head fit shows at rod 6 divided by the share of one rod
        // the fit sees (half, on 6 rods), not from rod 6's own reading (which would say 120).
        window->openFile(writeTap(QStringLiteral("t1-again.wav"), kTargetHz));
        QVERIFY(line->text().contains(QStringLiteral("у винта 6")));
        QTest::mouseClick(diagram, Qt::LeftButton, {}, diagram->rodCentre(6).toPoint());
        window->openFile(
            writeTap(QStringLiteral("t6-again.wav"), kTargetHz * std::exp2(-10.0 / 1200)));
        const double expected = std::abs(TurnModel::changeCents(
                                    TurnModel::headAt(before, 6, 6),
                                    TurnModel::headAt(window->tuner().lugs().head(), 6, 6))) /
                                TurnModel::visibleShare(6, false) / 0.25;
        QVERIFY2(std::abs(expected - 120.0) > 10.0, qPrintable(QString::number(expected)));
        QVERIFY2(line->text().contains(QStringLiteral("%1 ¢ на оборот").arg(std::lround(expected))),
                 qPrintable(line->text()));
        QVERIFY2(line->text().contains(QStringLiteral("оборота")), qPrintable(line->text()));
        // The large advice reads in turns as well.
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        QVERIFY2(view->adviceLabel().startsWith(QStringLiteral("винт 6: ▲ подтянуть")) &&
                     view->adviceLabel().contains(QStringLiteral(" оборота (")) &&
                     view->adviceLabel().endsWith(QStringLiteral("°)")),
                 qPrintable(view->adviceLabel()));
        const std::string stored = m_Profile.readString("Turns", "Baraban_12дюймов_batter", "");
        QVERIFY2(std::abs(std::stod(stored) - expected) < 0.1, stored.c_str());
        // "Забыть" resets the drum's head.
        tuning->findChild<QPushButton*>(QStringLiteral("turnForgetButton"))->click();
        QCOMPARE(m_Profile.readString("Turns", "Baraban_12дюймов_batter", "x"), std::string());
        QVERIFY(!line->text().contains(QStringLiteral("на оборот")));
    }

    void lugNumbersAgreeWithTheirFrequenciesAndTheAdviceIsUnsigned() {
        auto window = makeWindow();
        TuningWindow* tuning = tapSixRods(*window);
        QVERIFY(tuning != nullptr);
        const LugSession& lugs = window->tuner().lugs();
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        auto* diagram = tuning->findChild<LugDiagram*>(QStringLiteral("lugDiagram"));
        QCOMPARE(lugs.action(6), LugAction::Tighten);
        // One line: the rod's reading, the target and the deviation between those two, signed.
        const double readingCents = 1200.0 * std::log2(lugs.readingHz(6) / lugs.referenceHz());
        QVERIFY2(view->readingLine().endsWith(QStringLiteral("%1 ¢").arg(
                     QString::number(readingCents, 'f', 1).replace('-', QStringLiteral("−")))) ||
                     view->readingLine().endsWith(
                         QStringLiteral("%1 ¢").arg(QString::number(readingCents, 'f', 1))),
                 qPrintable(view->readingLine()));
        // The other: the advice, a word, an arrow and an unsigned size from the head's fit.
        QCOMPARE(view->adviceLabel(), QStringLiteral("винт 6: ▲ подтянуть %1 ¢")
                                          .arg(std::lround(std::abs(lugs.deviationCents(6)))));
        // The rod's label likewise: its reading against the reference, then the advice.
        const QStringList label = diagram->rodLabel(6).split('\n');
        QCOMPARE(label.size(), 2);
        QVERIFY2(label[0].endsWith(QStringLiteral("%1 ¢").arg(lugs.cents(6), 0, 'f', 1)),
                 qPrintable(label[0]));
        // (" ?" after it when the rod's tap disagrees with the head's fitted pattern.)
        QVERIFY2(label[1].startsWith(
                     QStringLiteral("▲ %1 ¢").arg(std::lround(std::abs(lugs.deviationCents(6))))),
                 qPrintable(label[1]));
        // The tight axis is drawn in a colour of its own, said in the drawing's tooltip.
        for (const QColor axis : {tightAxisColor(), slackAxisColor()}) {
            for (const TuneAdvice advice :
                 {TuneAdvice::Ok, TuneAdvice::Tighten, TuneAdvice::Loosen, TuneAdvice::None}) {
                QVERIFY(axis != adviceColor(advice));
            }
        }
        QVERIFY(diagram->toolTip().contains(QStringLiteral("фиолетовая")));
    }

    void aClickedRodShowsItsAdviceAndTakesTheTurnButtons() {
        auto window = makeWindow();
        TuningWindow* tuning = tapSixRods(*window);
        QVERIFY(tuning != nullptr);
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        auto* diagram = tuning->findChild<LugDiagram*>(QStringLiteral("lugDiagram"));
        auto* line = tuning->findChild<QLabel*>(QStringLiteral("turnLine"));
        QVERIFY(view->adviceLabel().startsWith(QStringLiteral("винт 6: ")));
        QTest::mouseClick(diagram, Qt::LeftButton, {}, diagram->rodCentre(3).toPoint());
        QVERIFY2(view->adviceLabel().startsWith(QStringLiteral("винт 3: ▲ подтянуть")),
                 qPrintable(view->adviceLabel()));
        QVERIFY2(line->text().startsWith(QStringLiteral("Винт 3: подтянуть")),
                 qPrintable(line->text()));
        tuning->findChild<QPushButton*>(QStringLiteral("turnButton2"))->click();
        QVERIFY2(line->text().contains(QStringLiteral("у винта 3")), qPrintable(line->text()));
        // The next strike ends the click: the advice follows the taps again.
        window->openFile(writeTap(QStringLiteral("n3-again.wav"), kTargetHz));
        QVERIFY2(view->adviceLabel().startsWith(QStringLiteral("винт 3: ")),
                 qPrintable(view->adviceLabel()));
        QCOMPARE(diagram->selected(), 6);  // after rod 3 in the star order
    }

    void theLargeAdviceShrinksToFitAndIsNeverCut() {
        // A calibrated head: the advice carries its turn as well, its longest form.
        m_Profile.writeString("Turns", "Baraban_12дюймов_batter", "40");
        auto window = makeWindow();
        TuningWindow* tuning = tapSixRods(*window);
        QVERIFY(tuning != nullptr);
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        QVERIFY2(view->adviceLabel().endsWith(QStringLiteral("°)")),
                 qPrintable(view->adviceLabel()));
        for (const QSize size : {tuning->size(), QSize(1024, 700), QSize(560, 700)}) {
            tuning->resize(size);
            tuning->layout()->activate();
            const double drawn =
                QFontMetricsF(view->adviceFont()).horizontalAdvance(view->adviceLabel());
            QVERIFY2(drawn <= view->width(), qPrintable(QStringLiteral("%1 px in %2 at %3x%4")
                                                            .arg(drawn)
                                                            .arg(view->width())
                                                            .arg(tuning->width())
                                                            .arg(tuning->height())));
        }
        m_Profile.writeString("Turns", "Baraban_12дюймов_batter", "");
    }

    // In lug mode the quality line judges the tap for its rod, in the rod's band: the louder
    // mode the main reading takes (and its rival) is no matter of the rod's.
    void lugQualityLineJudgesTheTapForItsRod() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);  // 12"
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        auto* quality = tuning->findChild<QLabel*>(QStringLiteral("tuningQualityLine"));

        window->openFile(writeTone("high.wav", 240.0, kStrike));
        QVERIFY(window->tuner().quality().accepted());
        QVERIFY2(quality->text().startsWith(
                     QStringLiteral("Отклонено: винт 1 — нет тона в полосе винта")),
                 qPrintable(quality->text()));
        QVERIFY2(quality->styleSheet().contains(QStringLiteral("#eb5a50")),
                 qPrintable(quality->styleSheet()));

        window->openFile(writeTap("rod1.wav", kTargetHz));
        QVERIFY2(quality->text().startsWith(QStringLiteral("Надёжно: винт 1")) &&
                     !quality->text().contains(QStringLiteral("соперник")),
                 qPrintable(quality->text()));
        QVERIFY(quality->styleSheet().contains(QStringLiteral("#46c86e")));

        // Lug mode off: the strike's own quality again.
        tuning->setLugMode(false);
        QVERIFY2(!quality->text().contains(QStringLiteral("винт")), qPrintable(quality->text()));
    }

    // A centre strike places the band when the head has no target; when most taps since have no
    // tone in it, the drummer is asked to strike the centre again.
    void aCentreBandTheRodsDoNotConfirmAsksForAnotherCentreStrike() {
        auto window = makeWindow();  // no drum chosen: no target
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        auto* notice = tuning->findChild<QLabel*>(QStringLiteral("lugNoticeLine"));
        tuning->findChild<QPushButton*>(QStringLiteral("lugCentreButton"))->click();
        window->openFile(writeTone("centre.wav", 120.0, kStrike));  // (1,1) about 1.5 x 120 Hz
        QVERIFY2(notice->text().startsWith(QStringLiteral("Удар в центр: полоса винтов")),
                 qPrintable(notice->text()));
        window->openFile(writeTone("off1.wav", 300.0, kStrike));
        QVERIFY2(notice->text().contains(QStringLiteral("нет тона в полосе винта")),
                 qPrintable(notice->text()));
        window->openFile(writeTone("off2.wav", 310.0, kStrike));
        QVERIFY(!window->tuner().lugs().bandConfirmed());
        QCOMPARE(notice->text(), QStringLiteral("Полоса удара в центр не подтверждается винтами — "
                                                "ударьте в центр ещё раз"));
    }

    // Two members ringing alike at every rod show a split but not its axis: the rods are to be
    // tapped again, not advised on a guessed axis.
    void aSplitWhoseAxisTheRodsDoNotShowAsksForAnotherRound() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        auto* notice = tuning->findChild<QLabel*>(QStringLiteral("lugNoticeLine"));
        const int rods = window->tuner().lugs().count();
        for (int step = 0; step < rods; ++step) {
            std::vector<std::int16_t> samples;
            for (int i = 0; i < 40000; ++i) {
                const double t = i / 48000.0;
                samples.push_back(static_cast<std::int16_t>(std::lround(
                    4000 * std::exp(-t / 0.4) *
                    (std::sin(2 * M_PI * 218.7 * t) + std::sin(2 * M_PI * 221.3 * t + 1.0)))));
            }
            window->openFile(writeWav(QStringLiteral("alike%1.wav").arg(step), samples));
        }
        QCOMPARE(window->tuner().lugs().measuredCount(), rods);
        QVERIFY(window->tuner().lugs().head().splitResolved);
        QCOMPARE(notice->text(),
                 QStringLiteral("Ось расщепления не видна по винтам — ударьте ещё раз по кругу"));
        QVERIFY(!window->tuner().lugs().even());
    }

    // The export writes regular files only: a named pipe would freeze the window until something
    // reads it, and a device is not a file to keep the readings in.
    void csvExportRefusesPipesAndDevicesAtOnce() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        const QString pipe = m_Dir.filePath("lugs-pipe.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!tuning->exportCsv(pipe));
        QVERIFY(!tuning->exportCsv(QStringLiteral("/dev/null")));
        QVERIFY(tuning->exportCsv(m_Dir.filePath("lugs.csv")));
    }

    // What a new user met: strikes of other drums landing on the head while the view was behind
    // the main window or minimised, a tone outside the band read at its edge, advice that did
    // not name its rod, a soft tap ignored without a word, a head started over and lost.
    void lugModeTakesOnlyWhatBelongsToTheHeadAndSaysWhy() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);  // 12"
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        const LugSession& lugs = window->tuner().lugs();
        auto* status = window->findChild<QLabel*>(QStringLiteral("lugStatusLine"));
        auto* notice = tuning->findChild<QLabel*>(QStringLiteral("lugNoticeLine"));
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        auto* diagram = tuning->findChild<LugDiagram*>(QStringLiteral("lugDiagram"));

        // Behind the main window: a strike, even one in the band, goes to no rod; the main window
        // says lug mode is on, for which drum and head, and paused.
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->openFile(writeTap("behind.wav", kTargetHz));
        QCOMPARE(lugs.measuredCount(), 0);
        QVERIFY2(status->isVisible() && status->text().contains(QStringLiteral("12\"")) &&
                     status->text().contains(QStringLiteral("ударный пластик")) &&
                     status->text().contains(QStringLiteral("пауза")),
                 qPrintable(status->text()));
        tuning->activateWindow();
        QTRY_VERIFY(tuning->isActiveWindow());
        QVERIFY2(!status->text().contains(QStringLiteral("пауза")), qPrintable(status->text()));
        tuning->setWindowState(Qt::WindowMinimized);
        window->openFile(writeTap("minimised.wav", kTargetHz));
        QCOMPARE(lugs.measuredCount(), 0);
        tuning->setWindowState(Qt::WindowNoState);
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));

        // 240 Hz lies above the band of the 12"'s batter target (174.8 Hz): no reading at the
        // band's edge, and the drummer is told.
        window->openFile(writeTone("high.wav", 240.0, kStrike));
        QCOMPARE(lugs.measuredCount(), 0);
        QVERIFY2(notice->text().contains(QStringLiteral("нет тона в полосе винта")),
                 qPrintable(notice->text()));

        // A tap on rod 1: the advice names rod 1 while the ring is on the next rod.
        window->openFile(writeTap("rod1.wav", kTargetHz * std::exp2(-30.0 / 1200)));
        QCOMPARE(lugs.measuredCount(), 1);
        QCOMPARE(diagram->selected(), 4);
        QVERIFY2(view->adviceLabel().startsWith(QStringLiteral("винт 1: ▲ подтянуть 30 ¢")),
                 qPrintable(view->adviceLabel()));

        // A tap just under the threshold is said to be too soft; the threshold is on the bar.
        const int threshold = window->tuner().recorder().threshold();
        QCOMPARE(window->findChild<LevelMeter*>(QStringLiteral("levelMeter"))->threshold(),
                 threshold);
        QVERIFY(window->tuner().noteInputPeak(threshold * 3 / 4));
        QVERIFY(!window->tuner().noteInputPeak(threshold * 3 / 4));  // once
        tuning->refresh();
        QVERIFY2(notice->text().contains(QStringLiteral("слишком тихо")),
                 qPrintable(notice->text()));

        // A second rod, then the head started over: the measurement is kept as the previous pass.
        window->openFile(writeTap("rod2.wav", kTargetHz));
        QCOMPARE(lugs.measuredCount(), 2);
        tuning->findChild<QPushButton*>(QStringLiteral("lugResetButton"))->click();
        QCOMPARE(lugs.measuredCount(), 0);
        auto* previous = tuning->findChild<QLabel*>(QStringLiteral("lugPreviousLine"));
        QVERIFY(!m_Profile.readString("Lugs", "Baraban_12дюймов_batter_prev", "").empty());
        QCOMPARE(window->tuner().previousLugs(),
                 m_Profile.readString("Lugs", "Baraban_12дюймов_batter_prev", ""));
        QVERIFY(previous != nullptr);
        QVERIFY2(previous->text().startsWith(QStringLiteral("Прошлый проход: разброс")),
                 qPrintable(previous->text()));
    }

    // The main window's lug-mode line has its place: when it appears, "Настраиваю:" and the
    // controls around it stay where a click expects them.
    void theLugLineLeavesTheMainWindowsControlsInPlace() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);  // 12"
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->openFile(writeTap("before.wav", kTargetHz));
        QCoreApplication::processEvents();
        auto* choice = window->findChild<QComboBox*>(QStringLiteral("drumChoice"));
        const QPoint before = choice->mapTo(window.get(), QPoint(0, 0));
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        window->tuningWindow()->findChild<QPushButton*>(QStringLiteral("lugModeButton"))->click();
        window->openFile(writeTap("place.wav", kTargetHz));
        auto* status = window->findChild<QLabel*>(QStringLiteral("lugStatusLine"));
        QVERIFY(!status->text().isEmpty() && !status->isHidden());
        QCoreApplication::processEvents();
        QCOMPARE(choice->mapTo(window.get(), QPoint(0, 0)), before);
        // The whole line is readable in its place.
        QVERIFY(status->height() >= status->heightForWidth(status->width()));
    }

    // The export's name is the drum as shown and the head: "lugs-12-batter.csv".
    void theLugExportIsNamedAfterTheDrumAsShown() {
        auto window = makeWindow();
        auto* choice = window->findChild<QComboBox*>(QStringLiteral("drumChoice"));
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        choose(choice, 2);  // 12"
        QCOMPARE(tuning->exportFileName(), QStringLiteral("lugs-12-batter.csv"));
        choose(choice, 1);  // the snare
        QCOMPARE(tuning->exportFileName(), QStringLiteral("lugs-Малый-batter.csv"));
        choose(choice, 0);
        QCOMPARE(tuning->exportFileName(), QStringLiteral("lugs-any-batter.csv"));
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::LugWindowTest)
#include "LugWindowTest.moc"
