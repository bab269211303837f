#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <memory>
#include <vector>

#include "gui/CDlgBaraSelect.h"
#include "gui/CDlgPresets.h"
#include "kit/Notes.h"
#include "settings/MemoryProfile.h"
#include "widgets/QtText.h"
#include "widgets/StepSpin.h"

namespace tomaro::test {
namespace {

constexpr const char* kSection = "CDlgPresets";

// A child widget by objectName; a renamed control stops the run with its name.
template <typename T = QWidget>
T* child(const QWidget& parent, const QString& name) {
    T* widget = parent.findChild<T*>(name);
    if (widget == nullptr) qFatal("no child widget \"%s\"", qPrintable(name));
    return widget;
}

template <typename T = QWidget>
T* rowChild(const QWidget& parent, const char* stem, int row) {
    return child<T>(parent, QString::fromLatin1(stem) + QLatin1Char('_') + QString::number(row));
}

// The text of a row's label, edit or button.
QString rowText(const QWidget& parent, const char* stem, int row) {
    return rowChild(parent, stem, row)->property("text").toString();
}

void storeKitTypes(Profile& profile, std::vector<int> types) {
    KitSelection selection;
    for (int type = 0; type < drums::kTypeCount; ++type) {
        selection.setPresent(type, std::find(types.begin(), types.end(), type) != types.end());
    }
    selection.store(profile);
}

// A drum's values as the store keeps them (overtones in thousandths).
void storeDrum(Profile& profile, const std::string& stem, int note, int overtone1, int overtone2) {
    profile.writeInt(kSection, stem + "_m_Notas", note);
    profile.writeInt(kSection, stem + "m_Ober1", overtone1);
    profile.writeInt(kSection, stem + "m_Ober2", overtone2);
}

QStringList actionTexts(QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) texts << action->text();
    return texts;
}

QPushButton* standardButton(const QWidget& dialog, QDialogButtonBox::StandardButton which) {
    return child<QDialogButtonBox>(dialog, QStringLiteral("buttonBox"))->button(which);
}

}  // namespace

