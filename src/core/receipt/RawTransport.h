#pragma once

#include <QByteArray>
#include <QString>

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

    Kind kind = Kind::Device;
    QString target; // the device path, host name or address, or queue name
    int port = kDefaultPort;

    // "host" or "host:port" into target and port; false when the port is no number from 1 to 65535.
    bool setHostAndPort(const QString& text);
    // How the connection reads in messages: "/dev/usb/lp0", "192.168.1.50:9100", "CUPS Thermal".
    QString describe() const;
};

// Sends `bytes` over the connection; false, with the reason in `error`, when the printer is
// missing, busy, refuses them, or takes none of them for `timeoutMs` (a printer that keeps taking
// bytes has as long as it needs for a long receipt). For a network printer the bytes count as taken
// when the printer has acknowledged every one of them; for a CUPS queue, when CUPS accepted the job
// and did not abort it within `timeoutMs`.
bool sendRaw(const RawConnection& connection, const QByteArray& bytes, int timeoutMs, QString* error = nullptr);

} // namespace quorrel
