// The receipt as ink: on paper (a PDF as the printer receives it, rasterised at a printer's
// resolution), on a thermal printer's raster and on the preview board, no text touches a rule.

#include "support/AppDriver.h"

#include "core/shop/ShopSettings.h"

#include "core/receipt/PainterPrinter.h"
#include "core/receipt/RasterPrinter.h"
#include "core/receipt/ReceiptLayout.h"
#include "core/sales/Sale.h"
#include "core/shop/Session.h"
#include "gui/app/MainWindow.h"
#include "gui/receipt/BoardWidget.h"
#include "gui/receipt/PreviewWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "mock/MockClock.h"

#include <QBuffer>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtMath>

namespace quorrel::test {
namespace {

bool inked(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 250;
}

// A rule's row: ink from one end to the other, at least `minLength` pixels, with no gap wider than
// the dotting (a PDF viewed below the resolution it was made at shows the dots joined). Text never
// looks like this: a row through it has gaps between its columns and words.
bool isRuleRow(const QImage& image, int y, int minLength)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (!inked(image, x, y))
            continue;
        if (first < 0)
            first = x;
        else if (x - last > 6)
            return false;
        last = x;
    }
    return first >= 0 && last - first >= minLength;
}

// Checks that the image shows `rules` dotted rules and that the two rows above and below each hold
// no ink at all; `what` names the image in failures.
void expectRulesClear(const QImage& image, int rules, double dotsPerMm, const QString& what)
{
    SCOPED_TRACE(what.toStdString());
    ASSERT_FALSE(image.isNull());
    const int minLength = qRound(35 * dotsPerMm);
    QList<QPair<int, int>> bands; // first and last row of each rule
    for (int y = 0; y < image.height(); ++y) {
        if (!isRuleRow(image, y, minLength))
            continue;
        if (!bands.isEmpty() && bands.last().second == y - 1)
            bands.last().second = y;
        else
            bands.append({y, y});
    }
    ASSERT_EQ(bands.size(), rules) << "dotted rules found in the image";
    for (const auto& [top, bottom] : bands) {
        for (const int y : {top - 2, top - 1, bottom + 1, bottom + 2}) {
            if (y < 0 || y >= image.height())
                continue;
            int ink = 0;
            for (int x = 0; x < image.width(); ++x)
                ink += inked(image, x, y) ? 1 : 0;
            EXPECT_EQ(ink, 0) << "ink in row " << y << " beside the rule at row " << top;
        }
    }
}

// The receipt as the printer receives it, rasterised the way a printer without smoothing would.
QImage rasterisedPdf(const QString& pdf, int dotsPerInch)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty()) {
        ADD_FAILURE() << "pdftoppm is missing (poppler-utils)";
        return QImage();
    }
    QProcess process;
    process.start(tool, {QStringLiteral("-r"), QString::number(dotsPerInch), QStringLiteral("-aa"),
                         QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"),
                         QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, pdf});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QImage(pdf + QStringLiteral(".png"));
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return bytes;
}

// A logo that fills the upper part of its box, as shop logos do.
QByteArray logoPng()
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRect(120, 10, 160, 150));
    painter.end();
    return pngBytes(image);
}

const QString kLongName = QStringLiteral("大包装的薯片原味加量装特惠");

class ReceiptInkTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        MockClock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(7, 0, 20)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }
};