// The references dialog on a MemoryProfile. Each test starts from an empty store, i.e. the
// standard kit 10" (-9, the reference), 12" (-14), 16" (-19), Бочка (-31); file dialogs, message
// boxes and the kit selection are answered by the test.
class CDlgPresetsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_Profile = std::make_unique<MemoryProfile>();
        m_Kit = std::make_unique<Kit>();
        m_Changes = 0;
        m_Messages.clear();
        m_FileChoices.clear();
        m_ChosenFile.clear();
        m_Services = {};
        m_Services.showMessage = [this](QWidget*, const UserMessage& message) {
            m_Messages.push_back(message);
        };
        m_Services.chooseFileToSave =
            m_Services.chooseFileToOpen = [this](QWidget*, const FileChoice& c) {
                m_FileChoices.push_back(c);
                return m_ChosenFile;
            };
    }
    void cleanup() { m_Dialog.reset(); }

    void noteStepOnTheReferenceRowMovesEveryDrumWithinRange() {
        m_Profile->writeInt(kSection, "Baraban_Бочка_m_Notas", -100);
        CDlgPresets& dialog = open();
        rowChild<StepSpin>(dialog, "noteSpin", 0)->stepDown();
        QCOMPARE(stored("Baraban_10дюймов_m_Notas"), -10);
        QCOMPARE(stored("Baraban_16дюймов_m_Notas"), -20);
        QCOMPARE(stored("Baraban_Бочка_m_Notas"), -100);
        QCOMPARE(rowText(dialog, "noteText", 0), toQString(notes::name(-10, false)));
        QCOMPARE(rowText(dialog, "frequencyText", 2), toQString(notes::frequencyText(-20)));
        QCOMPARE(m_Changes, 1);

        rowChild<StepSpin>(dialog, "noteSpin", 1)->stepUp();
        QCOMPARE(stored("Baraban_12дюймов_m_Notas"), -14);
        QCOMPARE(m_Kit->drum(0).note, -10);
        QCOMPARE(rowText(dialog, "intervalText", 1), QStringLiteral("-4, большая терция"));
        QCOMPARE(m_Changes, 2);
    }

    void wheelStepsANoteSpinOnlyWhileItHasFocus() {
        CDlgPresets& dialog = open();
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* spin = rowChild<StepSpin>(dialog, "noteSpin", 1);
        auto wheelUp = [spin] {
            QPointF centre = QRectF(spin->rect()).center();
            QWheelEvent event(centre, spin->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(spin, &event);
        };
        wheelUp();  // scrolling the rows past it
        QCOMPARE(m_Kit->drum(1).note, -14);
        spin->setFocus();
        wheelUp();
        QCOMPARE(m_Kit->drum(1).note, -13);
        QCOMPARE(m_Changes, 1);
    }

    void overtoneTypedWithCommaIsStoredWhenFocusLeaves() {
        CDlgPresets& dialog = open();
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* edit = rowChild<QLineEdit>(dialog, "overtone1Edit", 0);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1,5=300"));
        QCOMPARE(m_Changes, 0);
        rowChild(dialog, "overtone2Edit", 0)->setFocus();
        QCOMPARE(stored("Baraban_10дюймовm_Ober1"), 1500);
        QCOMPARE(edit->text(), QStringLiteral("1.5=233.35"));  // x 155.563 Hz (note -9)
        QCOMPARE(m_Changes, 1);
    }

    void overtoneOutOfRangeIsStoredAsNone_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("15") << QStringLiteral("15");
        QTest::newRow("0.04") << QStringLiteral("0.04");
    }
    void overtoneOutOfRangeIsStoredAsNone() {
        QFETCH(QString, typed);
        storeDrum(*m_Profile, "Baraban_12дюймов", -14, 1500, 1850);
        CDlgPresets& dialog = open();
        auto* edit = rowChild<QLineEdit>(dialog, "overtone2Edit", 1);
        edit->setText(typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(stored("Baraban_12дюймовm_Ober2"), 0);
        QCOMPARE(stored("Baraban_12дюймовm_Ober1"), 1500);
        QCOMPARE(edit->text(), QString());
    }

    void overtoneStoredOutsideBothRangesIsNoneOnceAnEditIsLeft() {
        storeDrum(*m_Profile, "Baraban_12дюймов", -14, 1500, 15000);
        CDlgPresets& dialog = open();
        QCOMPARE(rowText(dialog, "overtone2Edit", 1), QString());
        QTest::keyClick(rowChild(dialog, "overtone1Edit", 0), Qt::Key_Return);
        QCOMPARE(stored("Baraban_12дюймовm_Ober2"), 0);
        QCOMPARE(m_Kit->drum(1).overtone2, 0.0);
        QCOMPARE(stored("Baraban_12дюймовm_Ober1"), 1500);
    }

    void menuPresetSetsBothOvertones() {
        CDlgPresets& dialog = open();
        std::unique_ptr<QMenu> menu = dialog.createOvertoneMenu(1);
        QCOMPARE(menu->actions().size(), 6);
        QCOMPARE(menu->actions()[3]->text(), QStringLiteral("Сильный резонанс (1.5 и 1.85)"));
        menu->actions()[3]->trigger();
        QCOMPARE(stored("Baraban_12дюймовm_Ober1"), 1500);
        QCOMPARE(stored("Baraban_12дюймовm_Ober2"), 1850);
        QVERIFY(rowText(dialog, "overtone2Edit", 1).startsWith(QStringLiteral("1.85=")));
        QCOMPARE(m_Changes, 1);
    }

    void recommendedPairOnlyForSnareAndKickRanges_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("note");
        QTest::addColumn<QString>("offered");
        QTest::newRow("snare -8") << 0 << -8 << QStringLiteral("Рекомендуется 229 Гц, 343 Гц");
        QTest::newRow("snare -1") << 0 << -1 << QString();
        QTest::newRow("kick -29") << 19 << -29 << QStringLiteral("Рекомендуется 71 Гц, 107 Гц");
        QTest::newRow("kick -37") << 19 << -37 << QString();
        QTest::newRow("tom -5") << 8 << -5 << QString();
    }
    void recommendedPairOnlyForSnareAndKickRanges() {
        QFETCH(int, type);
        QFETCH(int, note);
        QFETCH(QString, offered);
        storeKitTypes(*m_Profile, {type});
        m_Profile->writeInt(kSection, drums::typeKey(type) + "_m_Notas", note);
        std::unique_ptr<QMenu> menu = open().createOvertoneMenu(0);
        QStringList recommended = actionTexts(*menu).filter(QStringLiteral("Рекомендуется"));
        QCOMPARE(recommended, offered.isEmpty() ? QStringList() : QStringList{offered});
    }

    void optionsAndReferenceRadioRefreshTheRows() {
        CDlgPresets& dialog = open();
        auto* heading = child<QLabel>(dialog, QStringLiteral("intervalHeading"));
        QCOMPARE(heading->text(), QStringLiteral("Полутонов от опорного"));
        QCOMPARE(rowText(dialog, "intervalText", 2), QStringLiteral("-10, малая септима"));
        child<QCheckBox>(dialog, QStringLiteral("intervalsFromPreviousBox"))->click();
        QCOMPARE(heading->text(), QStringLiteral("Полутонов от предыдущего"));
        QCOMPARE(rowText(dialog, "intervalText", 2), QStringLiteral("-5, чистая кварта"));
        QCOMPARE(stored("m_IsShowOtn"), 1);

        QCOMPARE(rowText(dialog, "noteText", 0), QStringLiteral("окт 0, Ре#"));
        child<QCheckBox>(dialog, QStringLiteral("latinNamesBox"))->click();
        QCOMPARE(rowText(dialog, "noteText", 0), QStringLiteral("3 D#"));
        QCOMPARE(stored("m_IsNotaGadi"), 1);

        rowChild<QRadioButton>(dialog, "referenceRadio", 2)->click();
        QCOMPARE(m_Profile->readString(kSection, "m_CurrentB_Str", ""), std::string("16\""));
        QVERIFY(rowChild(dialog, "referenceRadio", 2)->font().bold());
        QVERIFY(!rowChild(dialog, "referenceRadio", 0)->font().bold());
        rowChild<QCheckBox>(dialog, "showBox", 3)->click();
        QCOMPARE(stored("Baraban_Бочка_m_IsShows"), 0);
        QCOMPARE(m_Changes, 4);
    }

    void freeReferenceIsStoredOnlyOnOk() {
        m_Profile->writeString(kSection, "m_sEtoOne", "200");
        CDlgPresets& cancelled = open();
        QVERIFY(child<QCheckBox>(cancelled, QStringLiteral("singleReferenceBox"))->isChecked());
        child<QLineEdit>(cancelled, QStringLiteral("singleReferenceEdit"))->setText("300,5");
        standardButton(cancelled, QDialogButtonBox::Cancel)->click();
        QCOMPARE(m_Profile->readString(kSection, "m_sEtoOne", ""), std::string("200"));
        QCOMPARE(m_Changes, 0);

        CDlgPresets& confirmed = open();
        auto* edit = child<QLineEdit>(confirmed, QStringLiteral("singleReferenceEdit"));
        edit->setText(QStringLiteral("440"));
        child<StepSpin>(confirmed, QStringLiteral("singleReferenceSpin"))->stepUp();
        QCOMPARE(edit->text(), QStringLiteral("466.164"));
        edit->setText(QStringLiteral("300,5"));
        standardButton(confirmed, QDialogButtonBox::Ok)->click();
        QCOMPARE(m_Profile->readString(kSection, "m_sEtoOne", ""), std::string("300.5"));
        QCOMPARE(m_Kit->singleReferenceHz(), 300.5);
        QCOMPARE(m_Changes, 1);

        CDlgPresets& switchedOff = open();
        child<QCheckBox>(switchedOff, QStringLiteral("singleReferenceBox"))->click();
        QVERIFY(!child(switchedOff, QStringLiteral("singleReferenceEdit"))->isEnabled());
        switchedOff.accept();
        QCOMPARE(m_Profile->readString(kSection, "m_sEtoOne", "x"), std::string());
    }

    void confirmedKitSelectionRebuildsTheRows() {
        bool confirm = false;
        m_Services.selectKit = [&](QWidget* parent, Profile& profile) {
            CDlgBaraSelect selection(profile, parent);
            child<QTableWidget>(selection, QStringLiteral("drumList"))
                ->item(drums::kSnare, 0)
                ->setCheckState(Qt::Checked);
            confirm ? selection.accept() : selection.reject();
            return confirm;
        };
        CDlgPresets& dialog = open();
        auto* button = child<QPushButton>(dialog, QStringLiteral("kitSelectionButton"));
        button->click();
        QCOMPARE(m_Kit->count(), 4);
        confirm = true;
        button->click();
        QCOMPARE(m_Kit->count(), 5);
        QCOMPARE(rowText(dialog, "referenceRadio", 0), QStringLiteral("Малый"));
        QCOMPARE(rowText(dialog, "referenceRadio", 4), QStringLiteral("Бочка"));
        QCOMPARE(m_Changes, 1);
        rowChild<StepSpin>(dialog, "noteSpin", 0)->stepUp();
        QCOMPARE(stored("Baraban_Малый_m_Notas"), 1);
    }

    // A size in the drum list is a tom's; a 22" kick is "Бочка" (its size is given in the plan).
    void theDrumListSaysA22InchRowIsATom() {
        CDlgBaraSelect selection(*m_Profile, nullptr);
        auto* list = child<QTableWidget>(selection, QStringLiteral("drumList"));
        QCOMPARE(list->item(22 - 4, 0)->text(), QStringLiteral("22\""));
        QCOMPARE(list->item(22 - 4, 0)->toolTip(), QStringLiteral("Том 22\""));
        QVERIFY(list->item(drums::kKick, 0)->toolTip().contains(QStringLiteral("размер")));
    }

    void kitFileSavedAndLoadedBack() {
        QTemporaryDir folder;
        storeDrum(*m_Profile, "Baraban_12дюймов", -12, 1500, 343000);
        CDlgPresets& dialog = open();
        m_ChosenFile = folder.filePath(QStringLiteral("барабаны.TKit"));
        child<QPushButton>(dialog, QStringLiteral("saveKitButton"))->click();
        QVERIFY(QFile::exists(m_ChosenFile));
        const FileChoice& save = m_FileChoices.at(0);
        QCOMPARE(save.title, QStringLiteral("Выбирите файл для сохранения настроек барабанов"));
        QCOMPARE(save.filters, (QStringList{QStringLiteral("Tomaro - файлы (*.TKit)"),
                                            QStringLiteral("Все файлы (*.*)")}));
        QCOMPARE(save.defaultSuffix, QStringLiteral("TKit"));
        QCOMPARE(QFileInfo(save.initialPath).fileName(),
                 QStringLiteral("Мои барабаны Tomaro.TKit"));

        rowChild<StepSpin>(dialog, "noteSpin", 1)->stepBy(5);
        dialog.createOvertoneMenu(1)->actions().first()->trigger();
        child<QPushButton>(dialog, QStringLiteral("loadKitButton"))->click();
        QCOMPARE(m_FileChoices.at(1).title,
                 QStringLiteral("Выбирите файл c настройками барабаной установки"));
        QCOMPARE(QFileInfo(m_FileChoices.at(1).initialPath), QFileInfo(m_ChosenFile));
        QCOMPARE(m_Kit->drum(1).note, -12);
        QCOMPARE(rowText(dialog, "noteText", 1), toQString(notes::name(-12, false)));
        QCOMPARE(rowText(dialog, "overtone2Edit", 1), QStringLiteral("343"));
        QVERIFY(m_Messages.empty());
        QCOMPARE(m_Changes, 3);
    }

    void kitFileFailuresAreShown() {
        QTemporaryDir folder;
        CDlgPresets& dialog = open();
        auto* save = child<QPushButton>(dialog, QStringLiteral("saveKitButton"));
        auto* load = child<QPushButton>(dialog, QStringLiteral("loadKitButton"));
        int writes = m_Profile->writeCount();
        save->click();  // cancelled
        load->click();
        QCOMPARE(m_Profile->writeCount(), writes);

        m_ChosenFile = folder.filePath(QStringLiteral("нет папки/kit.TKit"));
        save->click();
        load->click();
        QFile unknown(folder.filePath(QStringLiteral("unknown.TKit")));
        QVERIFY(unknown.open(QIODevice::WriteOnly));
        unknown.write("Baraban_Nothing 1 1 0 0\n");
        unknown.close();
        m_ChosenFile = unknown.fileName();
        load->click();
        QCOMPARE(m_Messages,
                 (std::vector<UserMessage>{
                     {"Не удалось создать файл", "ОШИБКА", UserMessage::Severity::Error},
                     {"Не удалось открыть файл", "ОШИБКА", UserMessage::Severity::Error},
                     {"Ничего не измелилось", "Сообщение", UserMessage::Severity::Information}}));
        QCOMPARE(m_Changes, 0);
    }

    void fitsTheScreen_data() {
        QTest::addColumn<int>("drums");
        QTest::newRow("one drum") << 1;
        QTest::newRow("twenty drums") << 20;
    }
    void fitsTheScreen() {
        QFETCH(int, drums);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1366, 768));
        std::vector<int> types;
        for (int type = drums::kTypeCount - drums; type < drums::kTypeCount; ++type) {
            types.push_back(type);
        }
        storeKitTypes(*m_Profile, types);
        CDlgPresets& dialog = open();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Room is left for a title bar.
        QVERIFY(dialog.width() <= screen.width() && dialog.height() <= screen.height() - 40);
        QWidget* last = rowChild(dialog, "overtoneMenuButton", drums - 1);
        dialog.findChild<QScrollArea*>()->ensureWidgetVisible(last);
        QVERIFY(!last->visibleRegion().isEmpty());
        QVERIFY(standardButton(dialog, QDialogButtonBox::Ok)->isVisible());
    }

    void standardButtonsAreInRussian() {
        CDlgBaraSelect selection(*m_Profile);
        for (const QWidget* dialog : std::initializer_list<const QWidget*>{&open(), &selection}) {
            QString cancel = standardButton(*dialog, QDialogButtonBox::Cancel)->text();
            QCOMPARE(cancel.remove(QLatin1Char('&')), QStringLiteral("Отмена"));
        }
    }

    void screenshots() {
        QString folder = qEnvironmentVariable("TOMARO_SCREENSHOT_DIR");
        if (folder.isEmpty()) QSKIP("TOMARO_SCREENSHOT_DIR is not set");
        auto save = [&](QDialog& dialog, const QString& name) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(QDir(folder).filePath(name)));
        };
        CDlgBaraSelect selection(*m_Profile);
        save(selection, QStringLiteral("kit-selection.png"));

        storeKitTypes(*m_Profile, {drums::kSnare, 8, 12, drums::kKick});
        storeDrum(*m_Profile, "Baraban_Малый", -5, 266000, 398000);
        storeDrum(*m_Profile, "Baraban_12дюймов", -14, 1500, 1850);
        storeDrum(*m_Profile, "Baraban_16дюймов", -19, 2300, 0);
        storeDrum(*m_Profile, "Baraban_Бочка", -31, 1750, 1750);
        m_Profile->writeString(kSection, "m_CurrentB_Str", "12\"");
        m_Profile->writeString(kSection, "m_sEtoOne", "220");
        save(open(), QStringLiteral("references-dialog.png"));

        storeKitTypes(*m_Profile,
                      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
        save(open(), QStringLiteral("references-dialog-20-drums.png"));
    }

