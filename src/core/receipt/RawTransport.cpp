#include "core/receipt/RawTransport.h"

#include "core/receipt/CupsDestinations.h"
#include "core/receipt/PrinterStatus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace quorrel {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Closes the descriptor when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// What a link to a printer has been handed but the printer has not yet taken: a socket's bytes the
// printer has not acknowledged, a serial port's bytes still in its output queue; 0 where a write is
// the taking (a USB printer, a FIFO).
int unsentBytes(int fd, bool socket)
{
    int pending = 0;
    if (socket)
        return ::ioctl(fd, SIOCOUTQ, &pending) == 0 ? pending : 0;
    if (::isatty(fd) && ::ioctl(fd, TIOCOUTQ, &pending) == 0)
        return pending;
    return 0;
}

// One open link to a printer: writes the stream and reads what the printer says, with the time
// limit on progress.
class Link
{
public:
    Link(int fd, bool socket, QString what, const RawSendOptions& options)
        : m_fd(fd), m_socket(socket), m_what(std::move(what)), m_options(options)
    {}

    // Writes `bytes` and waits until the printer has taken them all and, when `answers` is above 0,
    // has answered that many times; the answers are kept in `answered`. False, with the reason in
    // `error`, when the printer fails, closes, or neither takes a byte nor answers for the idle time.
    bool transfer(const QByteArray& bytes, int answers, QByteArray* answered, QString* error)
    {
        QDeadlineTimer idle(m_options.idleMs);
        qsizetype written = 0;
        int unsent = -1;
        for (;;) {
            if (m_options.cancelled && m_options.cancelled->load()) {
                setError(error, m_what + QStringLiteral(": cancelled"));
                return false;
            }
            const int nowUnsent = unsentBytes(m_fd, m_socket);
            if (unsent >= 0 && nowUnsent < unsent)
                idle.setRemainingTime(m_options.idleMs); // the printer took some: it is printing
            unsent = nowUnsent;
            const bool allWritten = written == bytes.size();
            if (allWritten && (answers > 0 ? answered->size() >= answers : unsent == 0))
                return true;
            if (idle.hasExpired()) {
                setError(error, m_what + (answers > 0 && allWritten && unsent == 0
                                              ? QStringLiteral(": the printer did not answer in time")
                                              : QStringLiteral(": the printer did not take the data in time")));
                return false;
            }
            pollfd entry{m_fd, short((allWritten ? 0 : POLLOUT) | (answers > 0 ? POLLIN : 0)), 0};
            // Short slices: the bytes the printer takes are seen as they go.
            const int ready = ::poll(&entry, 1, int(qBound(qint64(0), idle.remainingTime(), qint64(50))));
            if (ready < 0 && errno != EINTR) {
                setError(error, m_what + QStringLiteral(": ") + systemError(errno));
                return false;
            }
            if (ready <= 0)
                continue;
            if (entry.revents & POLLIN) {
                char buffer[256];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
                    setError(error, m_what + (n == 0 ? QStringLiteral(": the printer closed the connection")
                                                     : QStringLiteral(": ") + systemError(errno)));
                    return false;
                }
                if (n > 0) {
                    answered->append(buffer, n);
                    idle.setRemainingTime(m_options.idleMs);
                }
            }
            if (entry.revents & POLLOUT) {
                const ssize_t m = ::write(m_fd, bytes.constData() + written, size_t(bytes.size() - written));
                if (m > 0) {
                    written += m;
                    idle.setRemainingTime(m_options.idleMs);
                } else if (m < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
                    setError(error, m_what + QStringLiteral(": ") + systemError(errno));
                    return false;
                }
            }
            if ((entry.revents & (POLLERR | POLLNVAL)) && !(entry.revents & (POLLIN | POLLOUT))) {
                setError(error, m_what + QStringLiteral(": the device reports an error"));
                return false;
            }
        }
    }

    // The stream, with the printer asked before and after it when it can answer.
    RawSendResult send(const QByteArray& bytes, bool answers)
    {
        RawSendResult result;
        if (!answers) {
            if (transfer(bytes, 0, nullptr, &result.error))
                result.outcome = RawSendResult::Outcome::Sent;
            return result;
        }
        // Asked first: a printer that cannot print now gets nothing, and the sale's receipt is not
        // half printed.
        QByteArray before;
        if (!transfer(statusQueries(), kStatusAnswers, &before, &result.error))
            return result;
        bool valid = false;
        const PrinterStatus status = PrinterStatus::fromAnswers(before.right(kStatusAnswers), &valid);
        if (!valid) {
            result.error = m_what + QStringLiteral(": the printer's answer is no status: ") +
                           QString::fromLatin1(before.toHex(' '));
            return result;
        }
        if (status.stopsPrinting()) {
            result.outcome = RawSendResult::Outcome::NotReady;
            result.problem = status.problem();
            result.error = m_what + QStringLiteral(": the printer cannot print: ") + result.problem;
            return result;
        }
        // Asked again after the last byte: the printer reads in order, so its answer to that question
        // means it has read the whole receipt. Every 10 04 n in the picture is a question too, and is
        // answered as well.
        const QByteArray stream = bytes + statusQueries();
        QByteArray after;
        if (!transfer(stream, statusRequestsIn(stream), &after, &result.error))
            return result;
        const PrinterStatus end = PrinterStatus::fromAnswers(after.right(kStatusAnswers), &valid);
        if (!valid || end.stopsPrinting()) {
            result.error = m_what + QStringLiteral(": after the receipt the printer reports ") +
                           (valid ? end.problem() : QString::fromLatin1(after.right(kStatusAnswers).toHex(' ')));
            return result;
        }
        result.outcome = RawSendResult::Outcome::Sent;
        return result;
    }

