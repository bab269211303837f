#include "support/PseudoTerminal.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace tomaro::test {

PseudoTerminal::PseudoTerminal(const QString& folder, int portNumber) {
    int device = -1;
    char name[128] = {};
    if (::openpty(&m_Master, &device, name, nullptr, nullptr) != 0) {
        m_Master = -1;
        return;
    }
    m_DevicePath = QString::fromLocal8Bit(name);

    termios tio;
    std::memset(&tio, 0, sizeof tio);
    ::tcgetattr(device, &tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 1;
    tio.c_cc[VSTOP] = 2;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    ::tcsetattr(device, TCSANOW, &tio);
    ::close(device);

    ::fcntl(m_Master, F_SETFL, ::fcntl(m_Master, F_GETFL) | O_NONBLOCK);
    if (!QFile::link(m_DevicePath, folder + QStringLiteral("/COM%1").arg(portNumber))) {
        ::close(m_Master);
        m_Master = -1;
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (m_Master >= 0) ::close(m_Master);
}

termios PseudoTerminal::lineSettings() const {
    termios tio;
    std::memset(&tio, 0, sizeof tio);
    ::tcgetattr(m_Master, &tio);  // on a master this reads the device side's settings
    return tio;
}

bool PseudoTerminal::isHeld() const {
    // Nothing is ever written to the device, so a read on the master has nothing to return:
    // EAGAIN while the device is open somewhere, EIO once the last holder has closed it.
    char byte = 0;
    return ::read(m_Master, &byte, 1) < 0 && errno == EAGAIN;
}

}  // namespace tomaro::test
