// The receipt's layout, recorded operation by operation, in both layouts and both styles.

#include "core/receipt/ReceiptLayout.h"
#include "core/store/Gbk.h"
#include "mock/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

namespace quorrel {
namespace {

using Kind = RecordingPrinter::Kind;

ReceiptContent sale(int items)
{
    ReceiptContent content;
    content.shopName = QStringLiteral("好邻居便利店"); // 12 bytes
    content.ticketNumber = QStringLiteral("1608240000001");
    content.time = QStringLiteral("2016-08-24  09:05:07");
    for (int i = 0; i < items; ++i)
        content.items.append(
            {QStringLiteral("糖%1").arg(i), QStringLiteral("3"), QStringLiteral("1.10"), QStringLiteral("3.30")});
    content.totalQuantity = QStringLiteral("9");
    content.totalAmount = QStringLiteral("9.90");
    content.totalDiscounted = QStringLiteral("9.90");
    content.received = QStringLiteral("10");
    content.change = QStringLiteral("0.10");
    content.cashier = QStringLiteral("admin");
    content.paymentMethod = QStringLiteral("现金");
    content.remark = QStringLiteral("谢谢惠顾");
    return content;
}

struct Laid
{
    RecordingPrinter printer;
    QList<int> ruleYs() const
    {
        QList<int> ys;
        for (const auto& op : printer.ofKind(Kind::DrawLine))
            ys << op.y1;
        return ys;
    }
    int Y(const QString& text) const
    {
        const auto* op = printer.written(text);
        EXPECT_NE(op, nullptr) << "not written: " << text.toStdString();
        return op ? op->y1 : -1;
    }
    int X(const QString& text) const
    {
        const auto* op = printer.written(text);
        EXPECT_NE(op, nullptr) << "not written: " << text.toStdString();
        return op ? op->x1 : -1;
    }
};

TEST(ReceiptLayoutTest, VerticalSummaryWithoutAndWithLogo)
{
    for (const bool logo : {false, true}) {
        for (const int n : {0, 1, 3}) {
            SCOPED_TRACE(testing::Message() << "logo " << logo << ", " << n << " items");
            Laid laid;
            ReceiptSettings settings;
            settings.printLogo = logo;
            settings.logo = QByteArray("not an image");
            layOutReceipt(laid.printer, sale(n), settings);
            const int y0 = logo ? 220 : 0;
            const int r = 40 * n;
            const auto& ops = laid.printer.operations();
            ASSERT_FALSE(ops.isEmpty());
            EXPECT_EQ(ops.first().kind, Kind::StartDocument);
            EXPECT_EQ(ops.last().kind, Kind::EndDocument);
            EXPECT_EQ(laid.printer.documents(), 1);
            const auto pictures = laid.printer.ofKind(Kind::DrawPicture);
            EXPECT_TRUE(pictures.isEmpty()) << "bytes that are no picture draw nothing, and keep its room";
            EXPECT_EQ(laid.Y(QStringLiteral("好邻居便利店")), y0 + 10);
            EXPECT_EQ(laid.ruleYs(),
                      (QList<int>{y0 + 60, y0 + 68, y0 + 155, y0 + r + 225, y0 + r + 410, y0 + r + 418}));
            EXPECT_EQ(laid.Y(QStringLiteral("单号：1608240000001")), y0 + 80);
            EXPECT_EQ(laid.Y(QStringLiteral("时间：2016-08-24  09:05:07")), y0 + 120);
            EXPECT_EQ(laid.Y(QStringLiteral("名称")), y0 + 180);
            if (n > 0) {
                EXPECT_EQ(laid.Y(QStringLiteral("糖0")), y0 + 230);
            }
            EXPECT_EQ(laid.Y(QStringLiteral("合计数量:9")), y0 + r + 240);
            EXPECT_EQ(laid.Y(QStringLiteral("折后总额:9.90")), y0 + r + 280);
            EXPECT_EQ(laid.Y(QStringLiteral("实收现金:10")), y0 + r + 320);
            EXPECT_EQ(laid.Y(QStringLiteral("收银员:admin")), y0 + r + 360);
            const auto start = laid.printer.ofKind(Kind::SetWritePosition);
            ASSERT_EQ(start.size(), 1);
            EXPECT_EQ(start[0].y1, y0 + r + 440);
            for (const auto& rule : laid.printer.ofKind(Kind::DrawLine))
                EXPECT_EQ(rule.x2, 480);
        }
    }
}

// The right end of a written text, as the recording printer measures it.
int rightOf(const RecordingPrinter::Operation* op)
{
    EXPECT_NE(op, nullptr);
    return op ? op->x1 + int(gbkLength(op->text)) * fontHeight(9) / 2 : -1;
}

TEST(ReceiptLayoutTest, NumbersAreRightAlignedUnderTheirHeadsAndWideOnesTakeRoomFromTheName)
{
    for (const bool withPrice : {true, false}) {
        SCOPED_TRACE(withPrice ? "with price" : "without price");
        ReceiptSettings settings;
        settings.withUnitPrice = withPrice;
        ReceiptContent content = sale(0);
        content.items = {
            {QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.10"), QStringLiteral("3.30")},
            {QStringLiteral("盐"), QStringLiteral("12.5"), QStringLiteral("1234.50"), QStringLiteral("15431.25")}};
        Laid laid;
        layOutReceipt(laid.printer, content, settings);
        const auto& p = laid.printer;
        EXPECT_EQ(rightOf(p.written(QStringLiteral("金额"))), 480) << "the last column ends with the rules";
        EXPECT_EQ(rightOf(p.written(QStringLiteral("3.30"))), 480);
        EXPECT_EQ(rightOf(p.written(QStringLiteral("15431.25"))), 480);
        EXPECT_EQ(rightOf(p.written(QStringLiteral("3"))), rightOf(p.written(QStringLiteral("数量"))));
        EXPECT_EQ(rightOf(p.written(QStringLiteral("12.5"))), rightOf(p.written(QStringLiteral("数量"))));
        if (withPrice) {
            EXPECT_EQ(rightOf(p.written(QStringLiteral("1234.50"))), rightOf(p.written(QStringLiteral("单价"))));
            EXPECT_LT(rightOf(p.written(QStringLiteral("1234.50"))), laid.X(QStringLiteral("15431.25")))
                << "a four-digit price keeps clear of the amount";
            EXPECT_LT(rightOf(p.written(QStringLiteral("12.5"))), laid.X(QStringLiteral("1234.50")));
        } else {
            EXPECT_EQ(p.written(QStringLiteral("单价")), nullptr);
            EXPECT_EQ(p.written(QStringLiteral("1.10")), nullptr);
            EXPECT_LT(rightOf(p.written(QStringLiteral("12.5"))), laid.X(QStringLiteral("15431.25")));
        }
        EXPECT_EQ(laid.X(QStringLiteral("名称")), 0);
        EXPECT_LT(rightOf(p.written(QStringLiteral("盐"))), laid.X(QStringLiteral("12.5")));
    }
}

TEST(ReceiptLayoutTest, ALongNameWrapsInItsColumnWithItsNumbersOnItsLastLine)
{
    ReceiptContent content = sale(0);
    const QString name = QStringLiteral("进口红富士苹果礼盒装特大号");
    content.items = {{name, QStringLiteral("2"), QStringLiteral("88.00"), QStringLiteral("176.00")},
                     {QStringLiteral("牛奶"), QStringLiteral("1"), QStringLiteral("1.00"), QStringLiteral("1.00")}};
    Laid laid;
    layOutReceipt(laid.printer, content, ReceiptSettings{});
    // The name's lines, in order, each left of the quantity column.
    QStringList lines;
    QList<int> ys;
    for (const auto& op : laid.printer.ofKind(Kind::WriteAt)) {
        if (op.y1 >= 230 && op.x1 == 0 && op.text != QStringLiteral("牛奶") && !op.text.contains(u':')) {
            lines << op.text;
            ys << op.y1;
            EXPECT_LT(rightOf(&op), laid.X(QStringLiteral("2"))) << op.text.toStdString();
        }
    }
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), name) << "nothing of the name is lost or cut in a character";
    for (int i = 0; i < ys.size(); ++i)
        EXPECT_EQ(ys[i], 230 + 40 * i);
    const int last = ys.last();
    for (const QString& number : {QStringLiteral("2"), QStringLiteral("88.00"), QStringLiteral("176.00")})
        EXPECT_EQ(laid.Y(number), last) << number.toStdString();
    EXPECT_EQ(laid.Y(QStringLiteral("牛奶")), last + 40);
    const int r = 40 * (int(lines.size()) + 1);
    EXPECT_EQ(laid.ruleYs()[3], r + 225) << "the rule below the lines moves down";
    EXPECT_EQ(laid.Y(QStringLiteral("合计数量:9")), r + 240);
}

TEST(ReceiptLayoutTest, MarginOffsetAndShopNamePosition)
{
    ReceiptContent content = sale(1);
    content.shopName = QStringLiteral("十个汉字的商店名称啊"); // 20 bytes
    ReceiptSettings settings;
    settings.paperMargin = 30;
    settings.printOffset = 30;
    settings.printLogo = true;
    settings.logoOffset = 15;
    QImage wide(100, 50, QImage::Format_RGB32);
    wide.fill(Qt::black);
    QBuffer buffer(&settings.logo);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(wide.save(&buffer, "PNG"));
    Laid laid;
    layOutReceipt(laid.printer, content, settings);
    const auto& ops = laid.printer.operations();
    ASSERT_GE(ops.size(), 2);
    EXPECT_EQ(ops[0].kind, Kind::SetLeftMargin) << "the margin is set before the job starts";
    EXPECT_EQ(ops[0].x1, 30);
    EXPECT_EQ(ops[1].kind, Kind::StartDocument);
    const auto pictures = laid.printer.ofKind(Kind::DrawPicture);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures[0].x1, 0) << "the logo's left edge never moves";
    EXPECT_EQ(pictures[0].y1, 5);
    EXPECT_EQ(pictures[0].x2, 30 + 15 + 400) << "as wide as the box";
    EXPECT_EQ(pictures[0].y2, (30 + 15 + 400) / 2) << "and as high as its proportions give";
    EXPECT_EQ(laid.X(content.shopName), 30) << "20 bytes start exactly at x0";
    EXPECT_EQ(laid.Y(content.shopName), 5 + pictures[0].y2 + 10) << "the header begins below the logo";
    for (const auto& rule : laid.printer.ofKind(Kind::DrawLine)) {
        EXPECT_EQ(rule.x1, 30);
        EXPECT_EQ(rule.x2, 480);
    }
    EXPECT_EQ(laid.X(QStringLiteral("名称")), 30);
    EXPECT_EQ(rightOf(laid.printer.written(QStringLiteral("3.30"))), 480);

