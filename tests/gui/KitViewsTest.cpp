// The windows "Два пластика" and "Интервалы и план" on the offscreen platform, over a tuning
// history written directly: what they show, the resonant target written, a plan written and
// undone.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>
#include <cmath>

#include "gui/KitPlanWindow.h"
#include "gui/TwoHeadsWindow.h"
#include "history/HistoryStore.h"
#include "kit/Kit.h"
#include "kit/ShellSizes.h"
#include "settings/Language.h"
#include "settings/MemoryProfile.h"
#include "support/WavBuilder.h"
#include "tuning/Tuner.h"

namespace tomaro {

class KitViewsTest : public QObject {
    Q_OBJECT

private:
    static void addHead(history::HistoryStore& store, const std::string& drum, history::Struck head,
                        double hz, std::int64_t timeMs = 0) {
        for (int lug = 1; lug <= 6; ++lug) {
            history::Reading tap;
            tap.drum = drum;
            tap.struck = head;
            tap.lug = lug;
            tap.lugCount = 6;
            tap.timeMs = timeMs;
            // Rods around hz, the mean exactly hz: +-2 cents in turn.
            tap.frequencyHz = hz * std::exp2((lug % 2 == 0 ? 2.0 : -2.0) / 1200.0);
            tap.verdict = "good";
            QVERIFY(store.addReading(tap) > 0);
        }
    }

    static QString text(QWidget& window, const char* name) {
        auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QString();
    }

    QTemporaryDir m_Dir;

private slots:
    void initTestCase() { setCurrentLanguage(Language::Russian); }

    void twoHeadsShowBothHeadsTheirIntervalAndWriteTheResonantTarget() {
        MemoryProfile profile;
        history::HistoryStore store(m_Dir.filePath(QStringLiteral("heads.sqlite")).toStdString());
        Tuner tuner(profile);  // the standard kit: 10", 12", 16", kick
        tuner.setHistory(store);
        tuner.setTunedDrum(1);
        const std::string tom = tuner.kit().drumName(1);
        history::Reading strike;
        strike.drum = tom;
        strike.frequencyHz = 120.0;
        strike.verdict = "good";
        QVERIFY(store.addReading(strike) > 0);
        addHead(store, tom, history::Struck::Batter, 180.0);
        addHead(store, tom, history::Struck::Reso, 180.0 * std::exp2(3.0 / 12.0) * std::exp2(0.05));

        TwoHeadsWindow window(tuner);
        window.refresh();
        QVERIFY2(text(window, "headsBatterLine").contains(QStringLiteral("180")),
                 qPrintable(text(window, "headsBatterLine")));
        QVERIFY(text(window, "headsBatterLine").contains(QStringLiteral("6 из 6")));
        // A minor third and 60 cents: the nearest whole interval is a major third, 40 cents flat.
        QVERIFY2(text(window, "headsIntervalLine")
                     .contains(QStringLiteral("+4 полутона (большая терция) -40 ¢")),
                 qPrintable(text(window, "headsIntervalLine")));
        QVERIFY(text(window, "headsFundamentalLine").contains(QStringLiteral("120")));
        QVERIFY(text(window, "headsSoundLine").contains(QStringLiteral("унисон")));

        // Resonant three semitones above the batter: 214.05 Hz, and the head now 60 cents sharp.
        auto* relation = window.findChild<QComboBox*>(QStringLiteral("headsRelationCombo"));
        auto* semitones = window.findChild<QSpinBox*>(QStringLiteral("headsSemitoneSpin"));
        relation->setCurrentIndex(1);
        semitones->setValue(3);
        const double targetHz = 180.0 * std::exp2(3.0 / 12.0);
        QVERIFY(std::abs(window.resonantTargetHz() - targetHz) < 0.01);
        QVERIFY2(text(window, "headsTargetLine").contains(QStringLiteral("сейчас +60 ¢")),
                 qPrintable(text(window, "headsTargetLine")));
        QSignalSpy changed(&window, &TwoHeadsWindow::referencesChanged);
        window.findChild<QPushButton*>(QStringLiteral("headsTargetButton"))->click();
        QCOMPARE(changed.count(), 1);
        QVERIFY(std::abs(tuner.kit().drum(1).overtone2 - targetHz) < 0.001);
        QCOMPARE(profile.readInt(Kit::kSection, Kit::overtone2Key(tuner.kit().drum(1).type), 0),
                 overtones::toStored(targetHz));
        // The relation is kept for the drum.
        TwoHeadsWindow again(tuner);
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("headsRelationCombo"))->currentIndex(),
                 1);
        QCOMPARE(again.findChild<QSpinBox*>(QStringLiteral("headsSemitoneSpin"))->value(), 3);

