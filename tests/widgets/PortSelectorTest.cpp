#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>
#include <vector>

#include "devices/SerialPort.h"
#include "settings/MemoryProfile.h"
#include "support/PseudoTerminal.h"
#include "widgets/PortSelector.h"

using tomaro::MemoryProfile;
using tomaro::PortSelector;
using tomaro::SerialPort;
using tomaro::test::PseudoTerminal;

namespace {

struct ShownError {
    QString text;
    QString caption;
};

// Holds the port the way the main window does: the port as a member, the selector as a child
// widget in its layout, deleted by QWidget after the members are gone.
class OwnerWindow : public QWidget {
public:
    OwnerWindow(tomaro::Profile& profile, PortSelector::ErrorDisplay showError) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new PortSelector(m_SerialPort, profile, this, std::move(showError)));
    }
    SerialPort m_SerialPort;
};

QComboBox* comboOf(QWidget& selector) {
    return selector.findChild<QComboBox*>(QStringLiteral("portSelect"));
}

// Picks an entry with the keyboard, as a user would: Home for "Не выбран", otherwise Down from
// the entry above it (placed there without counting as a choice).
void userChooses(QWidget& selector, int index) {
    QComboBox* combo = comboOf(selector);
    if (index == 0) {
        combo->setCurrentIndex(1);
        QTest::keyClick(combo, Qt::Key_Home);
    } else {
        combo->setCurrentIndex(index - 1);
        QTest::keyClick(combo, Qt::Key_Down);
    }
}

}  // namespace

// Every test gets a fresh TOMARO_SERIAL_DIR; the ports in it are pseudo-terminals. Errors are
// recorded instead of shown.
class PortSelectorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsNoPortThenSixteenPortsAndStaysHidden();
    void startUpWithNothingStoredOpensNothing();
    void startUpOpensTheStoredPort();
    void storedValueOutOfRangeMeansNoPort_data();
    void storedValueOutOfRangeMeansNoPort();
    void missingStoredPortIsReportedAndShownAsNone();
    void userChoiceIsStoredAndOpened();
    void missingChosenPortResetsTheListButKeepsTheStoredChoice();
    void choosingNoPortClosesTheOpenPort();
    void destroyingTheOwnerClosesThePort();
    void errorsAreShownInACriticalMessageBox();

private:
    PortSelector::ErrorDisplay recorder() {
        return [this](QWidget*, const QString& text, const QString& caption) {
            m_Shown.push_back({text, caption});
        };
    }

    std::unique_ptr<QTemporaryDir> m_Dir;
    MemoryProfile m_Profile;
    SerialPort m_Port;
    std::vector<ShownError> m_Shown;
};

void PortSelectorTest::init() {
    m_Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_Dir->isValid());
    qputenv("TOMARO_SERIAL_DIR", m_Dir->path().toLocal8Bit());
    m_Profile = MemoryProfile();
    m_Shown.clear();
}

void PortSelectorTest::cleanup() {
    m_Port.close();
    qunsetenv("TOMARO_SERIAL_DIR");
    m_Dir.reset();
}

void PortSelectorTest::listsNoPortThenSixteenPortsAndStaysHidden() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* selector = new PortSelector(m_Port, m_Profile, &window, recorder());
    layout->addWidget(selector);
    window.show();
    QVERIFY(selector->isHidden());

    auto* label = selector->findChild<QLabel*>(QStringLiteral("portLabel"));
    QVERIFY(label);
    QCOMPARE(label->text(), QString::fromUtf8("Порт"));
    QComboBox* combo = comboOf(*selector);
    QVERIFY(combo);
    QCOMPARE(combo->count(), 17);
    QCOMPARE(combo->itemText(0), QString::fromUtf8("Не выбран"));
    QCOMPARE(combo->itemText(1), QStringLiteral("COM1"));
    QCOMPARE(combo->itemText(16), QStringLiteral("COM16"));
}

void PortSelectorTest::startUpWithNothingStoredOpensNothing() {
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QCOMPARE(comboOf(selector)->currentIndex(), 0);
    QVERIFY(!m_Port.isOpen());
    QVERIFY(m_Shown.empty());
    QCOMPARE(m_Profile.writeCount(), 0);
}

void PortSelectorTest::startUpOpensTheStoredPort() {
    PseudoTerminal pty(m_Dir->path(), 2);
    QVERIFY(pty.isValid());
    m_Profile.writeInt("Options", "m_PortSelect", 2);

    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QCOMPARE(comboOf(selector)->currentIndex(), 2);
    QVERIFY(pty.isHeld());
    const termios tio = pty.lineSettings();
    QCOMPARE(cfgetospeed(&tio), speed_t(B57600));
    QVERIFY(m_Shown.empty());
}