    // Without a margin nothing is set: the printer keeps what it had.
    Laid plain;
    content.shopName = QStringLiteral("一个很长很长很长的商店名字"); // 26 bytes: starts left of x0
    layOutReceipt(plain.printer, content, ReceiptSettings{});
    EXPECT_TRUE(plain.printer.ofKind(Kind::SetLeftMargin).isEmpty());
    EXPECT_EQ(plain.X(content.shopName), 240 - 12 * 26);
}

TEST(ReceiptLayoutTest, FontsRemarkAndPaymentMethod)
{
    ReceiptContent content = sale(1);
    content.paymentMethod = QStringLiteral("\u3000 银行 卡 ");
    content.remark = QStringLiteral("第一行\n第二行\r\n第三行");
    Laid laid;
    layOutReceipt(laid.printer, content, ReceiptSettings{});
    const auto fonts = laid.printer.ofKind(Kind::SetFont);
    ASSERT_EQ(fonts.size(), 2);
    EXPECT_EQ(fonts[0].text, QStringLiteral("宋体"));
    EXPECT_EQ(fonts[0].points, 12);
    EXPECT_TRUE(fonts[0].bold);
    EXPECT_EQ(fonts[1].points, 9);
    EXPECT_FALSE(fonts[1].bold);
    EXPECT_NE(laid.printer.written(QStringLiteral("付款方式:银行 卡 ")), nullptr)
        << "leading blanks go, inner and trailing ones stay";
    const auto lines = laid.printer.ofKind(Kind::WriteLines);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].text, QStringLiteral("第一行\n第二行\n第三行"));

    // A remark too long for the strip wraps; nothing of it is lost.
    Laid wrapped;
    content.remark = QStringLiteral("谢谢惠顾，欢迎再来！本店商品七天内凭小票可退换，生鲜除外。");
    layOutReceipt(wrapped.printer, content, ReceiptSettings{});
    const auto written = wrapped.printer.ofKind(Kind::WriteLines);
    ASSERT_EQ(written.size(), 1);
    const QStringList remarkLines = written[0].text.split(u'\n');
    EXPECT_GE(remarkLines.size(), 2);
    EXPECT_EQ(remarkLines.join(QString()), content.remark);
    for (const QString& line : remarkLines)
        EXPECT_LE(int(gbkLength(line)) * fontHeight(9) / 2, 480) << line.toStdString();

    Laid empty;
    content.remark.clear();
    layOutReceipt(empty.printer, content, ReceiptSettings{});
    ASSERT_EQ(empty.printer.ofKind(Kind::WriteLines).size(), 1);
}

