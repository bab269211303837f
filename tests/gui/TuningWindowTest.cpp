// The window "Настройка" on the offscreen platform, fed with strikes as files through the main
// window: the reading against the drum being tuned, its size, keys and lines, the plan and the
// recalled target. Lug mode has tests of its own (LugWindowTest.cpp).
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cmath>

#include "TuningWindowFixture.h"
#include "gui/CMainDlg.h"
#include "gui/TuningWindow.h"
#include "settings/MemoryProfile.h"
#include "tuning/Tuner.h"
#include "widgets/TuningViews.h"

namespace tomaro {

class TuningWindowTest : public QObject, protected test::TuningWindowFixture {
    Q_OBJECT

private slots:
    void init() { startWithKit(); }

    void chosenDrumIsTheTargetAndARejectedStrikeKeepsTheLastGoodReading() {
        auto window = makeWindow();
        auto* choice = window->findChild<QComboBox*>(QStringLiteral("drumChoice"));
        QVERIFY(choice != nullptr);
        QCOMPARE(choice->itemText(0), QStringLiteral("ближайший эталон"));
        QCOMPARE(choice->currentIndex(), 0);
        choose(choice, 2);  // 12"
        QCOMPARE(QString::fromStdString(m_Profile.readString("Tuning", "Drum", "")),
                 QStringLiteral("12\""));
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        QVERIFY(tuning != nullptr && tuning->isVisible());
        QCOMPARE(tuning->windowTitle(), QStringLiteral("Настройка"));
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        // The chosen drum's target is known before any strike: its tone can be played at once.
        QVERIFY(tuning->findChild<QPushButton*>(QStringLiteral("toneButton"))->isEnabled());

        // 12 cents flat of the overtone target: tighten. The main reading takes the louder mode
        // at 1.6 x, which is nearest the 12"'s overtone as well.
        window->openFile(writeTap("flat.wav", kTargetHz / 1.6 * std::exp2(-12.0 / 1200), 100));
        QVERIFY(view->reading().valid);
        QCOMPARE(view->reading().drum, 1);
        QCOMPARE(view->reading().kind, 1);
        QVERIFY(std::abs(view->reading().cents + 12.0) < 0.5);
        QCOMPARE(view->adviceLabel(), QStringLiteral("▲ подтянуть"));
        QVERIFY(!view->rejected());

        window->openFile(writeSilence());
        QVERIFY(view->rejected());
        QVERIFY(view->reading().valid);
        QVERIFY(std::abs(view->reading().cents + 12.0) < 0.5);

        // The tolerance widens the green zone: 15 cents takes the reading in.
        tuning->findChild<QSpinBox*>(QStringLiteral("toleranceSpin"))->setValue(15);
        QCOMPARE(view->adviceLabel(), QStringLiteral("в допуске"));
        QCOMPARE(m_Profile.readInt("Tuning", "ToleranceCents", 0), 15);

        // A new window finds the drum again by its name.
        window.reset();
        auto again = makeWindow();
        QCOMPARE(again->findChild<QComboBox*>(QStringLiteral("drumChoice"))->currentIndex(), 2);
    }

    void noteFillsAtLeastASixthOfTheWindowAtAnySize() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        window->openFile(writeTap("sol.wav", 196.0 / 1.6, 100));  // a G, the widest name
        for (bool lugs : {false, true}) {
            tuning->setLugMode(lugs);
            for (QSize size :
                 {QSize(720, 480), QSize(1024, 700), QSize(1600, 1000), QSize(1920, 1080)}) {
                tuning->resize(size);
                tuning->layout()->activate();
                QVERIFY2(view->notePixelSize() * 6 >= tuning->height(),
                         qPrintable(QStringLiteral("%1x%2 lugs %3: %4 px")
                                        .arg(size.width())
                                        .arg(size.height())
                                        .arg(lugs)
                                        .arg(view->notePixelSize())));
            }
        }
    }