void PortSelectorTest::storedValueOutOfRangeMeansNoPort_data() {
    QTest::addColumn<int>("stored");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past COM16") << 17;
    QTest::newRow("far out") << 100000;
}

void PortSelectorTest::storedValueOutOfRangeMeansNoPort() {
    QFETCH(int, stored);
    m_Profile.writeInt("Options", "m_PortSelect", stored);
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QCOMPARE(comboOf(selector)->currentIndex(), 0);
    QVERIFY(!m_Port.isOpen());
    QVERIFY(m_Shown.empty());
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", 0), stored);
}

void PortSelectorTest::missingStoredPortIsReportedAndShownAsNone() {
    m_Profile.writeInt("Options", "m_PortSelect", 3);
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QCOMPARE(comboOf(selector)->currentIndex(), 0);
    QVERIFY(!m_Port.isOpen());
    QCOMPARE(m_Shown.size(), size_t(1));
    QCOMPARE(m_Shown[0].text, QString::fromUtf8("Не могу открыть выбранный порт"));
    QCOMPARE(m_Shown[0].caption, QString::fromUtf8("ОШИБКА"));
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", 0), 3);
}

void PortSelectorTest::userChoiceIsStoredAndOpened() {
    PseudoTerminal first(m_Dir->path(), 1);
    PseudoTerminal fifth(m_Dir->path(), 5);
    QVERIFY(first.isValid() && fifth.isValid());
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());

    userChooses(selector, 1);
    QCOMPARE(comboOf(selector)->currentIndex(), 1);
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", 0), 1);
    QVERIFY(first.isHeld());

    userChooses(selector, 5);
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", 0), 5);
    QVERIFY(!first.isHeld());
    QVERIFY(fifth.isHeld());
    QVERIFY(m_Shown.empty());
}

void PortSelectorTest::missingChosenPortResetsTheListButKeepsTheStoredChoice() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    m_Profile.writeInt("Options", "m_PortSelect", 1);
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QVERIFY(pty.isHeld());

    userChooses(selector, 4);
    QCOMPARE(comboOf(selector)->currentIndex(), 0);
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", 0), 4);
    QVERIFY(!m_Port.isOpen());
    QVERIFY(!pty.isHeld());
    QCOMPARE(m_Shown.size(), size_t(1));
    QCOMPARE(m_Shown[0].text, QString::fromUtf8("Не могу открыть выбранный порт"));
    QCOMPARE(m_Shown[0].caption, QString::fromUtf8("ОШИБКА"));
}

void PortSelectorTest::choosingNoPortClosesTheOpenPort() {
    PseudoTerminal pty(m_Dir->path(), 7);
    QVERIFY(pty.isValid());
    m_Profile.writeInt("Options", "m_PortSelect", 7);
    PortSelector selector(m_Port, m_Profile, nullptr, recorder());
    QVERIFY(pty.isHeld());

    userChooses(selector, 0);
    QCOMPARE(comboOf(selector)->currentIndex(), 0);
    QCOMPARE(m_Profile.readInt("Options", "m_PortSelect", -1), 0);
    QVERIFY(!m_Port.isOpen());
    QVERIFY(!pty.isHeld());
    QVERIFY(m_Shown.empty());
}

void PortSelectorTest::destroyingTheOwnerClosesThePort() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    m_Profile.writeInt("Options", "m_PortSelect", 1);
    auto owner = std::make_unique<OwnerWindow>(m_Profile, recorder());
    QVERIFY(owner->m_SerialPort.isOpen());
    QVERIFY(pty.isHeld());
    owner.reset();
    QVERIFY(!pty.isHeld());
}

void PortSelectorTest::errorsAreShownInACriticalMessageBox() {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // The box is modal: read it and close it from inside its own event loop.
    QTimer::singleShot(0, this, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->done(QMessageBox::Ok);
            }
        }
    });
    PortSelector::showErrorBox(nullptr, QString::fromUtf8("Не могу открыть выбранный порт"),
                               QString::fromUtf8("ОШИБКА"));
    QCOMPARE(caption, QString::fromUtf8("ОШИБКА"));
    QCOMPARE(text, QString::fromUtf8("Не могу открыть выбранный порт"));
    QCOMPARE(icon, QMessageBox::Critical);
}

QTEST_MAIN(PortSelectorTest)
#include "PortSelectorTest.moc"