TEST(ReceiptLayoutTest, PreviewStyleDiffersWhereTheScreenDoes)
{
    ReceiptContent content = sale(1);
    content.paymentMethod = QStringLiteral("  现金");
    ReceiptSettings settings;
    settings.paperMargin = 20;
    Laid laid;
    layOutReceipt(laid.printer, content, settings, ReceiptStyle::Preview);
    EXPECT_EQ(laid.printer.documents(), 0) << "nothing is printed";
    EXPECT_TRUE(laid.printer.ofKind(Kind::EndDocument).isEmpty());
    EXPECT_TRUE(laid.printer.ofKind(Kind::SetLeftMargin).isEmpty()) << "the board moves instead";
    EXPECT_EQ(laid.X(QStringLiteral("单号：")), 0);
    EXPECT_EQ(laid.X(QStringLiteral("1608240000001")), 100);
    EXPECT_EQ(laid.X(QStringLiteral("2016-08-24  09:05:07")), 100);
    EXPECT_NE(laid.printer.written(QStringLiteral("合计数量：9")), nullptr);
    EXPECT_NE(laid.printer.written(QStringLiteral("付款方式：  现金")), nullptr) << "shown as typed";
    const auto fonts = laid.printer.ofKind(Kind::SetFont);
    ASSERT_EQ(fonts.size(), 2);
    EXPECT_EQ(fonts[0].text, QStringLiteral("新宋体"));
    EXPECT_TRUE(fonts[0].bold);
    EXPECT_EQ(fonts[1].text, QStringLiteral("新宋体"));
    EXPECT_EQ(fonts[1].points, 8);

    Laid without;
    settings.withUnitPrice = false;
    layOutReceipt(without.printer, content, settings, ReceiptStyle::Preview);
    const auto plainFonts = without.printer.ofKind(Kind::SetFont);
    ASSERT_EQ(plainFonts.size(), 2);
    EXPECT_EQ(plainFonts[0].text, QStringLiteral("宋体"));
    EXPECT_FALSE(plainFonts[0].bold);
}

} // namespace
} // namespace quorrel