TEST_F(ReceiptInkTest, NoTextTouchesARuleOnPaperOnTheThermalRasterOrOnTheBoard)
{
    shop.exec(QStringLiteral("update 配置文件 set 店名='小明便利店', 是否打印logo='真', logo=? where ID=1"),
              {logoPng()});
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    // The sale as the main window holds it after three lines, with a remark of two scripts.
    Sale sale;
    sale.addLine({QStringLiteral("可口可乐(330ml)"), QStringLiteral("2"), QStringLiteral("2.50"),
                  QStringLiteral("5.00"), QStringLiteral("5.00")});
    sale.addLine(
        {kLongName, QStringLiteral("1"), QStringLiteral("7.80"), QStringLiteral("7.80"), QStringLiteral("7.80")});
    sale.addLine({QStringLiteral("牛奶"), QStringLiteral("1"), QStringLiteral("1.00"), QStringLiteral("1.00"),
                  QStringLiteral("1.00")});
    SaleHeader header;
    header.shopName = QStringLiteral("小明便利店");
    header.ticketNumber = QStringLiteral("2612080000001");
    header.time = QStringLiteral("2026-12-08  07:00:20");
    header.cashier = QStringLiteral("admin");
    header.remark = QStringLiteral("谢谢惠顾 Thank you");
    header.received = QStringLiteral("20");
    header.change = QStringLiteral("6.20");
    header.paymentMethod = QStringLiteral("现金");
    ReceiptPrinting receipts(app->currentSession().shop.settings(), main);
    QTemporaryDir out;

    for (const bool withPrice : {true, false}) {
        const QString layout = withPrice ? QStringLiteral("with price") : QStringLiteral("without price");
        ASSERT_TRUE(app->currentSession().shop.settings().setFlag(setting::kPrintUnitPrice, withPrice));
        const ReceiptContent content = receiptOf(sale, header);
        const ReceiptSettings settings = receipts.readSettings();
        ASSERT_FALSE(settings.logo.isEmpty());
        RecordingPrinter recorded;
        ASSERT_TRUE(layOutReceipt(recorded, content, settings));
        const int rules = int(recorded.ofKind(RecordingPrinter::Kind::DrawLine).size());
        ASSERT_EQ(recorded.written(kLongName), nullptr) << "a name on two lines";

        const QString pdf = out.filePath(QStringLiteral("receipt-%1.pdf").arg(withPrice));
        PdfPrinter paper(pdf);
        ASSERT_TRUE(layOutReceipt(paper, content, settings));
        expectRulesClear(rasterisedPdf(pdf, 300), rules, 300 / 25.4, layout + QStringLiteral(", PDF at 300 dpi"));

        RasterPrinter thermal(384);
        ASSERT_TRUE(layOutReceipt(thermal, content, settings));
        expectRulesClear(thermal.strip(), rules, 8, layout + QStringLiteral(", thermal strip at 203 dpi"));

        PreviewWindow preview(receipts, content, main);
        const BoardWidget* board = Unit<BoardWidget>(&preview, QStringLiteral("画板1"));
        ASSERT_NE(board, nullptr);
        expectRulesClear(board->picture(), rules, board->logicalDpiY() / 25.4, layout + QStringLiteral(", board"));
    }
}

// Records the receipt while measuring its texts as `measure` does: the layout is the one that
// printer gets.
class MeasuringRecorder : public RecordingPrinter
{
public:
    explicit MeasuringRecorder(Printer& measure) : m_measure(measure) {}
    void setFont(const QString& face, int points, bool bold) override
    {
        RecordingPrinter::setFont(face, points, bold);
        m_measure.setFont(face, points, bold);
    }
    int textWidth(const QString& text) override { return m_measure.textWidth(text); }

private:
    Printer& m_measure;
};

struct Ink
{
    QString what;
    QRect box;
};

QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Each text and picture of the recorded receipt drawn alone on a board of its own, as the printer
// draws it: where its ink lies.
QList<Ink> inkOf(const RecordingPrinter& recorded, QSize board, int dotsPerInch, bool bilevel)
{
    using Kind = RecordingPrinter::Kind;
    QList<Ink> inks;
    RecordingPrinter::Operation font(Kind::SetFont);
    QPoint writePosition;
    for (const RecordingPrinter::Operation& op : recorded.operations()) {
        if (op.kind == Kind::SetFont)
            font = op;
        if (op.kind == Kind::SetWritePosition)
            writePosition = QPoint(op.x1, op.y1);
        if (op.kind != Kind::WriteAt && op.kind != Kind::WriteLines && op.kind != Kind::DrawPicture)
            continue;
        ImagePrinter alone(board, dotsPerInch);
        alone.setBilevel(bilevel);
        EXPECT_TRUE(alone.startDocument());
        alone.setFont(font.text, font.points, font.bold);
        if (op.kind == Kind::WriteAt)
            alone.writeAt(op.x1, op.y1, op.text);
        if (op.kind == Kind::DrawPicture)
            alone.drawPicture(op.bytes, op.x1, op.y1, op.x2, op.y2);
        if (op.kind == Kind::WriteLines) {
            alone.setWritePosition(writePosition.x(), writePosition.y());
            alone.writeLines(op.text);
        }
        alone.endDocument();
        const QRect box = inkBox(alone.image());
        if (!box.isNull())
            inks.append({op.kind == Kind::DrawPicture ? QStringLiteral("the logo") : op.text, box});
    }
    return inks;
}

