#include "core/receipt/RawTransport.h"

#include "core/receipt/CupsDestinations.h"

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

// Waits until the descriptor can take `events`; false when the time ran out or polling failed.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline, QString* error, const QString& what)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (ready > 0) {
            if (entry.revents & (POLLERR | POLLNVAL) && !(entry.revents & events)) {
                setError(error, what + QStringLiteral(": the device reports an error"));
                return false;
            }
            return true;
        }
        if (ready == 0) {
            setError(error, what + QStringLiteral(": the printer did not take the data in time"));
            return false;
        }
        if (errno != EINTR) {
            setError(error, what + QStringLiteral(": ") + systemError(errno));
            return false;
        }
    }
}

// Writes everything, waiting for the descriptor whenever it is full. A printer that takes bytes
// is printing, however long the receipt: every write gives it `idleMs` again.
bool writeAll(int fd, const QByteArray& bytes, QDeadlineTimer& deadline, int idleMs, QString* error,
              const QString& what)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t m = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (m > 0) {
            written += m;
            deadline.setRemainingTime(idleMs);
            continue;
        }
        if (m < 0 && errno == EINTR)
            continue;
        if (m < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            setError(error, what + QStringLiteral(": ") + systemError(errno));
            return false;
        }
        if (!waitFor(fd, POLLOUT, deadline, error, what))
            return false;
    }
    return true;
}

bool sendToDevice(const QString& path, const QByteArray& bytes, QDeadlineTimer& deadline, int idleMs, QString* error)
{
    // Non-blocking: a printer that is switched off, or a FIFO nobody reads, must not hang the sender.
    const Descriptor device(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (device.get() < 0) {
        setError(error, path + QStringLiteral(": ") + systemError(errno));
        return false;
    }
    // A serial or Bluetooth port must pass the bytes as they are, not as lines of text.
    termios settings{};
    if (::isatty(device.get()) && ::tcgetattr(device.get(), &settings) == 0) {
        ::cfmakeraw(&settings);
        if (::tcsetattr(device.get(), TCSANOW, &settings) != 0) {
            setError(error, path + QStringLiteral(": ") + systemError(errno));
            return false;
        }
    }
    return writeAll(device.get(), bytes, deadline, idleMs, error, path);
}

// Connects to the first address of the host that answers before the deadline.
int connectTo(const QString& host, int port, const QDeadlineTimer& deadline, QString* error, const QString& what)
{
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
        if (result < 0 && errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline, error, what)) {
            int failure = 0;
            socklen_t length = sizeof failure;
            result = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) == 0 && failure == 0 ? 0 : -1;
            if (result < 0)
                setError(error, what + QStringLiteral(": ") + systemError(failure));
        } else if (result < 0 && errno != EINPROGRESS) {
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

bool sendToHost(const RawConnection& connection, const QByteArray& bytes, QDeadlineTimer& deadline, int idleMs,
                QString* error)
{
    const QString what = connection.describe();
    const Descriptor socket(connectTo(connection.target, connection.port, deadline, error, what));
    if (socket.get() < 0)
        return false;
    if (!writeAll(socket.get(), bytes, deadline, idleMs, error, what))
        return false;
    // Written is not yet received: wait until the printer has acknowledged the last byte.
    int waiting = -1;
    for (;;) {
        int unacknowledged = 0;
        if (::ioctl(socket.get(), SIOCOUTQ, &unacknowledged) != 0 || unacknowledged == 0)
            break;
        if (unacknowledged != waiting) {
            waiting = unacknowledged;
            deadline.setRemainingTime(idleMs);
        } else if (deadline.hasExpired()) {
            setError(error, what + QStringLiteral(": the printer did not take the data in time"));
            return false;
        }
        ::usleep(5000);
    }
    ::shutdown(socket.get(), SHUT_WR);
    return true;
}

bool sendToQueue(const QString& queue, const QByteArray& bytes, const QDeadlineTimer& deadline, QString* error)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/quorrel-raw-XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        setError(error, QStringLiteral("cannot keep the job in a file: ") + file.errorString());
        return false;
    }
    const int job = submitCupsJob(queue, file.fileName(), QStringLiteral("Quorrel receipt"),
                                  {{QByteArrayLiteral("raw"), QByteArrayLiteral("true")}}, error);
    return job != 0 && cupsJobGoesThrough(queue, job, int(qMax<qint64>(0, deadline.remainingTime())), error);
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

bool sendRaw(const RawConnection& connection, const QByteArray& bytes, int timeoutMs, QString* error)
{
    if (connection.target.isEmpty()) {
        setError(error, QStringLiteral("no printer connection set"));
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    const NoBrokenPipeSignal noSignal;
    switch (connection.kind) {
    case RawConnection::Kind::Network:
        return sendToHost(connection, bytes, deadline, timeoutMs, error);
    case RawConnection::Kind::CupsQueue:
        return sendToQueue(connection.target, bytes, deadline, error);
    case RawConnection::Kind::Device:
        break;
    }
    return sendToDevice(connection.target, bytes, deadline, timeoutMs, error);
}

} // namespace quorrel