    void aPlanWrittenFromTheTuningWindowReachesTheMainWindowsReferences() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        auto* references = window->findChild<QPushButton*>(QStringLiteral("referencesButton"));
        const QString before = references->text();
        tuning->findChild<QPushButton*>(QStringLiteral("kitPlanButton"))->click();
        auto* plan = tuning->findChild<QWidget*>(QStringLiteral("kitPlanWindow"));
        QVERIFY(plan && plan->isVisible());
        plan->findChild<QLineEdit*>(QStringLiteral("planStartEdit"))->setText(QStringLiteral("A2"));
        plan->findChild<QPushButton*>(QStringLiteral("planWriteButton"))->click();
        QVERIFY2(references->text() != before && references->text().contains(QStringLiteral("110")),
                 qPrintable(references->text()));
        tuning->findChild<QPushButton*>(QStringLiteral("twoHeadsButton"))->click();
        QVERIFY(tuning->findChild<QWidget*>(QStringLiteral("twoHeadsWindow"))->isVisible());
    }

    void f11TogglesFullScreen() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        QTest::keyClick(tuning, Qt::Key_F11);
        QVERIFY(tuning->windowState() & Qt::WindowFullScreen);
        QTest::keyClick(tuning, Qt::Key_F11);
        QVERIFY(!(tuning->windowState() & Qt::WindowFullScreen));

        // A window manager applies a request later: a press that comes before it has (the state
        // read back still the old one) toggles from the state asked, so two presses leave full
        // screen as they entered it.
        QTest::keyClick(tuning, Qt::Key_F11);
        tuning->setWindowState(Qt::WindowNoState);  // full screen not applied yet
        QTest::keyClick(tuning, Qt::Key_F11);
        QVERIFY(!(tuning->windowState() & Qt::WindowFullScreen));
        for (int press = 0; press < 41; ++press) QTest::keyClick(tuning, Qt::Key_F11);
        QVERIFY(tuning->windowState() & Qt::WindowFullScreen);
    }

    // The quality and series lines are read from the drum stool too: at least a quarter of the
    // advice's size at any window size, in the view's colours on its dark ground.
    void qualityAndSeriesLinesAreReadableFromAfar() {
        auto window = makeWindow();
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        TuningWindow* tuning = window->tuningWindow();
        window->openFile(writeTap("tap.wav", 110.0));
        auto* view = tuning->findChild<TuningView*>(QStringLiteral("tuningView"));
        auto* quality = tuning->findChild<QLabel*>(QStringLiteral("tuningQualityLine"));
        auto* series =
            tuning->findChild<QWidget*>(QStringLiteral("tuningSeriesLine"))->findChild<QLabel*>();
        QVERIFY(quality != nullptr && series != nullptr);
        for (const QSize size : {QSize(800, 520), QSize(1600, 1000)}) {
            tuning->resize(size);
            QCoreApplication::sendPostedEvents();
            QVERIFY2(QFontInfo(quality->font()).pixelSize() * 4 >= view->advicePixelSize(),
                     qPrintable(QString::number(QFontInfo(quality->font()).pixelSize())));
            QVERIFY(QFontInfo(series->font()).pixelSize() * 4 >= view->advicePixelSize());
        }
        const Verdict verdict = window->tuner().quality().verdict;
        const QString colour = verdict == Verdict::Good       ? QStringLiteral("#46c86e")
                               : verdict == Verdict::Doubtful ? QStringLiteral("#f0aa3c")
                                                              : QStringLiteral("#eb5a50");
        QVERIFY2(quality->styleSheet().contains(colour), qPrintable(quality->styleSheet()));
    }

    // During a recall the target says it is the snapshot's.
    void aRecalledTargetNamesItsSnapshot() {
        auto window = makeWindow();
        choose(window->findChild<QComboBox*>(QStringLiteral("drumChoice")), 2);  // 12"
        history::Snapshot snapshot;
        snapshot.info.name = "gig 10 dec";
        history::SnapshotDrum drum;
        drum.drum = "12\"";
        history::Reading strike;
        strike.drum = drum.drum;
        strike.frequencyHz = 120.0;
        drum.strike = strike;
        snapshot.drums.push_back(drum);
        window->tuner().setRecall(snapshot);
        window->findChild<QPushButton*>(QStringLiteral("tuningButton"))->click();
        auto* view = window->tuningWindow()->findChild<TuningView*>(QStringLiteral("tuningView"));
        window->openFile(writeTone("recalled.wav", 118.0, kStrike));
        QVERIFY2(view->readingLine().contains(QStringLiteral("→  120 Гц (12\", снимок")) &&
                     view->readingLine().contains(QStringLiteral(", снимок «gig 10 dec»)")),
                 qPrintable(view->readingLine()));
        window->tuner().setRecall(std::nullopt);
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::TuningWindowTest)
#include "TuningWindowTest.moc"
