// Laying out and rendering one 30-line receipt: to a PDF file, on the preview's board as the
// screen shows it, and as the ESC/POS stream a 58 mm thermal printer receives (goal: under 10 ms;
// the counter "bytes" is what is sent). The same receipt again and again lets the printers reuse what
// they measured of its texts; the "NewSale" runs name other products in every receipt, as a shop's
// next sale does.

#include "core/receipt/EscPos.h"
#include "core/receipt/PainterPrinter.h"
#include "core/receipt/RasterPrinter.h"
#include "core/receipt/ReceiptLayout.h"
#include "gui/widgets/Fonts.h"
#include "support/RatioReport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// `sale` numbers the products: every sale names others.
quorrel::ReceiptContent thirtyLines(int sale = 0)
{
    quorrel::ReceiptContent content;
    content.shopName = QStringLiteral("好邻居便利店");
    content.ticketNumber = QStringLiteral("1612070000042");
    content.time = QStringLiteral("2026-12-07  09:05:07");
    for (int i = 0; i < 30; ++i)
        content.items.append({i % 4 == 0 ? QStringLiteral("大包装的薯片原味%1").arg(sale * 30 + i)
                                         : QStringLiteral("矿泉水%1").arg(sale * 30 + i),
                              QStringLiteral("2"), QStringLiteral("1.50"), QStringLiteral("3.00")});
    content.totalQuantity = QStringLiteral("60");
    content.totalAmount = QStringLiteral("90.00");
    content.totalDiscounted = QStringLiteral("90.00");
    content.received = QStringLiteral("100");
    content.change = QStringLiteral("10.00");
    content.cashier = QStringLiteral("admin");
    content.paymentMethod = QStringLiteral("现金");
    content.remark = QStringLiteral("谢谢惠顾\n欢迎再次光临！");
    return content;
}

void ReceiptToPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipt.pdf"));
    const quorrel::ReceiptContent content = thirtyLines();
    const quorrel::ReceiptSettings settings;
    for (auto _ : state) {
        quorrel::PdfPrinter printer(path);
        quorrel::layOutReceipt(printer, content, settings);
    }
    if (QFile(path).size() == 0)
        state.SkipWithError("no PDF was written");
}
BENCHMARK(ReceiptToPdf)->Unit(benchmark::kMillisecond)->Repetitions(5);

void ReceiptToPdfNewSale(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("receipt.pdf"));
    const quorrel::ReceiptSettings settings;
    static int sale = 0;
    for (auto _ : state) {
        const quorrel::ReceiptContent content = thirtyLines(++sale);
        quorrel::PdfPrinter printer(path);
        quorrel::layOutReceipt(printer, content, settings);
    }
    if (QFile(path).size() == 0)
        state.SkipWithError("no PDF was written");
}
BENCHMARK(ReceiptToPdfNewSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PreviewBoard(benchmark::State& state)
{
    const quorrel::ReceiptContent content = thirtyLines();
    const quorrel::ReceiptSettings settings;
    for (auto _ : state) {
        quorrel::ImagePrinter board(QSize(192, 610), 96);
        board.clearBoard();
        board.startDocument();
        quorrel::layOutReceipt(board, content, settings, quorrel::ReceiptStyle::Preview);
        board.endDocument();
        benchmark::DoNotOptimize(board.image().constBits());
    }
}
BENCHMARK(PreviewBoard)->Unit(benchmark::kMillisecond)->Repetitions(5);

void PreviewBoardNewSale(benchmark::State& state)
{
    const quorrel::ReceiptSettings settings;
    static int sale = 0;
    for (auto _ : state) {
        const quorrel::ReceiptContent content = thirtyLines(++sale);
        quorrel::ImagePrinter board(QSize(192, 610), 96);
        board.clearBoard();
        board.startDocument();
        quorrel::layOutReceipt(board, content, settings, quorrel::ReceiptStyle::Preview);
        board.endDocument();
        benchmark::DoNotOptimize(board.image().constBits());
    }
}
BENCHMARK(PreviewBoardNewSale)->Unit(benchmark::kMillisecond)->Repetitions(5);

void EscPosReceipt58mm(benchmark::State& state)
{
    const quorrel::ReceiptContent content = thirtyLines();
    const quorrel::ReceiptSettings settings;
    qsizetype bytes = 0;
    for (auto _ : state) {
        quorrel::RasterPrinter raster(384);
        quorrel::layOutReceipt(raster, content, settings);
        const QByteArray stream = quorrel::encodeEscPos(raster.strip(), {true, true});
        bytes = stream.size();
        benchmark::DoNotOptimize(stream.constData());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(EscPosReceipt58mm)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quorrel::installLookAndLanguage(app);
    return quorrel::bench::runWithRatios(argc, argv, {});
}