        // A strike, the batter head tuned up, another strike: the window keeps the one from
        // before the change beside the new one, so that what the change did shows.
        const auto strikeOf = [&](double tauSec) {
            test::WavBuilder wav;
            for (int i = 0; i < 42000; ++i) {
                const double t = i / 48000.0;
                wav.samples.push_back(static_cast<std::int16_t>(
                    std::lround(12000 * std::exp(-t / tauSec) * std::sin(2 * M_PI * 121.0 * t))));
            }
            const std::string path = m_Dir.filePath(QStringLiteral("strike.wav")).toStdString();
            test::writeFile(path, wav.bytes());
            QVERIFY(tuner.loadFile(path).ok);
            tuner.paintStep();
            window.refresh();
        };
        strikeOf(0.25);
        QVERIFY(!text(window, "headsStrikeLine").contains(QStringLiteral("До изменения")));
        // A minute later: the rods of the new pass are the head's last ones.
        addHead(store, tom, history::Struck::Batter, 190.0,
                QDateTime::currentMSecsSinceEpoch() + 60000);
        strikeOf(0.6);
        const QString strikes = text(window, "headsStrikeLine");
        QVERIFY2(strikes.contains(QStringLiteral("До изменения пластиков: затухание 0.2")) &&
                     strikes.contains(QStringLiteral("Последний удар: затухание 0.6")) &&
                     strikes.contains(QStringLiteral(", уход высоты ")),
                 qPrintable(strikes));

