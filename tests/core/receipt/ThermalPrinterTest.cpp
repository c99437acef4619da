// The direct thermal printer: the receipt as a 1-bit strip, sent as ESC/POS to a network printer, a
// device file (a FIFO, a pseudo-terminal) and a raw CUPS queue, and read back dot for dot.

#include "core/receipt/ThermalPrinter.h"
#include "core/receipt/EscPos.h"
#include "core/receipt/PrinterStatus.h"
#include "core/receipt/ReceiptLayout.h"
#include "support/CupsServer.h"
#include "support/FakeReceiptPrinter.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <future>

namespace quorrel::test {
namespace {

ReceiptContent sale(int items)
{
    ReceiptContent content;
    content.shopName = QStringLiteral("小明便利店");
    content.ticketNumber = QStringLiteral("2612080000001");
    content.time = QStringLiteral("2026-12-08 07:00:20");
    for (int i = 0; i < items; ++i)
        content.items.append({QStringLiteral("商品%1号大包装加量").arg(i), QStringLiteral("1"), QStringLiteral("1.00"),
                              QStringLiteral("1.00")});
    content.totalQuantity = QString::number(items);
    content.totalAmount = content.totalDiscounted = QStringLiteral("%1.00").arg(items);
    content.received = QStringLiteral("100");
    content.change = QStringLiteral("%1.00").arg(100 - items);
    content.cashier = QStringLiteral("admin");
    content.paymentMethod = QStringLiteral("现金");
    content.remark = QStringLiteral("谢谢惠顾\n欢迎再来");
    return content;
}

ReceiptSettings withLogo()
{
    QImage logo(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < logo.height(); ++y) // a grey ramp: dithered, not cut at a threshold
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, qRgb(x, x, x));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    ReceiptSettings settings;
    settings.printLogo = true;
    settings.logo = bytes;
    return settings;
}

// The same receipt drawn straight onto the strip, as the printer should print it.
QImage expectedStrip(const ThermalSettings& thermal, const ReceiptContent& content, const ReceiptSettings& settings)
{
    RasterPrinter raster(thermal.widthDots());
    EXPECT_TRUE(layOutReceipt(raster, content, settings));
    return raster.strip().convertToFormat(QImage::Format_RGB32);
}

int blackDots(const QImage& image, int top, int bottom)
{
    int dots = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            dots += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dots;
}

void expectPrintedAsDrawn(const QByteArray& stream, const QImage& expected, const ThermalSettings& thermal)
{
    const DecodedEscPos decoded = decodeEscPos(stream, thermal.widthDots());
    EXPECT_TRUE(decoded.error.isEmpty()) << decoded.error.toStdString();
    EXPECT_TRUE(decoded.initialised) << "the stream begins with ESC @";
    EXPECT_LE(decoded.tallestBlock, 255);
    EXPECT_GT(decoded.blocks, 1) << "a receipt is several bands";
    EXPECT_GT(decoded.feedRows, 0);
    EXPECT_EQ(decoded.cut, thermal.cut);
    EXPECT_EQ(decoded.drawer, thermal.openDrawer);
    EXPECT_EQ(expected.width(), thermal.widthDots());
    ASSERT_EQ(decoded.picture.size(), expected.size());
    EXPECT_EQ(decoded.picture, expected) << "printed dot for dot as drawn";
    // Not a blank strip: the text and the dithered logo are there.
    EXPECT_GT(blackDots(decoded.picture, 0, decoded.picture.height()), 5000);
}

TEST(ThermalPrinterTest, NetworkPrinterReceivesTheReceiptDotForDotWithCutAndDrawerAsSet)
{
    const ReceiptContent content = sale(30);
    const ReceiptSettings settings = withLogo();
    for (const int paper : {58, 80}) {
        for (const bool extras : {false, true}) {
            SCOPED_TRACE(testing::Message() << paper << " mm, cut and drawer " << extras);
            FakeReceiptPrinter fake;
            ASSERT_TRUE(fake.listening());
            ThermalSettings thermal;
            thermal.enabled = true;
            thermal.connection.kind = RawConnection::Kind::Network;
            ASSERT_TRUE(thermal.connection.setHostAndPort(QStringLiteral("127.0.0.1:%1").arg(fake.port())));
            thermal.paperMillimetres = paper;
            thermal.cut = thermal.openDrawer = extras;
            ThermalPrinter printer(thermal);
            ASSERT_TRUE(layOutReceipt(printer, content, settings)) << printer.lastError().toStdString();
            expectPrintedAsDrawn(fake.received(), expectedStrip(thermal, content, settings), thermal);
        }
    }
    // The logo is dithered (a grey ramp gives scattered dots, not one edge) and text is not smoothed.
    RasterPrinter raster(384);
    ASSERT_TRUE(layOutReceipt(raster, content, settings));
    const QImage strip = raster.strip().convertToFormat(QImage::Format_RGB32);
    const int left = blackDots(strip.copy(0, 20, 100, 100), 0, 100);
    const int right = blackDots(strip.copy(200, 20, 100, 100), 0, 100);
    EXPECT_GT(left, right) << "dark end of the ramp has more dots";
    EXPECT_GT(right, 0) << "the light end is dithered, not thresholded away";
}

TEST(ThermalPrinterTest, DeviceFilesTakeTheStreamAsItIs)
{
    const ReceiptContent content = sale(3);
    ThermalSettings thermal;
    thermal.cut = true;
    RasterPrinter raster(thermal.widthDots());
    ASSERT_TRUE(layOutReceipt(raster, content, ReceiptSettings{}));
    const QByteArray expected = encodeEscPos(raster.strip(), {true, false});

    // A FIFO, as a USB printer's device file behaves: the stream arrives unchanged.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("lp0")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    thermal.connection = {RawConnection::Kind::Device, QString::fromLocal8Bit(fifo)};
    {
        ThermalPrinter printer(thermal);
        EXPECT_FALSE(layOutReceipt(printer, content, ReceiptSettings{})) << "nobody reads the FIFO: no printer";
        EXPECT_FALSE(printer.lastError().isEmpty());
    }
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    auto fromFifo = std::async(std::launch::async, [reader] { return readUntilQuiet(reader, 1000); });
    ThermalPrinter printer(thermal);
    EXPECT_TRUE(layOutReceipt(printer, content, ReceiptSettings{})) << printer.lastError().toStdString();
    EXPECT_EQ(fromFifo.get(), expected);
    ::close(reader);

    // A pseudo-terminal, as a serial or Bluetooth port: no byte is taken for a line end.
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    auto fromPty = std::async(std::launch::async, [master] { return readUntilQuiet(master, 1000); });
    thermal.connection = {RawConnection::Kind::Device, QString::fromLocal8Bit(name)};
    thermal.connection.baudRate = 19200;
    thermal.askStatus = false; // this end of the terminal reads, it does not answer
    ThermalPrinter serial(thermal);
    EXPECT_TRUE(layOutReceipt(serial, content, ReceiptSettings{})) << serial.lastError().toStdString();
    EXPECT_EQ(fromPty.get(), expected);
    termios port{};
    ASSERT_EQ(::tcgetattr(slave, &port), 0);
    EXPECT_EQ(::cfgetospeed(&port), speed_t(B19200)) << "the port runs at the speed chosen";
    EXPECT_TRUE(isSerialPortPath(QString::fromLocal8Bit(name)));
    EXPECT_FALSE(isSerialPortPath(QStringLiteral("/dev/usb/lp0")));
    ::close(slave);
    ::close(master);

    thermal.connection = {RawConnection::Kind::Device, dir.filePath(QStringLiteral("missing"))};
    ThermalPrinter missing(thermal);
    EXPECT_FALSE(layOutReceipt(missing, content, ReceiptSettings{}));
}

TEST(ThermalPrinterTest, ThePrinterIsAskedBeforeAndAfterTheReceiptAndTheTimeLimitIsOnProgress)
{
    const auto to = [](const FakeReceiptPrinter& fake) {
        RawConnection connection;
        connection.kind = RawConnection::Kind::Network;
        connection.target = QStringLiteral("127.0.0.1");
        connection.port = fake.port();
        return connection;
    };
    const QByteArray receipt(12 * 1024, 'x'); // more than 2,000 bytes, less than the buffers hold
    using Behaviour = FakeReceiptPrinter::Behaviour;
    using Outcome = RawSendResult::Outcome;
    {
        SCOPED_TRACE("ready: the receipt between the questions, printed once it answered after it");
        FakeReceiptPrinter fake;
        const RawSendResult result = sendRaw(to(fake), receipt, {1500});
        EXPECT_TRUE(result.sent()) << result.error.toStdString();
        EXPECT_EQ(fake.received(), statusQueries() + receipt + statusQueries());
    }
    {
        SCOPED_TRACE("paper end: nothing of the receipt is sent");
        FakeReceiptPrinter fake(Behaviour::PaperEnd);
        const RawSendResult result = sendRaw(to(fake), receipt, {1500});
        EXPECT_EQ(result.outcome, Outcome::NotReady);
        EXPECT_EQ(result.problem, QStringLiteral("缺纸"));
        EXPECT_EQ(fake.received(), statusQueries());
    }
    for (const Behaviour behaviour : {Behaviour::Stalls, Behaviour::ClosesEarly, Behaviour::Mute}) {
        SCOPED_TRACE(testing::Message() << "never reads, hangs up after 2,000 bytes, never answers: "
                                        << int(behaviour));
        FakeReceiptPrinter fake(behaviour);
        QElapsedTimer waited;
        waited.start();
        const RawSendResult result = sendRaw(to(fake), receipt, {1500});
        EXPECT_EQ(result.outcome, Outcome::NotSent);
        EXPECT_FALSE(result.error.isEmpty());
        EXPECT_LT(waited.elapsed(), 1500 + 2000);
    }
    {
        SCOPED_TRACE("a printer known not to answer, not asked: printed once it took the bytes");
        FakeReceiptPrinter fake(Behaviour::Mute);
        const RawSendResult result = sendRaw(to(fake), receipt, {1500, false});
        EXPECT_TRUE(result.sent()) << result.error.toStdString();
        EXPECT_EQ(fake.received(), receipt);
    }
    {
        SCOPED_TRACE("2 KB/s: far longer than the time limit in all, never that long without progress");
        FakeReceiptPrinter fake(Behaviour::Slow, 2048);
        QElapsedTimer waited;
        waited.start();
        const RawSendResult result = sendRaw(to(fake), receipt, {1500});
        EXPECT_TRUE(result.sent()) << result.error.toStdString();
        EXPECT_GT(waited.elapsed(), 2 * 1500);
        EXPECT_EQ(fake.received(), statusQueries() + receipt + statusQueries());
    }
}

TEST(ThermalPrinterTest, StatusAnswersAreReadAsThePrinterMeansThem)
{
    bool valid = false;
    EXPECT_FALSE(PrinterStatus::fromAnswers(QByteArrayLiteral("\x12\x12\x12\x12"), &valid).stopsPrinting());
    EXPECT_TRUE(valid);
    const PrinterStatus cover = PrinterStatus::fromAnswers(QByteArrayLiteral("\x1a\x16\x12\x12"), &valid);
    EXPECT_TRUE(valid);
    EXPECT_TRUE(cover.stopsPrinting());
    EXPECT_EQ(cover.problem(), QStringLiteral("纸仓盖打开"));
    const PrinterStatus nearEnd = PrinterStatus::fromAnswers(QByteArrayLiteral("\x12\x12\x12\x1e"), &valid);
    EXPECT_FALSE(nearEnd.stopsPrinting()) << "paper near its end still prints";
    PrinterStatus::fromAnswers(QByteArrayLiteral("OK\r\n"), &valid);
    EXPECT_FALSE(valid) << "an answer that is no status byte";
    EXPECT_EQ(statusRequestsIn(QByteArrayLiteral("\x10\x04\x10\x04\x01"
                                                 "ab\x10\x04\x05\x10\x04\x04")),
              2);
}

TEST(ThermalPrinterTest, RawCupsQueuePassesTheStreamUnchanged)
{
    CupsServer cups;
    QUORREL_START_CUPS_SERVER(cups);
    ASSERT_TRUE(cups.addQueue(QStringLiteral("Thermal")));
    ThermalSettings thermal;
    thermal.connection = {RawConnection::Kind::CupsQueue, QStringLiteral("Thermal")};
    thermal.openDrawer = true;
    const ReceiptContent content = sale(5);
    ThermalPrinter printer(thermal);
    ASSERT_TRUE(layOutReceipt(printer, content, ReceiptSettings{})) << printer.lastError().toStdString();
    const QList<CapturedJob> jobs = cups.waitForJobs(QStringLiteral("Thermal"), 1, 30000);
    ASSERT_EQ(jobs.size(), 1) << cups.lastError().toStdString();
    expectPrintedAsDrawn(jobs[0].data, expectedStrip(thermal, content, ReceiptSettings{}), thermal);

    ASSERT_TRUE(cups.rejectJobs(QStringLiteral("Thermal")));
    ThermalPrinter refused(thermal);
    EXPECT_FALSE(layOutReceipt(refused, content, ReceiptSettings{}));
}

TEST(ThermalPrinterTest, HostAndPortAreReadAsTyped)
{
    RawConnection connection;
    ASSERT_TRUE(connection.setHostAndPort(QStringLiteral(" 192.168.1.50 ")));
    EXPECT_EQ(connection.target, QStringLiteral("192.168.1.50"));
    EXPECT_EQ(connection.port, 9100);
    ASSERT_TRUE(connection.setHostAndPort(QStringLiteral("printer.local:9101")));
    EXPECT_EQ(connection.port, 9101);
    ASSERT_TRUE(connection.setHostAndPort(QStringLiteral("[fe80::1]:9102")));
    EXPECT_EQ(connection.target, QStringLiteral("fe80::1"));
    EXPECT_EQ(connection.port, 9102);
    EXPECT_FALSE(connection.setHostAndPort(QStringLiteral("printer:0")));
    EXPECT_FALSE(connection.setHostAndPort(QStringLiteral("printer:9x")));
    EXPECT_FALSE(connection.setHostAndPort(QString()));
}

} // namespace
} // namespace quorrel::test
