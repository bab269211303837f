#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>

#include "devices/SerialPort.h"
#include "support/PseudoTerminal.h"

using tomaro::SerialPort;
using tomaro::test::PseudoTerminal;

// Every test gets a fresh TOMARO_SERIAL_DIR; the ports in it are pseudo-terminals.
class SerialPortTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deviceNamesFollowTheSerialFolder();
    void openingSetsTheFixedLineSetting();
    void missingDeviceCannotBeOpened();
    void fileThatIsNoPortCannotBeOpened();
    void portNumberBelowOneCannotBeOpened();
    void refusedBaudRateGivesTheModeErrorAndClosesThePort();
    void failedOpenStillReleasesThePreviousPort();
    void closingTwiceOrNeverOpenedDoesNothing();
    void destroyingThePortReleasesTheDevice();
    void heldPortCannotBeOpenedByAnotherProgram();

private:
    std::unique_ptr<QTemporaryDir> m_Dir;
};

void SerialPortTest::init() {
    m_Dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_Dir->isValid());
    qputenv("TOMARO_SERIAL_DIR", m_Dir->path().toLocal8Bit());
}

void SerialPortTest::cleanup() {
    qunsetenv("TOMARO_SERIAL_DIR");
    m_Dir.reset();
}

void SerialPortTest::deviceNamesFollowTheSerialFolder() {
    QCOMPARE(SerialPort::deviceName(3), m_Dir->path() + "/COM3");
    qputenv("TOMARO_SERIAL_DIR", "");
    QCOMPARE(SerialPort::deviceName(1), QStringLiteral("/dev/ttyS0"));
    qunsetenv("TOMARO_SERIAL_DIR");
    QCOMPARE(SerialPort::deviceName(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(SerialPort::deviceName(16), QStringLiteral("/dev/ttyS15"));
}

// A pseudo-terminal has no modem lines: RTS and DTR cannot be set there, yet the port opens.
void SerialPortTest::openingSetsTheFixedLineSetting() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(port.open(1, 57600));
    QVERIFY(port.isOpen());
    QCOMPARE(port.errorText(), std::string());
    QVERIFY(!port.hasModemLines());
    QVERIFY(pty.isHeld());

    const termios tio = pty.lineSettings();
    QCOMPARE(cfgetispeed(&tio), speed_t(B57600));
    QCOMPARE(cfgetospeed(&tio), speed_t(B57600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | IXANY), tcflag_t(0));
    QCOMPARE(int(tio.c_cc[VSTART]), 17);
    QCOMPARE(int(tio.c_cc[VSTOP]), 19);
    // Reads return at once with what is buffered.
    QCOMPARE(int(tio.c_cc[VMIN]), 0);
    QCOMPARE(int(tio.c_cc[VTIME]), 0);
    // Binary mode: no translation of input or output, no line editing.
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (ICRNL | INLCR | ISTRIP), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
}

void SerialPortTest::missingDeviceCannotBeOpened() {
    SerialPort port;
    QVERIFY(!port.open(5, 57600));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.errorText(), std::string("Не могу открыть выбранный порт"));
}

void SerialPortTest::fileThatIsNoPortCannotBeOpened() {
    QFile file(m_Dir->path() + "/COM2");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    SerialPort port;
    QVERIFY(!port.open(2, 57600));
    QVERIFY(!port.isOpen());
    QCOMPARE(port.errorText(), std::string("Не могу открыть выбранный порт"));
}

void SerialPortTest::portNumberBelowOneCannotBeOpened() {
    PseudoTerminal pty(m_Dir->path(), 0);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(!port.open(0, 57600));
    QCOMPARE(port.errorText(), std::string("Не могу открыть выбранный порт"));
    QVERIFY(!pty.isHeld());
}

void SerialPortTest::refusedBaudRateGivesTheModeErrorAndClosesThePort() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(!port.open(1, 0));
    QVERIFY(!port.isOpen());
    QVERIFY(!pty.isHeld());
    QCOMPARE(port.errorText(),
             std::string("Не могу установить для порта требуемый режим (скорость 0  бод) !"));

    // A later good open clears the old failure.
    QVERIFY(port.open(1, 57600));
    QCOMPARE(port.errorText(), std::string());
}

void SerialPortTest::failedOpenStillReleasesThePreviousPort() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(port.open(1, 57600));
    QVERIFY(!port.open(9, 57600));
    QVERIFY(!port.isOpen());
    QVERIFY(!pty.isHeld());
}

void SerialPortTest::closingTwiceOrNeverOpenedDoesNothing() {
    SerialPort never;
    never.close();
    never.close();
    QVERIFY(!never.isOpen());
    QCOMPARE(never.errorText(), std::string());

    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(port.open(1, 57600));
    port.close();
    QVERIFY(!pty.isHeld());
    port.close();
    QVERIFY(!port.isOpen());
    QCOMPARE(port.errorText(), std::string());
    // Closed for real: the same object opens the device again.
    QVERIFY(port.open(1, 57600));
    QVERIFY(pty.isHeld());
}

void SerialPortTest::destroyingThePortReleasesTheDevice() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    {
        SerialPort port;
        QVERIFY(port.open(1, 57600));
        QVERIFY(pty.isHeld());
    }
    QVERIFY(!pty.isHeld());
}

// QSerialPort takes a lock file named after the device path and sets TIOCEXCL on the device.
// Without CAP_SYS_ADMIN a plain open() then fails with EBUSY; with it (tests run as root in
// some containers) the open succeeds, and the exclusive flag is read back instead.
void SerialPortTest::heldPortCannotBeOpenedByAnotherProgram() {
    PseudoTerminal pty(m_Dir->path(), 1);
    QVERIFY(pty.isValid());
    SerialPort port;
    QVERIFY(port.open(1, 57600));

    QSerialPort other(SerialPort::deviceName(1));
    QVERIFY(!other.open(QIODevice::ReadWrite));
    QCOMPARE(other.error(), QSerialPort::PermissionError);

    const QByteArray path = pty.devicePath().toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        QCOMPARE(errno, EBUSY);
    } else {
        int exclusive = 0;
        const int result = ::ioctl(fd, TIOCGEXCL, &exclusive);
        ::close(fd);
        QCOMPARE(result, 0);
        QCOMPARE(exclusive, 1);
    }

    // Released on close: the lock and the exclusive flag are gone.
    port.close();
    QVERIFY(other.open(QIODevice::ReadWrite));
    int exclusive = -1;
    QCOMPARE(::ioctl(other.handle(), TIOCGEXCL, &exclusive), 0);
    QCOMPARE(exclusive, 1);  // now held by `other`, which set it again
    other.close();
    const int again = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(again >= 0);
    exclusive = -1;
    QCOMPARE(::ioctl(again, TIOCGEXCL, &exclusive), 0);
    ::close(again);
    QCOMPARE(exclusive, 0);
}

QTEST_GUILESS_MAIN(SerialPortTest)
#include "SerialPortTest.moc"
