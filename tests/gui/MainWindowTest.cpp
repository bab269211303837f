// The main window on the offscreen platform with its settings in memory and its message boxes
// and file dialog replaced, so nothing blocks.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>

#include "devices/QtProfile.h"
#include "gui/CDlgPresets.h"
#include "gui/CMainDlg.h"
#include "settings/MemoryProfile.h"
#include "support/MainWindowFixture.h"
#include "support/PseudoTerminal.h"
#include "widgets/NoteWindow.h"
#include "widgets/SignalOverview.h"
#include "widgets/SpectrumView.h"
#include "widgets/StepField.h"
#include "widgets/StrikeQualityViews.h"

namespace tomaro {

class MainWindowTest : public QObject, protected test::MainWindowFixture {
    Q_OBJECT

private:
    // The real settings file, in this test's own folder; returns its path.
    QString useSettingsFolder() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_Dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_Dir.path());
        QDir().mkpath(m_Dir.filePath("Harnwick"));
        return m_Dir.filePath("Harnwick/Tomaro.conf");
    }
    static void writeDatedBack(const QString& path, const QByteArray& bytes,
                               const QDateTime& modified) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.flush();
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void init() { startAfresh(); }

    void captionSaysNoAudioWithoutADevice() {
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Tomaro1.6  - НЕТ АУДИО"));
        QVERIFY(m_Messages.empty());
    }

    void qualityAndSeriesLinesFollowEachStrike() {
        auto window = makeWindow();
        auto* frequency = window->findChild<QLabel*>("frequencyLabel");
        auto* quality = window->findChild<QLabel*>("qualityLine");
        auto* seriesLine = window->findChild<SeriesLine*>("seriesLine");
        QVERIFY(quality && seriesLine && window->findChild<PitchTrackView*>("pitchTrackView"));
        QCOMPARE(seriesLine->text(), QStringLiteral("серия: нет ударов"));
        const QString tone = writeTone("tom.wav", 110.0);
        for (int i = 0; i < 3; ++i) window->openFile(tone);
        QVERIFY(quality->text().startsWith(QStringLiteral("Надёжно · тон: ")));
        QCOMPARE(seriesLine->text(),
                 QStringLiteral("серия: 3 удара, 110.00 Гц ± 0.0 ¢ · стабильно"));

        // Silence: no tone instead of a frequency, the last good reading named, the series kept;
        // the caption and the large-note window's lines keep their texts.
        window->openFile(writeSilence());
        QCOMPARE(frequency->text(), QStringLiteral("нет тона"));
        QCOMPARE(window->findChild<QLabel*>("noteLabel")->text(), QString());
        QCOMPARE(quality->text(),
                 QStringLiteral("Отклонено: нет тона, нет удара выше порога · последний принятый "
                                "110.00 Гц"));
        QCOMPARE(seriesLine->text(),
                 QStringLiteral("серия: 3 удара, 110.00 Гц ± 0.0 ¢ · стабильно"));
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Tomaro1.6 29.30 Гц - НЕТ АУДИО"));
        QCOMPARE(window->tuner().readout().lines().front().text, std::string("29.3 Гц"));

        window->findChild<QPushButton*>("newSeriesButton")->click();
        QCOMPARE(seriesLine->text(), QStringLiteral("серия: нет ударов"));
    }

    // The read-out's lines have their place before the first strike: when its quality line,
    // nearest reference and series fill in, "Настраиваю:" and the controls around it stay where
    // a click expects them, and so they do when a rejected strike's longer line follows.
    void theFirstStrikeLeavesTheControlsInPlace() {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QLabel* tuning = nullptr;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("Настраиваю:")) tuning = label;
        }
        QVERIFY(tuning != nullptr);
        const auto place = [&] {
            settleLayouts();
            return tuning->mapTo(window.get(), QPoint(0, 0));
        };
        const QPoint before = place();
        window->openFile(writeTone("first.wav", 110.0));
        QVERIFY(!window->findChild<QLabel*>("qualityLine")->text().isEmpty());
        QCOMPARE(place(), before);
        window->openFile(writeSilence());
        QVERIFY(window->findChild<QLabel*>("qualityLine")
                    ->text()
                    .startsWith(QStringLiteral("Отклонено: ")));
        QCOMPARE(place(), before);
    }

    void overtoneBoxesAreExclusiveAndTheCaptionFollows() {
        auto window = makeWindow();
        auto* batter = window->findChild<QCheckBox*>("batterBox");
        auto* resonant = window->findChild<QCheckBox*>("resonantBox");
        auto* fundamental = window->findChild<QCheckBox*>("fundamentalBox");
        auto* button = window->findChild<QPushButton*>("referencesButton");
        QVERIFY(fundamental->isChecked());
        QVERIFY(button->text().startsWith(QStringLiteral("Эталоны ")));

        batter->click();
        resonant->click();
        QVERIFY(resonant->isChecked());
        QVERIFY(!batter->isChecked());
        QCOMPARE(m_Profile.readInt("Options", "m_IsUseEto_M1", -1), 0);
        QCOMPARE(m_Profile.readInt("Options", "m_IsUseEto_M2", -1), 1);

        resonant->click();
        fundamental->click();
        QCOMPARE(button->text(), QStringLiteral("Эталоны - включите отображение ниже"));
    }

    void analysisSettingsAreStoredAtOnce() {
        auto window = makeWindow();
        window->findChild<QSpinBox*>("thresholdSpin")->setValue(4500);
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_Porog", 0), 4500);
        QCOMPARE(window->tuner().recorder().threshold(), 4500);

        window->findChild<QComboBox*>("windowCombo")->setCurrentIndex(2);
        QCOMPARE(m_Profile.readInt("Options", "m_WinVar", -1), 2);
        window->findChild<QCheckBox*>("decayBox")->click();
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_UseAproExp", -1), 0);

        // F1 below F0 is swapped, values outside 20..2000 Hz are clamped.
        auto* f0 = window->findChild<QSpinBox*>("findF0Spin");
        auto* f1 = window->findChild<QSpinBox*>("findF1Spin");
        f0->setValue(3000);
        QCOMPARE(f0->value(), 500);
        QCOMPARE(f1->value(), 2000);
        QCOMPARE(m_Profile.readInt("Options", "m_FindF0", 0), 500);
        QCOMPARE(m_Profile.readInt("Options", "m_FindF1", 0), 2000);
    }

    void storedValuesOutsideTheControlsShowWhatTheAnalysisUses() {
        m_Profile.writeInt("Options", "m_WinVar", 5);  // analysed as "Гаусс 1/e"
        m_Profile.writeInt("Options", "m_FindF0", 400);
        m_Profile.writeInt("Options", "m_FindF1", 40);
        auto window = makeWindow();
        QCOMPARE(window->findChild<QComboBox*>("windowCombo")->currentIndex(), 1);
        QCOMPARE(m_Profile.readInt("Options", "m_WinVar", -1), 5);
        QCOMPARE(window->findChild<QSpinBox*>("findF0Spin")->value(), 40);
        QCOMPARE(window->findChild<QSpinBox*>("findF1Spin")->value(), 400);
        QCOMPARE(m_Profile.readInt("Options", "m_FindF0", -1), 400);
        window->openFile(writeTone("swapped.wav", 130.0));
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.1);
    }

    void leavingAStretchFieldWithoutTypingStoresNothing() {
        auto window = makeWindow();
        auto* delay = window->findChild<StepField*>("delayField");
        const int writes = m_Profile.writeCount();
        emit delay->editingFinished();
        QCOMPARE(m_Profile.writeCount(), writes);

        QTest::keyClick(delay, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(delay, "0,25");
        emit delay->editingFinished();
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_SelectPos", 0), 250000);
        QCOMPARE(delay->text(), QStringLiteral("0.2500"));
    }

    void enterAppliesTheTypedValueInEveryField() {
        auto window = makeWindow();
        window->openFile(writeTone("enter.wav", 150.0));
        const struct {
            const char* field;
            const char* typed;
            const char* section;
            const char* key;
            int stored;
        } cases[] = {{"thresholdSpin", "4500", "CMainDlg", "m_Porog", 4500},
                     {"delayField", "0,1", "CMainDlg", "m_SelectPos", 100000},
                     {"lengthField", "0.2", "CMainDlg", "m_SelectDelta", 200000},
                     {"findF0Spin", "100", "Options", "m_FindF0", 100},
                     {"findF1Spin", "300", "Options", "m_FindF1", 300}};
        for (const auto& c : cases) {
            auto* field = window->findChild<QAbstractSpinBox*>(c.field);
            QSignalSpy analysed(window.get(), &CMainDlg::analysed);
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, c.typed);
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(m_Profile.readInt(c.section, c.key, -1), c.stored);
            if (QByteArray(c.field) != "thresholdSpin") QTRY_COMPARE(analysed.count(), 1);
        }
        const AnalysisResult& result = window->tuner().analyzer().result();
        QCOMPARE(result.stretchStart, 6000 + 4800);
        QCOMPARE(result.stretchEnd - result.stretchStart, 9600);
        QCOMPARE(window->tuner().recorder().threshold(), 4500);
    }

    void analysisDefaultsCommandPutsEverySettingBack() {
        m_Profile.writeInt("Options", "m_WinVar", 2);
        m_Profile.writeInt("CMainDlg", "m_UseAproExp", 0);
        m_Profile.writeInt("Options", "m_FindF0", 200);
        m_Profile.writeInt("Options", "m_FindF1", 900);
        m_Profile.writeInt("CMainDlg", "m_SelectPos", 300000);
        m_Profile.writeInt("CMainDlg", "m_SelectDelta", 100000);
        auto window = makeWindow();
        window->openFile(writeTone("defaults.wav", 130.0));  // below the stored range
        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        auto* button = window->findChild<QPushButton*>("analysisDefaultsButton");
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(), QStringLiteral("Настройки анализа по умолчанию"));
        button->click();
        QCOMPARE(window->findChild<QComboBox*>("windowCombo")->currentIndex(), 1);
        QVERIFY(window->findChild<QCheckBox*>("decayBox")->isChecked());
        QCOMPARE(window->findChild<QSpinBox*>("findF0Spin")->value(), 30);
        QCOMPARE(window->findChild<QSpinBox*>("findF1Spin")->value(), 500);
        QCOMPARE(window->findChild<StepField*>("delayField")->text(), QStringLiteral("0.0500"));
        QCOMPARE(window->findChild<StepField*>("lengthField")->text(), QStringLiteral("0.4000"));
        QCOMPARE(m_Profile.readInt("Options", "m_WinVar", -1), 1);
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_UseAproExp", -1), 1);
        QCOMPARE(m_Profile.readInt("Options", "m_FindF1", -1), 500);
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_SelectPos", -1), 50000);
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_SelectDelta", -1), 400000);
        QTRY_COMPARE(analysed.count(), 1);
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 130.0) < 0.1);
    }

    void stretchSpinsMoveTheStretchAndAnalyseAgain() {
        auto window = makeWindow();
        window->openFile(writeTone("spin.wav", 150.0));
        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        auto* delay = window->findChild<StepField*>("delayField");
        auto* length = window->findChild<StepField*>("lengthField");
        delay->stepBy(1);  // + a fifth of the length
        QCOMPARE(delay->text(), QStringLiteral("0.1300"));
        length->stepBy(-1);
        QCOMPARE(length->text(), QStringLiteral("0.3809"));
        QTRY_VERIFY(analysed.count() >= 1);
        QCOMPARE(m_Profile.readInt("CMainDlg", "m_SelectPos", 0), 130000);
    }

    void clicksOnTheGraphsAnalyseAgain() {
        auto window = makeWindow();
        window->resize(1200, 800);
        window->show();
        // A tone of 150 Hz with a weaker one at 240 Hz: the search finds 150 Hz first.
        std::vector<std::int16_t> samples;
        for (int i = 0; i < 40000; ++i) {
            const double t = i / 48000.0;
            samples.push_back(static_cast<std::int16_t>(
                std::lround(std::exp(-t / 0.5) * (9000 * std::sin(2 * M_PI * 150.0 * t) +
                                                  4000 * std::sin(2 * M_PI * 240.0 * t)))));
        }
        window->openFile(writeWav("two.wav", samples));
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 150.0) < 0.2);

        QSignalSpy analysed(window.get(), &CMainDlg::analysed);
        auto* spectrum = window->findChild<SpectrumView*>("spectrumView");
        const QPoint at(int(std::lround(spectrum->xOfFrequency(238.0))),
                        spectrum->plotRect().center().y());
        QTest::mouseClick(spectrum, Qt::LeftButton, {}, at);
        QTRY_COMPARE(analysed.count(), 1);
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 240.0) < 0.2);

        // A click on the overview moves the stretch there and analyses again.
        auto* overview = window->findChild<SignalOverview*>("signalOverview");
        const int before = window->tuner().stretch().start();
        QTest::mouseClick(
            overview, Qt::LeftButton, {},
            QPoint(int(overview->xOfFrame(30000)), overview->plotRect().center().y()));
        QTRY_COMPARE(analysed.count(), 2);
        QVERIFY(window->tuner().stretch().start() != before);
        // The pick was used once: the search range applies again.
        QVERIFY(std::abs(window->tuner().mainFrequencyHz() - 150.0) < 0.5);
    }

    void largeNoteWindowFollowsItsBox() {
        auto window = makeWindow();
        auto* box = window->findChild<QCheckBox*>("noteWindowBox");
        box->click();
        QCOMPARE(m_Profile.readInt("Options", "m_IsShowNotaDlg", -1), 1);
        auto* notes = window->findChild<NoteWindow*>("noteWindow");
        QVERIFY(notes != nullptr);
        QVERIFY(notes->isVisible());
        notes->close();
        QVERIFY(!box->isChecked());
        QCOMPARE(m_Profile.readInt("Options", "m_IsShowNotaDlg", -1), 0);

        // Remembered: a window started with the setting on shows it at once, and leaving the
        // program with it open keeps it so for the next start.
        m_Profile.writeInt("Options", "m_IsShowNotaDlg", 1);
        auto second = makeWindow();
        second->show();
        QVERIFY(second->findChild<NoteWindow*>("noteWindow")->isVisible());
        second->close();
        second.reset();
        QCOMPARE(m_Profile.readInt("Options", "m_IsShowNotaDlg", -1), 1);
    }

    void overtoneReadAsFundamentalShowsBothFrequencies() {
        // The standard kit's 12" (116.5 Hz) with a batter overtone at 1.5: 174.8 Hz.
        m_Profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 1500);
        m_Profile.writeInt("Options", "m_IsUseEto_F0", 0);
        m_Profile.writeInt("Options", "m_IsUseEto_M1", 1);
        m_Profile.writeInt("CMainDlg", "m_GarmTransVar", 1);
        auto window = makeWindow();
        window->openFile(writeTone("overtone.wav", 176.0));
        QCOMPARE(window->findChild<QLabel*>("frequencyLabel")->text(),
                 QStringLiteral("117.3 Гц из 176"));
        QCOMPARE(window->findChild<QLabel*>("nearestLabel")->text(),
                 QStringLiteral("Ближайший эталон: 116.5 Гц для 12\", +12 %"));
    }

    void wheelOverAControlWithoutFocusChangesNothing() {
        auto window = makeWindow();
        window->show();
        auto* threshold = window->findChild<QSpinBox*>("thresholdSpin");
        QWheelEvent wheel(QPointF(5, 5), threshold->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(threshold, &wheel);
        QCOMPARE(threshold->value(), 3000);
        QVERIFY(!m_Profile.contains("CMainDlg", "m_Porog"));
    }

    void textThatIsNoNumberGivesWayToTheValueInUse() {
        auto window = makeWindow();
        auto* delay = window->findChild<StepField*>("delayField");
        QTest::keyClick(delay, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(delay, "abc");
        emit delay->editingFinished();
        QCOMPARE(delay->text(), QStringLiteral("0.0500"));
        QVERIFY(!m_Profile.contains("CMainDlg", "m_SelectPos"));
    }

    void referencesDialogChangesReachTheCaptionAndReadout() {
        auto window = makeWindow();
        auto* button = window->findChild<QPushButton*>("referencesButton");
        // The standard kit: 10", 12", 16" and the kick, their notes' frequencies in the caption.
        QCOMPARE(button->text(), QStringLiteral("Эталоны 155.6, 116.5, 87.3, 43.65 Гц"));
        m_OnDialog = [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(),
                     QStringLiteral("Tomaro эталонные частоты для настройки"));
            // Hide every drum but the first: the caption lists the 10" only.
            for (int row = 1; row < 4; ++row) {
                dialog.findChild<QCheckBox*>(QStringLiteral("showBox_%1").arg(row))->click();
            }
            dialog.accept();
        };
        button->click();
        QCOMPARE(button->text(), QStringLiteral("Эталоны 155.6 Гц"));
        QCOMPARE(m_Profile.readInt("CDlgPresets", "Baraban_12дюймов_m_IsShows", -1), 0);
    }

    void storedSerialPortIsHeldForTheWindowsLife() {
        qputenv("TOMARO_SERIAL_DIR", m_Dir.path().toUtf8());
        test::PseudoTerminal port(m_Dir.path(), 3);
        QVERIFY(port.isValid());
        m_Profile.writeInt("Options", "m_PortSelect", 3);
        auto window = makeWindow();
        QVERIFY(port.isHeld());
        window->close();
        QVERIFY(!port.isHeld());
        window.reset();
        QVERIFY(m_Messages.empty());
        qunsetenv("TOMARO_SERIAL_DIR");
    }

    void startAndCloseWithoutChangesLeaveTheSettingsFileAlone() {
        const QString file = useSettingsFolder();
        {
            // The first start stores the reference switches it does not find.
            QtProfile profile;
            profile.writeString("CMainDlg", "m_WaveInDevice", "Нет (не слушать)");
            auto window = makeWindow(profile);
            window->close();
        }
        const QDateTime longAgo(QDate(2021, 3, 4), QTime(5, 6, 7));
        const QByteArray stored = contents(file) + "; notes kept by hand\n";
        writeDatedBack(file, stored, longAgo);
        {
            QtProfile profile;
            auto window = makeWindow(profile);
            window->show();
            window->close();
        }
        QCOMPARE(contents(file), stored);
        QCOMPARE(QFileInfo(file).fileTime(QFileDevice::FileModificationTime), longAgo);
        QVERIFY(m_Messages.empty());
    }

    void settingsFileThatDoesNotReadCleanlyIsKeptAndReportedOnce() {
        const QString file = useSettingsFolder();
        const QByteArray damaged =
            "[Tomaro1_5_demo2]\n"
            "CMainDlg\\m_WaveInDevice=\"Нет (не слушать)\"\n"
            "CDlgPresets\\m_sEtoOne=\"110\n"
            "CMainDlg\\m_Porog=3000\n"
            "Options\\m_FindF0=40\n"
            "Options\\m_FindF1=400\n"
            "Options\\m_WinVar=2\n";
        writeDatedBack(file, damaged, QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
        QtProfile profile;
        auto window = makeWindow(profile);
        QTRY_COMPARE(m_Messages.size(), size_t(1));
        const QString copy = file + ".broken-" + QDate::currentDate().toString(Qt::ISODate);
        QVERIFY2(m_Messages[0].text.contains(copy), qPrintable(m_Messages[0].text));
        QCOMPARE(m_Messages[0].icon, QMessageBox::Warning);
        QCOMPARE(contents(copy), damaged);
        window->findChild<QSpinBox*>("thresholdSpin")->setValue(4500);
        window->close();
        QCOMPARE(contents(copy), damaged);
        QCOMPARE(m_Messages.size(), size_t(1));
    }

    void missingStoredDeviceFallsBackToTheDefaultInput() {
        m_Profile.writeString("CMainDlg", "m_WaveInDevice", "Гарнитура, которой больше нет");
        auto window = makeWindow();
        auto* devices = window->findChild<QComboBox*>("deviceCombo");
        QCOMPARE(devices->currentText(), QStringLiteral("WAVE MAPPER"));
        // Without any sound device here the default input cannot open: that error is shown, but
        // nothing about the vanished device.
        for (const Message& message : m_Messages) {
            QCOMPARE(message.caption, QStringLiteral("wave ошибка"));
            QVERIFY(message.text.startsWith(QStringLiteral("открытие устройства ОШИБКА: \n")));
        }
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::MainWindowTest)
#include "MainWindowTest.moc"
