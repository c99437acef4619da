#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

// Ways of handing a printer the bytes of a job unchanged, as receipt printers without a driver are
// reached. Every call blocks until the bytes are taken or the time is up: run them off the GUI thread.

namespace quorrel {

struct RawConnection
{
    enum class Kind
    {
        Device,   // a device file: /dev/usb/lp0, /dev/ttyUSB0, /dev/rfcomm0 (or a FIFO)
        Network,  // a TCP port on the printer, 9100 as a rule
        CupsQueue // a CUPS queue that passes the job on raw
    };
    static constexpr int kDefaultPort = 9100;
    static constexpr int kDefaultBaudRate = 9600;

    Kind kind = Kind::Device;
    QString target; // the device path, host name or address, or queue name
    int port = kDefaultPort;
    int baudRate = kDefaultBaudRate; // of a device that is a serial port: 9600, 19200, 38400 or 115200

    // "host" or "host:port" into target and port; false when the port is no number from 1 to 65535.
    bool setHostAndPort(const QString& text);
    // How the connection reads in messages: "/dev/usb/lp0", "192.168.1.50:9100", "CUPS Thermal".
    QString describe() const;
};

// The serial speeds a receipt printer is set to, slowest first.
inline constexpr int kBaudRates[] = {9600, 19200, 38400, 115200};

// Whether a device path names a serial port (its speed then matters): /dev/ttyS0, /dev/ttyUSB0,
// /dev/ttyACM0, /dev/rfcomm0, /dev/serial/by-id/…, or a pseudo-terminal.
bool isSerialPortPath(const QString& path);

struct RawSendOptions
{
    // How long the printer may go without taking a byte or answering before it counts as not printing:
    // a printer that keeps taking bytes has as long as it needs for a long receipt.
    int idleMs = 5000;
    // Ask the printer its real-time status (ESC/POS DLE EOT) before sending, and again after the last
    // byte. Where the printer can answer (a network printer, a device that is a character device):
    // one that stops printing (off-line, cover open, paper end) gets nothing, and the bytes count as
    // taken only when the printer has answered after them.
    bool askStatus = true;
    // Set from another thread to give up as soon as possible.
    const std::atomic<bool>* cancelled = nullptr;
};

struct RawSendResult
{
    enum class Outcome
    {
        Sent,     // the printer took every byte
        NotReady, // the printer said it cannot print; nothing was sent
        NotSent,  // missing, refused, closed early, silent or too slow: not printed (or not all of it)
    };
    Outcome outcome = Outcome::NotSent;
    QString error;   // why not, for the log
    QString problem; // NotReady: what the printer reported, in the cashier's words ("缺纸")

    bool sent() const { return outcome == Outcome::Sent; }
};

// Sends `bytes` over the connection. Without status answers, a network printer's bytes count as
// taken when it has acknowledged every one of them, a device's when it took them; a CUPS queue's
// when CUPS accepted the job and did not abort it within the idle time (CUPS gives no status).
RawSendResult sendRaw(const RawConnection& connection, const QByteArray& bytes, const RawSendOptions& options = {});

} // namespace quorrel
