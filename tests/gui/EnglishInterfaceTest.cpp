// The language of the interface, on the offscreen platform with the system's locale set to
// American English: a fresh profile starts in Russian; "Язык / Language" turns every window,
// dialog, message, title and tooltip to English at once, and back.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "gui/CDlgBaraSelect.h"
#include "gui/CDlgPresets.h"
#include "gui/CMainDlg.h"
#include "gui/TuningWindow.h"
#include "language/Translations.h"
#include "settings/Language.h"
#include "settings/MemoryProfile.h"
#include "support/MainWindowFixture.h"
#include "widgets/NoteWindow.h"
#include "widgets/TuningViews.h"

namespace tomaro {

class EnglishInterfaceTest : public QObject, protected test::MainWindowFixture {
    Q_OBJECT

private:
    // Every main window of these tests is on screen.
    std::unique_ptr<CMainDlg> makeWindow() {
        auto window = MainWindowFixture::makeWindow();
        window->show();
        return window;
    }

    static bool hasCyrillic(const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x04FF; });
    }

    // Every text a user can see in `root` and its visible children: titles, tooltips, labels,
    // buttons, group boxes, the shown entry of each list, line edits and table cells.
    static QStringList visibleTexts(QWidget* root) {
        QStringList texts{root->windowTitle(), root->toolTip()};
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(root)) continue;
            texts << widget->toolTip();
            if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
            if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
            if (auto* combo = qobject_cast<QComboBox*>(widget)) texts << combo->currentText();
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) texts << edit->text();
            if (auto* table = qobject_cast<QTableWidget*>(widget)) {
                for (int column = 0; column < table->columnCount(); ++column) {
                    if (auto* header = table->horizontalHeaderItem(column)) texts << header->text();
                }
                for (int row = 0; row < table->rowCount(); ++row) {
                    for (int column = 0; column < table->columnCount(); ++column) {
                        if (auto* item = table->item(row, column)) texts << item->text();
                    }
                }
            }
        }
        return texts;
    }

    static QStringList cyrillic(const QStringList& texts) {
        QStringList found;
        for (const QString& text : texts) {
            if (hasCyrillic(text)) found << text;
        }
        return found;
    }

    void chooseLanguage(CMainDlg& window, int index) {
        auto* combo = window.findChild<QComboBox*>("languageCombo");
        QVERIFY(combo != nullptr);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

private slots:
    void init() {
        startAfresh();
        translations::apply(storedLanguage(m_Profile));
    }

    void cleanup() { translations::apply(Language::Russian); }

    void freshProfileStartsInRussianWhateverTheSystemLocale() {
        QCOMPARE(QLocale::system().language(), QLocale::English);
        QCOMPARE(currentLanguage(), Language::Russian);
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Tomaro1.6  - НЕТ АУДИО"));
        QCOMPARE(window->findChild<QComboBox*>("languageCombo")->currentText(),
                 QStringLiteral("Русский"));
        QCOMPARE(window->findChild<QPushButton*>("openButton")->text(),
                 QStringLiteral("Открыть WAV..."));
        QVERIFY(window->findChild<QPushButton*>("referencesButton")
                    ->text()
                    .startsWith(QStringLiteral("Эталоны ")));
        // The scan sees the tooltips too (here the level meter's, in Russian).
        QVERIFY(cyrillic(visibleTexts(window.get()))
                    .contains(QStringLiteral("Уровень входа: сверху левый канал, снизу правый")));
        // Nothing was chosen, so nothing is stored.
        QCOMPARE(m_Profile.readString("Options", "m_Language", "unset"), std::string("unset"));
    }

    void englishReachesEveryWindowDialogAndMessage() {
        auto window = makeWindow();
        window->openFile(writeTone(QStringLiteral("tone.wav"), 110.0));
        chooseLanguage(*window, 1);
        QCOMPARE(m_Profile.readString("Options", "m_Language", ""), std::string("en"));
        QCOMPARE(currentLanguage(), Language::English);
        window->step();
        QVERIFY2(window->windowTitle().startsWith(QStringLiteral("Tomaro1.6 110.")) &&
                     window->windowTitle().endsWith(QStringLiteral(" Hz - NO AUDIO")),
                 qPrintable(window->windowTitle()));
        QVERIFY(window->findChild<QLabel*>("nearestLabel")
                    ->text()
                    .startsWith(QStringLiteral("Nearest reference: ")));
        QCOMPARE(window->findChild<QPushButton*>("openButton")->text(),
                 QStringLiteral("Open WAV..."));
        QCOMPARE(cyrillic(visibleTexts(window.get())), QStringList());

        // The large-note window.
        window->findChild<QCheckBox*>("noteWindowBox")->click();
        auto* noteWindow = window->findChild<NoteWindow*>("noteWindow");
        QVERIFY(noteWindow != nullptr && noteWindow->isVisible());
        QCOMPARE(noteWindow->windowTitle(), QStringLiteral("Tomaro — large note"));

        // The references dialog, its overtone menu and the kit selection; the kick is "Kick".
        QStringList dialogTexts;
        m_OnDialog = [&](QDialog& dialog) {
            dialog.show();
            dialogTexts << visibleTexts(&dialog);
            auto& presets = static_cast<CDlgPresets&>(dialog);
            const std::unique_ptr<QMenu> menu = presets.createOvertoneMenu(0);
            for (QAction* action : menu->actions()) dialogTexts << action->text();
            dialog.reject();
        };
        window->findChild<QPushButton*>("referencesButton")->click();
        QVERIFY(dialogTexts.contains(QStringLiteral("Kick")));
        QVERIFY(dialogTexts.contains(QStringLiteral("Tomaro reference frequencies for tuning")));
        CDlgBaraSelect selection(m_Profile);
        selection.show();
        dialogTexts << visibleTexts(&selection);
        QCOMPARE(cyrillic(dialogTexts), QStringList());

        // The about box, the file dialogs, a refused file and a sound device that cannot open.
        window->findChild<QPushButton*>("aboutButton")->click();
        window->findChild<QPushButton*>("openButton")->click();
        window->findChild<QPushButton*>("importButton")->click();
        window->openFile(m_Dir.filePath(QStringLiteral("missing.wav")));
        auto* devices = window->findChild<QComboBox*>("deviceCombo");
        devices->setCurrentIndex(devices->count() - 1);
        emit devices->activated(devices->count() - 1);
        QCOMPARE(m_FileDialogs.size(), size_t(2));
        for (const FileDialog& dialog : m_FileDialogs) {
            QVERIFY2(!hasCyrillic(dialog.title + dialog.filters),
                     qPrintable(dialog.title + ": " + dialog.filters));
        }
        QVERIFY(m_Messages.size() >= 3);
        for (const Message& message : m_Messages) {
            QVERIFY2(!hasCyrillic(message.text + message.caption),
                     qPrintable(message.caption + ": " + message.text));
        }
        QCOMPARE(m_Messages[0].caption, QStringLiteral("About Tomaro"));
        QCOMPARE(m_Messages[1].text, QStringLiteral("cannot open the file!!! \n"));
        // The device entries are stored by their names, the first one by its Russian name.
        QCOMPARE(m_Profile.readString("CMainDlg", "m_WaveInDevice", ""),
                 std::string("WAVE MAPPER"));
        devices->setCurrentIndex(0);
        emit devices->activated(0);
        QCOMPARE(devices->currentText(), QStringLiteral("None (do not listen)"));
        QCOMPARE(m_Profile.readString("CMainDlg", "m_WaveInDevice", ""),
                 std::string("Нет (не слушать)"));
    }

    void russianComesBackAtOnce() {
        auto window = makeWindow();
        window->openFile(writeTone(QStringLiteral("tone.wav"), 110.0));
        window->step();
        const QString russianNearest = window->findChild<QLabel*>("nearestLabel")->text();
        const QString russianButton = window->findChild<QPushButton*>("referencesButton")->text();
        chooseLanguage(*window, 1);
        QVERIFY(!hasCyrillic(window->findChild<QLabel*>("noteLabel")->text()));
        chooseLanguage(*window, 0);
        QCOMPARE(m_Profile.readString("Options", "m_Language", ""), std::string("ru"));
        QCOMPARE(window->findChild<QLabel*>("nearestLabel")->text(), russianNearest);
        QCOMPARE(window->findChild<QPushButton*>("referencesButton")->text(), russianButton);
        QCOMPARE(window->findChild<QGroupBox*>()->title(), QStringLiteral("Результат"));
        QCOMPARE(window->findChild<QComboBox*>("windowCombo")->itemText(0),
                 QStringLiteral("П - образное"));
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(" Гц - НЕТ АУДИО")));
    }

    // Started in English, then Russian: the left panel widens with its longer texts instead of
    // being cut off at the English width.
    void theLeftPanelFitsItsTextsAfterTheLanguageChanges() {
        storeLanguage(m_Profile, Language::English);
        translations::apply(storedLanguage(m_Profile));
        auto window = makeWindow();
        window->show();
        auto* scroll = window->findChild<QScrollArea*>();
        QVERIFY(scroll && scroll->widget());
        chooseLanguage(*window, 0);
        QCoreApplication::processEvents();
        QWidget* panel = scroll->widget();
        QVERIFY2(scroll->viewport()->width() >= panel->sizeHint().width(),
                 qPrintable(QStringLiteral("%1 < %2")
                                .arg(scroll->viewport()->width())
                                .arg(panel->sizeHint().width())));
        chooseLanguage(*window, 1);
        QCoreApplication::processEvents();
        QVERIFY(scroll->viewport()->width() >= panel->sizeHint().width());
    }

    void storedEnglishIsTakenAtStart() {
        storeLanguage(m_Profile, Language::English);
        translations::apply(storedLanguage(m_Profile));
        auto window = makeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Tomaro1.6  - NO AUDIO"));
        QCOMPARE(window->findChild<QComboBox*>("languageCombo")->currentText(),
                 QStringLiteral("English"));
        QCOMPARE(cyrillic(visibleTexts(window.get())), QStringList());
    }

    // The snare, the 12" with its batter overtone at 1.5 x 116.54 Hz and the kick; a strike 12
    // cents below that overtone, the 12" chosen. The window "Tuning" opens in English, in normal
    // mode and in lug mode with an even head, and turns Russian again at once.
    void tuningWindowAndLugModeFollowTheLanguage() {
        for (int type : {0, 8, 19}) {
            m_Profile.writeInt("CDlgBaraSelect", "Bara_" + std::to_string(type), 1);
        }
        m_Profile.writeInt("CDlgPresets", "Baraban_12дюймовm_Ober1", 1500);
        const double targetHz = 1.5 * 440 * std::pow(2.0, -23 / 12.0);
        auto window = makeWindow();
        auto* choice = window->findChild<QComboBox*>("drumChoice");
        choose(choice, 2);
        window->openFile(writeTone(QStringLiteral("tone.wav"), targetHz * std::exp2(-12.0 / 1200)));
        chooseLanguage(*window, 1);
        QCOMPARE(cyrillic(visibleTexts(window.get())), QStringList());

        window->findChild<QPushButton*>("tuningButton")->click();
        TuningWindow* tuning = window->tuningWindow();
        QVERIFY(tuning != nullptr && tuning->isVisible());
        QCOMPARE(tuning->windowTitle(), QStringLiteral("Tuning"));
        auto* view = tuning->findChild<TuningView*>("tuningView");
        auto* tunedDrum = tuning->findChild<QComboBox*>("tuningDrumChoice");
        QStringList texts = visibleTexts(tuning);
        for (QComboBox* drums : {choice, tunedDrum}) {
            for (int entry = 0; entry < drums->count(); ++entry) texts << drums->itemText(entry);
        }
        QVERIFY(texts.contains(QStringLiteral("Snare")) && texts.contains(QStringLiteral("Kick")));
        QCOMPARE(tunedDrum->currentText(), QStringLiteral("12\""));
        QCOMPARE(view->adviceLabel(), QStringLiteral("▲ tighten"));
        QVERIFY2(view->readingLine().contains(QStringLiteral(" Hz (batter overtone 12\")")),
                 qPrintable(view->readingLine()));
        texts << QString::fromStdString(view->reading().noteName) << view->readingLine();
        QCOMPARE(cyrillic(texts), QStringList());

        // Lug mode: four rods within a cent of each other even out the head.
        tuning->findChild<QPushButton*>("lugModeButton")->click();
        tuning->findChild<QSpinBox*>("lugCountSpin")->setValue(4);
        tuning->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tuning));
        for (int rod = 0; rod < 4; ++rod) {
            window->openFile(writeTone(QStringLiteral("rod%1.wav").arg(rod),
                                       targetHz * std::exp2((rod % 2) / 1200.0)));
        }
        QVERIFY(window->tuner().lugs().even());
        auto* headLine = tuning->findChild<QLabel*>("lugHeadLine");
        QVERIFY2(headLine->text().contains(QStringLiteral(" · even")),
                 qPrintable(headLine->text()));
        QCOMPARE(view->adviceLabel(), QStringLiteral("rod 4: in tolerance"));
        auto* diagram = tuning->findChild<LugDiagram*>("lugDiagram");
        texts = visibleTexts(tuning);
        for (int rod = 1; rod <= 4; ++rod) texts << diagram->rodLabel(rod);
        texts << QString::fromStdString(view->reading().noteName) << view->readingLine();
        QCOMPARE(cyrillic(texts), QStringList());

        // Russian again, at once and in both windows.
        chooseLanguage(*window, 0);
        QCOMPARE(tuning->windowTitle(), QStringLiteral("Настройка"));
        QCOMPARE(tuning->findChild<QPushButton*>("lugModeButton")->text(),
                 QStringLiteral("По винтам"));
        QCOMPARE(tuning->findChild<QComboBox*>("headCombo")->currentText(),
                 QStringLiteral("ударный пластик"));
        QVERIFY(headLine->text().contains(QStringLiteral(" · ровно")));
        QCOMPARE(view->adviceLabel(), QStringLiteral("винт 4: в допуске"));
        QVERIFY(view->readingLine().contains(QStringLiteral(" Гц (обер Пл1 12\")")));
        QVERIFY(hasCyrillic(diagram->rodLabel(1)));
        QCOMPARE(tunedDrum->itemText(0), QStringLiteral("ближайший эталон"));
        QCOMPARE(choice->itemText(1), QStringLiteral("Малый"));
        const QStringList russian = visibleTexts(window.get());
        QVERIFY(russian.contains(QStringLiteral("Настраиваю:")));
        QVERIFY(russian.contains(QStringLiteral("Настройка...")));
    }

    void everyTextOfTheTranslationIsTranslated() {
        QFile file(QStringLiteral(TOMARO_TRANSLATION_SOURCE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString ts = QString::fromUtf8(file.readAll());
        QVERIFY(ts.contains(QStringLiteral("<source>Результат</source>")));
        QVERIFY2(!ts.contains(QStringLiteral("type=\"unfinished\"")),
                 "translations/tomaro_en.ts holds texts without their English");
    }
};

}  // namespace tomaro

int main(int argc, char** argv) {
    // The system speaks American English: the program must still start in Russian.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QApplication application(argc, argv);
    tomaro::EnglishInterfaceTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "EnglishInterfaceTest.moc"