        // No head measured on another drum: said, and no target to write.
        tuner.setTunedDrum(0);
        window.refresh();
        QCOMPARE(text(window, "headsBatterLine"), QStringLiteral("Нет замера по винтам"));
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("headsTargetButton"))->isEnabled());
    }

    void aPlanIsWrittenIntoTheReferencesAndUndone() {
        MemoryProfile profile;
        Tuner tuner(profile);
        std::vector<int> before;
        for (int position = 0; position < tuner.kit().count(); ++position)
            before.push_back(tuner.kit().drum(position).note);
        KitPlanWindow window(tuner);
        auto* table = window.findChild<QTableWidget*>(QStringLiteral("planKitTable"));
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("10\""));  // size order
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("нет удара"));

        window.findChild<QLineEdit*>(QStringLiteral("planStartEdit"))
            ->setText(QStringLiteral("A2"));
        auto* plan = window.findChild<QTableWidget*>(QStringLiteral("planTable"));
        QCOMPARE(plan->rowCount(), 4);
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("planLine"))
                    ->text()
                    .startsWith(QStringLiteral("Все ноты")));
        QSignalSpy changed(&window, &KitPlanWindow::referencesChanged);
        window.findChild<QPushButton*>(QStringLiteral("planWriteButton"))->click();
        QCOMPARE(changed.count(), 1);
        // Fourths up from the 16" at A2: 12" at D3, 10" at G3; the kick keeps its note.
        QCOMPARE(tuner.kit().drum(2).note, -15);
        QCOMPARE(tuner.kit().drum(1).note, -10);
        QCOMPARE(tuner.kit().drum(0).note, -5);
        QCOMPARE(tuner.kit().drum(3).note, before[3]);
        QCOMPARE(profile.readInt(Kit::kSection, Kit::noteKey(tuner.kit().drum(0).type), 0), -5);

        auto* undo = window.findChild<QPushButton*>(QStringLiteral("planUndoButton"));
        QVERIFY(undo->isEnabled());
        undo->click();
        for (int position = 0; position < tuner.kit().count(); ++position) {
            QCOMPARE(tuner.kit().drum(position).note, before[position]);
            QCOMPARE(
                profile.readInt(Kit::kSection, Kit::noteKey(tuner.kit().drum(position).type), 1000),
                before[position]);
        }
        QVERIFY(!undo->isEnabled());

        // Down from C5 in fourths: the 16" ends far above its range, and it is said.
        window.findChild<QLineEdit*>(QStringLiteral("planStartEdit"))
            ->setText(QStringLiteral("C5"));
        window.findChild<QCheckBox*>(QStringLiteral("planFromTopBox"))->setChecked(true);
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("planLine"))
                    ->text()
                    .startsWith(QStringLiteral("Внимание")));
        // A note that is none: nothing to write.
        window.findChild<QLineEdit*>(QStringLiteral("planStartEdit"))
            ->setText(QStringLiteral("H9"));
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("planWriteButton"))->isEnabled());
    }

    // The kick's size is set in the plan window and kept in the settings: its usual range and
    // its name follow it.
    void theKickSizeSetsItsRangeAndIsKeptInTheSettings() {
        MemoryProfile profile;
        Tuner tuner(profile);
        KitPlanWindow window(tuner);
        auto* plan = window.findChild<QTableWidget*>(QStringLiteral("planTable"));
        const auto kickRow = [plan] {
            for (int row = 0; row < plan->rowCount(); ++row) {
                if (plan->item(row, 0)->text().startsWith(QStringLiteral("Бочка"))) return row;
            }
            return -1;
        };
        QVERIFY(kickRow() >= 0);
        QCOMPARE(plan->item(kickRow(), 0)->text(), QStringLiteral("Бочка"));
        QVERIFY(plan->item(kickRow(), 3)->text().startsWith(QStringLiteral("40–90 Гц")));
        auto* kick = window.findChild<QSpinBox*>(QStringLiteral("planKickSize"));
        QVERIFY(kick);
        QCOMPARE(kick->text(), QStringLiteral("—"));
        kick->setValue(24);
        QCOMPARE(plan->item(kickRow(), 0)->text(), QStringLiteral("Бочка 24\""));
        QVERIFY2(plan->item(kickRow(), 3)->text().startsWith(QStringLiteral("37–83 Гц")),
                 qPrintable(plan->item(kickRow(), 3)->text()));
        QCOMPARE(drumsizes::ShellSizes::load(profile).kickInch, 24);
        KitPlanWindow again(tuner);
        QCOMPARE(again.findChild<QSpinBox*>(QStringLiteral("planKickSize"))->value(), 24);
    }

    // Fourths up from C12: the 12" and the 10" would leave the notes a drum can have. Each is
    // marked in words, the line says why nothing is written, and nothing is.
    void aPlanBeyondTheNotesSaysWhyItIsNotWritten() {
        MemoryProfile profile;
        Tuner tuner(profile);
        std::vector<int> before;
        for (int position = 0; position < tuner.kit().count(); ++position)
            before.push_back(tuner.kit().drum(position).note);
        KitPlanWindow window(tuner);
        window.findChild<QLineEdit*>(QStringLiteral("planStartEdit"))
            ->setText(QStringLiteral("C12"));
        auto* plan = window.findChild<QTableWidget*>(QStringLiteral("planTable"));
        int marked = 0;
        for (int row = 0; row < plan->rowCount(); ++row) {
            if (plan->item(row, 1)->text().contains(QStringLiteral("вне возможных"))) {
                const QString drum = plan->item(row, 0)->text();
                QVERIFY2(drum == QStringLiteral("10\"") || drum == QStringLiteral("12\""),
                         qPrintable(drum));
                ++marked;
            }
        }
        QCOMPARE(marked, 2);
        const QString line = text(window, "planLine");
        QVERIFY2(line.startsWith(QStringLiteral("План не записывается")), qPrintable(line));
        QVERIFY(line.contains(QStringLiteral("10\"")) && line.contains(QStringLiteral("12\"")));
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("planWriteButton"))->isEnabled());
        QVERIFY(!window.writePlan());
        for (int position = 0; position < tuner.kit().count(); ++position)
            QCOMPARE(tuner.kit().drum(position).note, before[position]);
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::KitViewsTest)
#include "KitViewsTest.moc"