// A wide logo inked to its edges: stretched into the old box, or with the header over its bottom,
// it would share ink with the shop name.
QByteArray framedLogo()
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.fillRect(QRect(8, 8, 284, 84), Qt::white);
    painter.fillRect(QRect(40, 30, 220, 40), Qt::black);
    painter.end();
    return pngBytes(image);
}

TEST_F(ReceiptInkTest, NoTwoTextsOrPicturesShareInkAndNothingRunsOffTheStrip)
{
    ReceiptContent longNames;
    longNames.shopName = QStringLiteral("小明便利店");
    longNames.ticketNumber = QStringLiteral("2612080000001");
    longNames.time = QStringLiteral("2026-12-08  07:00:20");
    longNames.items = {
        {QStringLiteral("进口红富士苹果礼盒装特大号"), QStringLiteral("2"), QStringLiteral("1288.00"),
         QStringLiteral("2576.00")},
        {QStringLiteral("牛奶"), QStringLiteral("12.5"), QStringLiteral("9999.99"), QStringLiteral("124999.88")},
        {QStringLiteral("Imported Fuji apples gift box extra large"), QStringLiteral("1"), QStringLiteral("35.00"),
         QStringLiteral("35.00")}};
    longNames.totalQuantity = QStringLiteral("15.5");
    longNames.totalAmount = longNames.totalDiscounted = QStringLiteral("127610.88");
    longNames.received = QStringLiteral("130000.00");
    longNames.change = QStringLiteral("2389.12");
    longNames.cashier = QStringLiteral("收银员张三丰");
    longNames.paymentMethod = QStringLiteral("银行卡（工商银行）");
    longNames.remark = QStringLiteral("谢谢惠顾，欢迎再来！本店商品七天内凭小票可退换，生鲜除外。\nThank you");

    ReceiptSettings logo;
    logo.printLogo = true;
    logo.logo = framedLogo();
    logo.logoOffset = 30;

    const int rulesEnd = 480; // tenths of a millimetre: the 48 mm a 58 mm strip prints
    struct Device
    {
        const char* name;
        ReceiptStyle style;
        int dotsPerInch;
        bool bilevel;
    };
    for (const Device& device : {Device{"paper at 300 dpi", ReceiptStyle::Printed, 300, false},
                                 Device{"thermal strip", ReceiptStyle::Printed, RasterPrinter::kDotsPerInch, true},
                                 Device{"preview", ReceiptStyle::Preview, 300, false}}) {
        for (const bool withPrice : {true, false}) {
            for (const bool withLogo : {true, false}) {
                SCOPED_TRACE(testing::Message() << device.name << (withPrice ? ", with price" : ", without price")
                                                << (withLogo ? ", logo" : ""));
                ReceiptSettings settings = withLogo ? logo : ReceiptSettings{};
                settings.withUnitPrice = withPrice;
                ImagePrinter measure(QSize(10, 10), device.dotsPerInch);
                measure.setBilevel(device.bilevel);
                MeasuringRecorder recorded(measure);
                layOutReceipt(recorded, longNames, settings, device.style);
                EXPECT_EQ(recorded.written(longNames.items[0].name), nullptr) << "the long name wraps";
                int bottom = 0;
                for (const auto& op : recorded.operations())
                    bottom = qMax(bottom, op.y1 + 100);
                const auto dots = [&device](int tenths) { return qCeil(tenths * device.dotsPerInch / 254.0); };
                const QList<Ink> inks =
                    inkOf(recorded, QSize(dots(700), dots(bottom)), device.dotsPerInch, device.bilevel);
                ASSERT_GT(inks.size(), 20);
                for (int i = 0; i < inks.size(); ++i) {
                    EXPECT_LE(inks[i].box.right(), dots(rulesEnd + 5))
                        << inks[i].what.toStdString() << " runs past the end of the strip";
                    for (int j = i + 1; j < inks.size(); ++j) {
                        EXPECT_FALSE(inks[i].box.intersects(inks[j].box))
                            << inks[i].what.toStdString() << " and " << inks[j].what.toStdString() << " share ink";
                    }
                }
            }
        }
    }
}