private:
    int m_fd;
    bool m_socket;
    QString m_what;
    RawSendOptions m_options;
};

speed_t speedFor(int baudRate)
{
    switch (baudRate) {
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

RawSendResult sendToDevice(const RawConnection& connection, const QByteArray& bytes, const RawSendOptions& options)
{
    RawSendResult result;
    const QString& path = connection.target;
    const QByteArray name = QFile::encodeName(path);
    // A printer's device file can answer; a FIFO (another program reading the stream) cannot.
    struct stat info
    {};
    const bool answers = options.askStatus && ::stat(name.constData(), &info) == 0 && S_ISCHR(info.st_mode);
    // Non-blocking: a printer that is switched off, or a FIFO nobody reads, must not hang the sender.
    const Descriptor device(
        ::open(name.constData(), (answers ? O_RDWR : O_WRONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (device.get() < 0) {
        result.error = path + QStringLiteral(": ") + systemError(errno);
        return result;
    }
    // A serial or Bluetooth port must pass the bytes as they are, not as lines of text, at the
    // printer's speed.
    termios settings{};
    if (::isatty(device.get()) && ::tcgetattr(device.get(), &settings) == 0) {
        ::cfmakeraw(&settings);
        settings.c_cflag &= ~CSTOPB;
        settings.c_cflag |= CLOCAL | CREAD;
        if (::cfsetispeed(&settings, speedFor(connection.baudRate)) != 0 ||
            ::cfsetospeed(&settings, speedFor(connection.baudRate)) != 0 ||
            ::tcsetattr(device.get(), TCSANOW, &settings) != 0) {
            result.error = path + QStringLiteral(": ") + systemError(errno);
            return result;
        }
    }
    return Link(device.get(), false, path, options).send(bytes, answers);
}
// Connects to the first address of the host that answers within the idle time.
int connectTo(const QString& host, int port, int idleMs, QString* error, const QString& what)
{
    const QDeadlineTimer deadline(idleMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found);
    if (lookup != 0) {
        setError(error, what + QStringLiteral(": ") + QString::fromLocal8Bit(::gai_strerror(lookup)));
        return -1;
    }
    int connected = -1;
    for (addrinfo* address = found; address && connected < 0; address = address->ai_next) {
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0)
            continue;
        // A small send buffer: what the printer has not taken stays countable here.
        const int buffer = 8192;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        int result = ::connect(fd, address->ai_addr, address->ai_addrlen);
        if (result < 0 && errno == EINPROGRESS) {
            pollfd entry{fd, POLLOUT, 0};
            int ready = -1;
            do {
                ready = ::poll(&entry, 1, int(qMax<qint64>(0, deadline.remainingTime())));
            } while (ready < 0 && errno == EINTR);
            int failure = ready == 0 ? ETIMEDOUT : ready < 0 ? errno : 0;
            socklen_t length = sizeof failure;
            if (ready > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0)
                failure = errno;
            result = failure == 0 ? 0 : -1;
            if (result < 0)
                setError(error, what + QStringLiteral(": ") + systemError(failure));
        } else if (result < 0) {
            setError(error, what + QStringLiteral(": ") + systemError(errno));
        }
        if (result == 0)
            connected = fd;
        else
            ::close(fd);
    }
    ::freeaddrinfo(found);
    return connected;
}

RawSendResult sendToHost(const RawConnection& connection, const QByteArray& bytes, const RawSendOptions& options)
{
    RawSendResult result;
    const QString what = connection.describe();
    const Descriptor socket(connectTo(connection.target, connection.port, options.idleMs, &result.error, what));
    if (socket.get() < 0)
        return result;
    result = Link(socket.get(), true, what, options).send(bytes, options.askStatus);
    if (result.sent())
        ::shutdown(socket.get(), SHUT_WR);
    return result;
}

RawSendResult sendToQueue(const QString& queue, const QByteArray& bytes, int idleMs)
{
    RawSendResult result;
    refuseCupsPasswordPrompts(); // nobody can answer a password prompt on a printing thread
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/quorrel-raw-XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        result.error = QStringLiteral("cannot keep the job in a file: ") + file.errorString();
        return result;
    }
    const int job = submitCupsJob(queue, file.fileName(), QStringLiteral("Quorrel receipt"),
                                  {{QByteArrayLiteral("raw"), QByteArrayLiteral("true")}}, &result.error);
    if (job != 0 && cupsJobGoesThrough(queue, job, idleMs, &result.error))
        result.outcome = RawSendResult::Outcome::Sent;
    return result;
}

// A printer that goes away while it is written to must give EPIPE, not the SIGPIPE that would end
// the program: SIGPIPE is held back in this thread for the scope, and one it raised is taken away.
class NoBrokenPipeSignal
{
public:
    NoBrokenPipeSignal()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~NoBrokenPipeSignal()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{0, 0};
            while (sigtimedwait(&m_pipe, nullptr, &none) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    NoBrokenPipeSignal(const NoBrokenPipeSignal&) = delete;
    NoBrokenPipeSignal& operator=(const NoBrokenPipeSignal&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
};

} // namespace

bool RawConnection::setHostAndPort(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(u':');
    // An IPv6 address has colons of its own: only "[address]:port" carries a port then.
    const bool hasPort = colon > 0 && (trimmed.count(u':') == 1 || trimmed.at(colon - 1) == u']');
    QString host = hasPort ? trimmed.left(colon) : trimmed;
    int number = kDefaultPort;
    if (hasPort) {
        bool ok = false;
        number = trimmed.mid(colon + 1).toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return false;
    }
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty())
        return false;
    target = host;
    port = number;
    return true;
}

QString RawConnection::describe() const
{
    switch (kind) {
    case Kind::Network:
        return (target.contains(u':') ? u'[' + target + u']' : target) + u':' + QString::number(port);
    case Kind::CupsQueue:
        return QStringLiteral("CUPS ") + target;
    case Kind::Device:
        break;
    }
    return target;
}

bool isSerialPortPath(const QString& path)
{
    static const QString prefixes[] = {QStringLiteral("/dev/tty"), QStringLiteral("/dev/rfcomm"),
                                       QStringLiteral("/dev/serial/"), QStringLiteral("/dev/pts/")};
    for (const QString& prefix : prefixes) {
        if (path.startsWith(prefix) && path.size() > prefix.size())
            return true;
    }
    return false;
}

RawSendResult sendRaw(const RawConnection& connection, const QByteArray& bytes, const RawSendOptions& options)
{
    if (connection.target.isEmpty()) {
        RawSendResult result;
        result.error = QStringLiteral("no printer connection set");
        return result;
    }
    const NoBrokenPipeSignal noSignal;
    switch (connection.kind) {
    case RawConnection::Kind::Network:
        return sendToHost(connection, bytes, options);
    case RawConnection::Kind::CupsQueue:
        return sendToQueue(connection.target, bytes, options.idleMs);
    case RawConnection::Kind::Device:
        break;
    }
    return sendToDevice(connection, bytes, options);
}

} // namespace quorrel
