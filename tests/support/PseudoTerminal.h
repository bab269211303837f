#pragma once

#include <termios.h>

#include <QString>

namespace tomaro::test {

// A pseudo-terminal standing in for a serial port. Its device is reachable as <folder>/COM<n>,
// the layout TOMARO_SERIAL_DIR describes. The test keeps only the master side open, so the
// master tells whether anybody holds the device and shows the device's line settings.
//
// Before the port opens, the device is left with a line setting unlike the one the port must
// set (9600 baud, 7 data bits, even parity, two stop bits, hardware and XON/XOFF flow control,
// XON 1 / XOFF 2, blocking reads), so every value read back proves the port set it.
class PseudoTerminal {
public:
    PseudoTerminal(const QString& folder, int portNumber);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return m_Master >= 0; }
    // The real device, e.g. /dev/pts/3.
    QString devicePath() const { return m_DevicePath; }
    // The device's current termios.
    termios lineSettings() const;
    // True while some open file holds the device.
    bool isHeld() const;

private:
    int m_Master = -1;
    QString m_DevicePath;
};

}  // namespace tomaro::test