// What the ink fitting measures is kept from receipt to receipt. A receipt must come out the same
// whatever was drawn before it: bilevel or smoothed first, on a fresh printer or on one that drew a
// preview in other faces, and after more texts than are kept were measured.
TEST_F(ReceiptInkTest, AReceiptComesOutTheSameWhateverWasDrawnBefore)
{
    // Remark lines with signs that rise or drop beyond the room of ordinary text, so that their own
    // ink decides where they go (shifted or shrunk), and differs between smoothed and bilevel text.
    const QStringList tall{QStringLiteral("Ǻ𝔊 ∫"), QStringLiteral("𝔊"), QStringLiteral("‖ ⎛⎞ ǺŲ"),
                           QStringLiteral("g̰̃〖〗")};
    // The same lines with a trailing blank: the same ink, but texts not measured before.
    QStringList padded;
    for (const QString& line : tall)
        padded << line + u' ';
    const auto receipt = [](const QStringList& remark) {
        ReceiptContent content;
        content.shopName = QStringLiteral("Ǻ𝔊小店");
        content.ticketNumber = QStringLiteral("2612080000001");
        content.time = QStringLiteral("2026-12-08  07:00:20");
        content.items = {{QStringLiteral("牛奶"), QStringLiteral("1"), QStringLiteral("1.00"), QStringLiteral("1.00")}};
        content.cashier = QStringLiteral("admin");
        content.remark = remark.join(u'\n');
        return content;
    };
    const auto onBoard = [](ImagePrinter& board, const ReceiptContent& content) {
        board.clearBoard();
        EXPECT_TRUE(layOutReceipt(board, content, ReceiptSettings{}));
        return board.image();
    };
    const auto onStrip = [](const ReceiptContent& content) {
        RasterPrinter thermal(384);
        EXPECT_TRUE(layOutReceipt(thermal, content, ReceiptSettings{}));
        return thermal.strip();
    };
    const QSize boardSize(384, 900);

    // Bilevel first, then smoothed on a board that showed a preview before.
    const QImage stripFirst = onStrip(receipt(tall));
    ImagePrinter used(boardSize, RasterPrinter::kDotsPerInch);
    ASSERT_TRUE(used.startDocument());
    ReceiptSettings withoutPrice;
    withoutPrice.withUnitPrice = false;
    layOutReceipt(used, receipt(tall), withoutPrice, ReceiptStyle::Preview);
    used.endDocument();
    const QImage boardAfter = onBoard(used, receipt(tall));
    // Smoothed first on a fresh board, then bilevel.
    ImagePrinter fresh(boardSize, RasterPrinter::kDotsPerInch);
    const QImage boardFirst = onBoard(fresh, receipt(padded));
    const QImage stripAfter = onStrip(receipt(padded));
    EXPECT_TRUE(boardAfter == boardFirst) << "smoothed receipt depends on what was drawn before";
    EXPECT_TRUE(stripAfter == stripFirst) << "bilevel receipt depends on what was drawn before";

    // Thousands of other texts measured in between.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << QStringLiteral("备注%1").arg(i);
    ImagePrinter other(QSize(384, 100), RasterPrinter::kDotsPerInch);
    onBoard(other, receipt(many));
    ImagePrinter again(boardSize, RasterPrinter::kDotsPerInch);
    EXPECT_TRUE(onBoard(again, receipt(tall)) == boardFirst);
    EXPECT_TRUE(onStrip(receipt(tall)) == stripFirst);
}

} // namespace
} // namespace quorrel::test
