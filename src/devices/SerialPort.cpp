#include "devices/SerialPort.h"

#include <QCoreApplication>
#include <string>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#endif

namespace tomaro {
namespace {

// The port's failures, UTF-8 in the language of the interface.
std::string portText(const char* source) {
    return QCoreApplication::translate("tomaro::SerialPort", source).toStdString();
}

std::string cannotOpen() {
    return portText(QT_TRANSLATE_NOOP("tomaro::SerialPort", "Не могу открыть выбранный порт"));
}
std::string cannotSetTimeouts() {
    return portText(QT_TRANSLATE_NOOP("tomaro::SerialPort",
                                      "Не могу установить тайм-ауты для выбранного порта"));
}

constexpr unsigned char kXonChar = 17;
constexpr unsigned char kXoffChar = 19;

std::string cannotSetModeText(int baudRate) {
    std::string text = portText(QT_TRANSLATE_NOOP(
        "tomaro::SerialPort", "Не могу установить для порта требуемый режим (скорость %d  бод) !"));
    // The rate in place of %d, as printf would put it; a translation is never used as a format.
    if (const std::size_t at = text.find("%d"); at != std::string::npos) {
        text.replace(at, 2, std::to_string(baudRate));
    }
    return text;
}

enum class Outcome { Done, NoModemLines, Failed };

#ifdef Q_OS_WIN

// RTS held on, DTR off, the XON/XOFF characters and zero XON/XOFF limits: the parts of the
// device-control record QSerialPort does not cover.
Outcome setLineControl(QSerialPort::Handle handle) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) return Outcome::Failed;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.XonChar = char(kXonChar);
    dcb.XoffChar = char(kXoffChar);
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    return ::SetCommState(handle, &dcb) ? Outcome::Done : Outcome::Failed;
}

// QSerialPort already reads this way; set it anyway so the port never depends on that.
bool setReadReturnsAtOnce(QSerialPort::Handle handle) {
    COMMTIMEOUTS timeouts;
    if (!::GetCommTimeouts(handle, &timeouts)) return false;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    return ::SetCommTimeouts(handle, &timeouts) != 0;
}

#else

// Raises (on) or drops one modem line. Devices without modem lines answer ENOTTY
// ("inappropriate ioctl"): that alone means "not supported here", not a broken port.
Outcome setModemLine(int fd, int line, bool on) {
    int bits = line;
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return Outcome::Done;
    return errno == ENOTTY ? Outcome::NoModemLines : Outcome::Failed;
}

// RTS held on, DTR off, the XON/XOFF characters. The XON/XOFF limits of the Windows driver
// have no termios counterpart (the tty layer picks its own thresholds).
Outcome setLineControl(int fd) {
    const Outcome rts = setModemLine(fd, TIOCM_RTS, true);
    const Outcome dtr = setModemLine(fd, TIOCM_DTR, false);
    if (rts == Outcome::Failed || dtr == Outcome::Failed) return Outcome::Failed;

    termios tio;
    if (::tcgetattr(fd, &tio) != 0) return Outcome::Failed;
    tio.c_cc[VSTART] = kXonChar;
    tio.c_cc[VSTOP] = kXoffChar;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return Outcome::Failed;
    return rts == Outcome::Done && dtr == Outcome::Done ? Outcome::Done : Outcome::NoModemLines;
}

// A read returns at once with whatever is buffered, possibly nothing.
bool setReadReturnsAtOnce(int fd) {
    termios tio;
    if (::tcgetattr(fd, &tio) != 0) return false;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

#endif

}  // namespace

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { close(); }

QString SerialPort::deviceName(int portNumber) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString folder = qEnvironmentVariable("TOMARO_SERIAL_DIR");
    if (!folder.isEmpty()) return folder + QStringLiteral("/COM%1").arg(portNumber);
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

bool SerialPort::open(int portNumber, int baudRate) {
    close();
    m_ErrorText.clear();
    m_HasModemLines = true;

    if (portNumber < 1) {
        m_ErrorText = cannotOpen();
        return false;
    }
    // Read and write, existing device only; QSerialPort opens without sharing (see the class
    // comment) and with its own defaults, replaced right after.
    m_Port.setPortName(deviceName(portNumber));
    if (!m_Port.open(QIODevice::ReadWrite)) {
        m_ErrorText = cannotOpen();
        return false;
    }

    if (!configureLine(baudRate)) {
        fail(cannotSetModeText(baudRate));
        return false;
    }
    if (!setReadReturnsAtOnce(m_Port.handle())) {
        fail(cannotSetTimeouts());
        return false;
    }
    // No events are waited on and nothing is sent: the port stays idle.
    return true;
}

bool SerialPort::configureLine(int baudRate) {
    // Binary (raw) mode comes with QSerialPort's open.
    if (!m_Port.setBaudRate(baudRate) || !m_Port.setDataBits(QSerialPort::Data8) ||
        !m_Port.setParity(QSerialPort::NoParity) || !m_Port.setStopBits(QSerialPort::OneStop) ||
        !m_Port.setFlowControl(QSerialPort::NoFlowControl)) {
        return false;
    }
    switch (setLineControl(m_Port.handle())) {
        case Outcome::Done:
            return true;
        case Outcome::NoModemLines:
            m_HasModemLines = false;
            return true;
        case Outcome::Failed:
            break;
    }
    return false;
}

void SerialPort::fail(std::string text) {
    m_ErrorText = std::move(text);
    close();
}

void SerialPort::close() {
    if (!m_Port.isOpen()) return;
    // Bytes still queued for sending are the only outstanding I/O a QSerialPort can have.
    if (m_Port.bytesToWrite() > 0) m_Port.clear(QSerialPort::Output);
    m_Port.close();
}

}  // namespace tomaro
