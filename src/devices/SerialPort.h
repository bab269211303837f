#pragma once

#include <QSerialPort>
#include <QString>
#include <string>

namespace tomaro {

// The serial port link: one port, opened with a fixed line setting and held until it is closed
// or another port is chosen. No data goes over it; the device at the other end only sees the
// port taken, RTS raised and DTR dropped. One object lives as long as the main window, which
// closes the port by destroying it. User-interface thread only (QSerialPort's notifiers live
// there).
//
// Line setting: the baud rate passed to open(), 8 data bits, no parity, one stop bit, no flow
// control, binary (raw) mode, XON 17 / XOFF 19, RTS on, DTR off. The port is opened
// exclusively: on Unix QSerialPort takes a lock file named after the device path (LCK..<path>)
// and sets TIOCEXCL, so a second program can neither lock nor (without CAP_SYS_ADMIN) open it.
//
// Time-outs: QSerialPort has no per-port time-outs. Reads already return at once with whatever
// is buffered (VMIN = VTIME = 0 on Unix; ReadIntervalTimeout = MAXDWORD with zero totals on
// Windows), which open() sets explicitly. The write time-outs are kept here as the policy any
// sender must follow (see writeTimeoutMs); nothing is written today, so nothing applies them.
class SerialPort {
public:
    // A write of n bytes is given up after kWriteMultiplierMsPerByte * n + kWriteConstantMs.
    static constexpr int kWriteMultiplierMsPerByte = 1000;
    static constexpr int kWriteConstantMs = 1500;

    SerialPort();
    ~SerialPort();  // closes the port
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Closes any open port, then opens "COM<portNumber>" (see deviceName) with the fixed line
    // setting at `baudRate` (57600 from the port selector). Returns false with errorText() set
    // and the port closed on any failure; on success errorText() is empty.
    bool open(int portNumber, int baudRate);

    // Discards anything still queued for sending and closes the port. Does nothing when the
    // port is already closed or was never opened.
    void close();

    bool isOpen() const { return m_Port.isOpen(); }

    // The last failure of open(), UTF-8; empty when none.
    const std::string& errorText() const { return m_ErrorText; }

    // False after an open on a device without modem lines (pseudo-terminals, some virtual
    // ports): RTS and DTR could not be set there and were left as the device has them.
    bool hasModemLines() const { return m_HasModemLines; }

    // The longest a write of `byteCount` bytes may take, in milliseconds.
    static long long writeTimeoutMs(long long byteCount) {
        return kWriteMultiplierMsPerByte * byteCount + kWriteConstantMs;
    }

    // The device opened for "COM<portNumber>", portNumber >= 1. Windows: "COMn" itself. Elsewhere
    // "/dev/ttyS<n-1>", or "$TOMARO_SERIAL_DIR/COMn" when that variable is set and not empty
    // (for adapters living elsewhere: a symbolic link COM1 -> /dev/ttyUSB0 in that folder).
    static QString deviceName(int portNumber);

private:
    bool configureLine(int baudRate);
    void fail(std::string text);  // sets the error text and closes the port

    QSerialPort m_Port;
    std::string m_ErrorText;
    bool m_HasModemLines = true;
};

}  // namespace tomaro
