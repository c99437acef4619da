#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

namespace quorrel::test {

// A network receipt printer on a local TCP port: it takes one connection and keeps every byte until
// the sender closes it, answering every real-time status request (DLE EOT n) in what it reads as an
// ESC/POS printer does.
class FakeReceiptPrinter
{
public:
    enum class Behaviour
    {
        Prints,      // reads at once, answers "ready"
        Stalls,      // accepts the connection and then reads nothing
        ClosesEarly, // reads the first 2,000 bytes and closes the connection
        Slow,        // reads `bytesPerSecond`, answers "ready"
        PaperEnd,    // reads at once, answers "paper end" (and so off-line)
        Mute,        // reads at once and never answers a status request
    };

    explicit FakeReceiptPrinter(Behaviour behaviour = Behaviour::Prints, int bytesPerSecond = 2048);
    ~FakeReceiptPrinter();
    FakeReceiptPrinter(const FakeReceiptPrinter&) = delete;
    FakeReceiptPrinter& operator=(const FakeReceiptPrinter&) = delete;

    bool listening() const { return m_listener >= 0; }
    int port() const { return m_port; }
    // The bytes of the connections once the sender closed the first; empty when none came in
    // `timeoutMs`.
    QByteArray received(int timeoutMs = 10000);

    // A port on this machine where nothing listens: connections are refused.
    static int refusingPort();

private:
    void serve();
    void serveConnection(int connection);

    // The answer to DLE EOT n.
    char answer(int n) const;

    Behaviour m_behaviour;
    int m_bytesPerSecond;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::mutex m_mutex;
    QByteArray m_bytes;
    std::thread m_thread;
};

// A receipt stream as the printer would read it.
struct DecodedEscPos
{
    bool initialised = false; // began with ESC @
    QImage picture;           // the paper: GS v 0 blocks one under the other, fed rows white
    int feedRows = 0;         // rows fed after the last block
    int blocks = 0;
    int tallestBlock = 0;
    bool cut = false;
    bool drawer = false;
    QString error; // set when the stream holds something this decoder does not know
};

// A receipt stream as a printer with `widthDots` dots across reads it; a block wider than that is an
// error.
DecodedEscPos decodeEscPos(const QByteArray& stream, int widthDots);

// Reads everything from `fd` until end of file or `timeoutMs` without data; for FIFOs and ptys.
QByteArray readUntilQuiet(int fd, int timeoutMs);

} // namespace quorrel::test
