#include "support/FakeReceiptPrinter.h"

#include <QDeadlineTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quorrel::test {

namespace {

int listenOnLoopback(int receiveBuffer, int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (receiveBuffer > 0) // inherited by the accepted connection: it can hold almost nothing
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

} // namespace

FakeReceiptPrinter::FakeReceiptPrinter(Behaviour behaviour, int bytesPerSecond)
    : m_behaviour(behaviour), m_bytesPerSecond(bytesPerSecond)
{
    // The slow and the stalled printer can hold almost nothing: what they do not read stays with
    // the sender.
    const bool small = behaviour == Behaviour::Stalls || behaviour == Behaviour::Slow;
    m_listener = listenOnLoopback(small ? 1024 : 0, &m_port);
    if (m_listener >= 0 && ::listen(m_listener, 1) != 0) {
        ::close(m_listener);
        m_listener = -1;
    }
    if (m_listener >= 0)
        m_thread = std::thread([this] { serve(); });
}

FakeReceiptPrinter::~FakeReceiptPrinter()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

void FakeReceiptPrinter::serve()
{
    // One connection after the other, as a printer takes one job after the other.
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        serveConnection(connection);
        ::close(connection);
        m_done = true;
    }
    m_done = true;
}

void FakeReceiptPrinter::serveConnection(int connection)
{
    if (m_behaviour == Behaviour::Stalls) {
        while (!m_stop)
            QThread::msleep(20);
        return;
    }
    // Slow: a slice every 100 ms; the others read what there is.
    const bool slow = m_behaviour == Behaviour::Slow;
    const qsizetype slice = slow ? qMax(1, m_bytesPerSecond / 10) : 4096;
    char buffer[4096];
    qsizetype scanned = m_bytes.size(); // where the search for the next status request goes on
    qsizetype taken = 0;
    for (;;) {
        pollfd reading{connection, POLLIN, 0};
        if (m_stop)
            break;
        if (::poll(&reading, 1, 50) <= 0)
            continue;
        qsizetype wanted = qMin<qsizetype>(slice, sizeof buffer);
        if (m_behaviour == Behaviour::ClosesEarly)
            wanted = qMin<qsizetype>(wanted, 2000 - taken);
        const ssize_t n = ::read(connection, buffer, size_t(wanted));
        if (n <= 0)
            break;
        QByteArray answers;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_bytes.append(buffer, n);
            taken += n;
            // Real-time requests are answered wherever they stand, as the printer reads them.
            while (scanned + 2 < m_bytes.size()) {
                const char n3 = m_bytes[scanned + 2];
                if (m_bytes[scanned] == '\x10' && m_bytes[scanned + 1] == '\x04' && n3 >= 1 && n3 <= 4) {
                    answers.append(answer(n3));
                    scanned += 3;
                } else {
                    ++scanned;
                }
            }
            if (m_behaviour == Behaviour::ClosesEarly && taken >= 2000)
                break;
        }
        if (m_behaviour != Behaviour::Mute && !answers.isEmpty() &&
            ::write(connection, answers.constData(), size_t(answers.size())) != answers.size())
            break;
        if (slow)
            QThread::msleep(100);
    }
}

char FakeReceiptPrinter::answer(int n) const
{
    // Bits 1 and 4 are always set; paper end stops the printer, and so takes it off-line.
    if (m_behaviour != Behaviour::PaperEnd)
        return '\x12';
    switch (n) {
    case 1:
        return '\x1a'; // off-line
    case 2:
        return '\x32'; // printing stopped at paper end
    case 4:
        return '\x72'; // paper roll end
    default:
        return '\x12';
    }
}

QByteArray FakeReceiptPrinter::received(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_done && !deadline.hasExpired())
        QThread::msleep(10);
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_done ? m_bytes : QByteArray();
}

int FakeReceiptPrinter::refusingPort()
{
    int port = 0;
    const int fd = listenOnLoopback(0, &port);
    if (fd >= 0)
        ::close(fd); // bound but never listening: nothing answers there now
    return port;
}

DecodedEscPos decodeEscPos(const QByteArray& stream, int widthDots)
{
    DecodedEscPos decoded;
    const auto byte = [&stream](qsizetype i) { return i < stream.size() ? uchar(stream[i]) : 0; };
    qsizetype i = 0;
    while (byte(i) == 0x10 && byte(i + 1) == 0x04) // status requests before the receipt
        i += 3;
    if (byte(i) == 0x1b && byte(i + 1) == 0x40) {
        decoded.initialised = true;
        i += 2;
    }
    QList<QImage> blocks;
    QList<int> gaps; // rows fed before each block
    while (i < stream.size() && decoded.error.isEmpty()) {
        const uchar a = byte(i);
        const uchar b = byte(i + 1);
        if (a == 0x1d && b == 0x76 && byte(i + 2) == 0x30) {
            const int rowBytes = byte(i + 4) | byte(i + 5) << 8;
            const int rows = byte(i + 6) | byte(i + 7) << 8;
            i += 8;
            if (rowBytes * 8 > (widthDots + 7) / 8 * 8) {
                decoded.error = QStringLiteral("a raster block of %1 bytes is wider than the paper").arg(rowBytes);
                break;
            }
            if (i + qsizetype(rowBytes) * rows > stream.size()) {
                decoded.error = QStringLiteral("a raster block runs past the end of the stream");
                break;
            }
            QImage block(rowBytes * 8, rows, QImage::Format_RGB32);
            for (int y = 0; y < rows; ++y) {
                for (int x = 0; x < rowBytes * 8; ++x) {
                    const bool black = byte(i + y * rowBytes + x / 8) & (0x80 >> (x % 8));
                    block.setPixel(x, y, black ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
                }
            }
            i += qsizetype(rowBytes) * rows;
            blocks << block; // rows fed before it are white paper in the picture
            gaps << decoded.feedRows;
            decoded.feedRows = 0;
            decoded.tallestBlock = qMax(decoded.tallestBlock, rows);
        } else if (a == 0x1b && b == 0x4a) {
            decoded.feedRows += byte(i + 2);
            i += 3;
        } else if (a == 0x1d && b == 0x56) {
            decoded.cut = true;
            i += 3;
        } else if (a == 0x10 && b == 0x04) { // a status request: nothing on paper
            i += 3;
        } else if (a == 0x1b && b == 0x70) {
            decoded.drawer = true;
            i += 5;
        } else {
            decoded.error = QStringLiteral("unknown command %1 %2 at byte %3").arg(a, 2, 16).arg(b, 2, 16).arg(i);
        }
    }
    decoded.blocks = int(blocks.size());
    int height = 0;
    for (int k = 0; k < blocks.size(); ++k)
        height += gaps[k] + blocks[k].height();
    decoded.picture = QImage(widthDots, height, QImage::Format_RGB32);
    decoded.picture.fill(Qt::white);
    int top = 0;
    for (int k = 0; k < blocks.size(); ++k) {
        top += gaps[k];
        const QImage& block = blocks[k];
        for (int y = 0; y < block.height(); ++y)
            for (int x = 0; x < qMin(block.width(), widthDots); ++x)
                decoded.picture.setPixel(x, top + y, block.pixel(x, y));
        top += block.height();
    }
    return decoded;
}

QByteArray readUntilQuiet(int fd, int timeoutMs)
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        pollfd reading{fd, POLLIN, 0};
        if (::poll(&reading, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

} // namespace quorrel::test