private:
    // A fresh dialog on the kit as stored now.
    CDlgPresets& open() {
        m_Dialog.reset();
        m_Kit->load(*m_Profile);
        m_Dialog = std::make_unique<CDlgPresets>(
            *m_Kit, *m_Profile, [this] { ++m_Changes; }, nullptr, m_Services);
        return *m_Dialog;
    }
    int stored(const std::string& key) const { return m_Profile->readInt(kSection, key, -12345); }

    std::unique_ptr<MemoryProfile> m_Profile;
    std::unique_ptr<Kit> m_Kit;
    std::unique_ptr<CDlgPresets> m_Dialog;
    int m_Changes = 0;
    KitDialogServices m_Services;
    std::vector<UserMessage> m_Messages;
    std::vector<FileChoice> m_FileChoices;
    QString m_ChosenFile;  // the file dialogs' answer; empty = cancelled
};

// The kit selection dialog on a MemoryProfile.
class CDlgBaraSelectTest : public QObject {
    Q_OBJECT

private slots:
    void listsEveryTypeTickedFromTheStore() {
        MemoryProfile profile;
        storeKitTypes(profile, {0, 19});
        CDlgBaraSelect dialog(profile);
        QTableWidget* list = listOf(dialog);
        QCOMPARE(list->horizontalHeaderItem(0)->text(), QStringLiteral("Диаметр барабана"));
        QCOMPARE(list->rowCount(), 20);
        QCOMPARE(list->item(1, 0)->text(), QStringLiteral("5\""));
        QCOMPARE(ticked(dialog), (std::vector<int>{0, 19}));
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0, 0)->isSelected());
    }

    void standardSetThenOkStoresEveryTick() {
        MemoryProfile profile;
        storeKitTypes(profile, {0, 7});
        CDlgBaraSelect dialog(profile);
        child<QPushButton>(dialog, QStringLiteral("standardSetButton"))->click();
        QCOMPARE(ticked(dialog), (std::vector<int>{6, 8, 12, 19}));
        QTableWidget* list = listOf(dialog);
        list->setCurrentCell(1, 0);
        QTest::keyClick(list, Qt::Key_Space);  // as a user ticks
        standardButton(dialog, QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(profile.readInt("CDlgBaraSelect", "Bara_0", -1), 0);
        QCOMPARE(profile.readInt("CDlgBaraSelect", "Bara_1", -1), 1);
        QCOMPARE(profile.readInt("CDlgBaraSelect", "Bara_7", -1), 0);
        QCOMPARE(profile.readInt("CDlgBaraSelect", "Bara_19", -1), 1);
        QCOMPARE(KitSelection::load(profile).presentCount(), 5);
    }

    void cancelStoresNothing() {
        MemoryProfile profile;
        CDlgBaraSelect dialog(profile);
        listOf(dialog)->item(0, 0)->setCheckState(Qt::Checked);
        standardButton(dialog, QDialogButtonBox::Cancel)->click();
        QCOMPARE(profile.writeCount(), 0);
    }

private:
    static QTableWidget* listOf(const QDialog& dialog) {
        return child<QTableWidget>(dialog, QStringLiteral("drumList"));
    }
    static std::vector<int> ticked(const QDialog& dialog) {
        std::vector<int> rows;
        for (int row = 0; row < listOf(dialog)->rowCount(); ++row) {
            if (listOf(dialog)->item(row, 0)->checkState() == Qt::Checked) rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace tomaro::test

// The dialogs run on an offscreen screen the size of a small laptop (1366 x 768), with Qt's
// Russian translation loaded as the application loads it.
int main(int argc, char** argv) {
    QTemporaryDir configFolder;
    QFile config(configFolder.filePath(QStringLiteral("screen.json")));
    if (!config.open(QIODevice::WriteOnly)) qFatal("cannot write the screen configuration");
    config.write(R"({"screens": [{"name": "laptop", "width": 1366, "height": 768,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));

    QApplication app(argc, argv);
    QTranslator translation;
    if (!translation.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qFatal("Qt's Russian translation (qtbase_ru) is missing");
    }
    QApplication::installTranslator(&translation);

    tomaro::test::CDlgPresetsTest presets;
    tomaro::test::CDlgBaraSelectTest selection;
    return QTest::qExec(&presets, argc, argv) | QTest::qExec(&selection, argc, argv);
}

#include "KitDialogsTest.moc"
