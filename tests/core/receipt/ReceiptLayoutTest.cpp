// The receipt's layout, recorded operation by operation, in both layouts and both styles.

#include "core/receipt/ReceiptLayout.h"
#include "core/store/Gbk.h"
#include "mock/RecordingPrinter.h"

#include <gtest/gtest.h>

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
            ASSERT_EQ(pictures.size(), logo ? 1 : 0);
            if (logo) {
                EXPECT_EQ(pictures[0].x1, 0);
                EXPECT_EQ(pictures[0].y1, 5);
                EXPECT_EQ(pictures[0].x2, 400);
                EXPECT_EQ(pictures[0].y2, 300);
            }
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

TEST(ReceiptLayoutTest, ColumnsOfBothLayouts)
{
    Laid with;
    layOutReceipt(with.printer, sale(1), ReceiptSettings{});
    EXPECT_EQ(with.X(QStringLiteral("数量")), 170);
    EXPECT_EQ(with.X(QStringLiteral("单价")), 255);
    EXPECT_EQ(with.X(QStringLiteral("金额")), 360);
    EXPECT_EQ(with.X(QStringLiteral("3")), 185);
    EXPECT_EQ(with.X(QStringLiteral("1.10")), 250);
    EXPECT_EQ(with.X(QStringLiteral("3.30")), 350);
    EXPECT_EQ(with.X(QStringLiteral("总额:9.90")), 250);
    EXPECT_EQ(with.X(QStringLiteral("找零:0.10")), 250);
    EXPECT_EQ(with.X(QStringLiteral("付款方式:现金")), 250);

    Laid without;
    ReceiptSettings settings;
    settings.withUnitPrice = false;
    layOutReceipt(without.printer, sale(1), settings);
    EXPECT_EQ(without.X(QStringLiteral("数量")), 260);
    EXPECT_EQ(without.printer.written(QStringLiteral("单价")), nullptr);
    EXPECT_EQ(without.printer.written(QStringLiteral("1.10")), nullptr);
    EXPECT_EQ(without.X(QStringLiteral("金额")), 360);
    EXPECT_EQ(without.X(QStringLiteral("3")), 260);
    EXPECT_EQ(without.X(QStringLiteral("3.30")), 350);
}

TEST(ReceiptLayoutTest, LongNamesSplitAfterTheLayoutsByteLimit)
{
    ReceiptContent content = sale(0);
    content.items = {
        {QStringLiteral("五个汉字呀"), QStringLiteral("1"), QStringLiteral("1.00"), QStringLiteral("1.00")},
        {QStringLiteral("五个汉字呀X"), QStringLiteral("2"), QStringLiteral("2.00"), QStringLiteral("4.00")},
        {QStringLiteral("一二三四五六七八九十甲乙丙丁戊"), QStringLiteral("3"), QStringLiteral("3.00"),
         QStringLiteral("9.00")}};
    ASSERT_EQ(gbkLength(content.items[2].name), 30);
    Laid laid;
    layOutReceipt(laid.printer, content, ReceiptSettings{});
    EXPECT_EQ(laid.Y(QStringLiteral("五个汉字呀")), 230) << "10 bytes stay on one line";
    EXPECT_EQ(laid.Y(QStringLiteral("1")), 230);
    // 11 bytes: 10 on the first line, 1 on the second beside the numbers.
    const auto& ops = laid.printer.operations();
    int second = -1;
    for (int i = 0; i < ops.size(); ++i)
        if (ops[i].kind == Kind::WriteAt && ops[i].text == QStringLiteral("X"))
            second = i;
    ASSERT_GE(second, 1);
    EXPECT_EQ(ops[second - 1].text, QStringLiteral("五个汉字呀"));
    EXPECT_EQ(ops[second - 1].y1, 270);
    EXPECT_EQ(ops[second].y1, 310);
    EXPECT_EQ(laid.Y(QStringLiteral("2")), 310);
    // 30 bytes: 10 then all 20 others.
    EXPECT_EQ(laid.Y(QStringLiteral("一二三四五")), 350);
    EXPECT_EQ(laid.Y(QStringLiteral("六七八九十甲乙丙丁戊")), 390);
    EXPECT_EQ(laid.Y(QStringLiteral("3")), 390);
    // Each split moves everything after it down by 40: five lines in all.
    EXPECT_EQ(laid.Y(QStringLiteral("合计数量:9")), 240 + 5 * 40);

    // Without the unit price the limit is 18 bytes.
    ReceiptSettings settings;
    settings.withUnitPrice = false;
    Laid wide;
    content.items = {{QStringLiteral("九个汉字的商品名称"), QStringLiteral("1"), QString(), QStringLiteral("1.00")},
                     {QStringLiteral("九个汉字的商品名称Z"), QStringLiteral("1"), QString(), QStringLiteral("1.00")}};
    layOutReceipt(wide.printer, content, settings);
    EXPECT_EQ(wide.Y(QStringLiteral("Z")), 310);
}

TEST(ReceiptLayoutTest, CutNeverFallsInsideACharacter)
{
    // "a" and five Chinese characters: the tenth byte is the first half of the last character.
    EXPECT_EQ(splitName(QStringLiteral("a可口可乐汁"), 10),
              (QStringList{QStringLiteral("a可口可乐"), QStringLiteral("汁")}));
    EXPECT_EQ(splitName(QStringLiteral("ab可口可乐汁"), 10),
              (QStringList{QStringLiteral("ab可口可乐"), QStringLiteral("汁")}));
    EXPECT_EQ(splitName(QStringLiteral("可口可乐"), 10), (QStringList{QStringLiteral("可口可乐"), QString()}));
    EXPECT_EQ(splitName(QStringLiteral("0123456789AB"), 10),
              (QStringList{QStringLiteral("0123456789"), QStringLiteral("AB")}));
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
    EXPECT_EQ(pictures[0].x2, 30 + 15 + 400);
    EXPECT_EQ(laid.X(content.shopName), 30) << "20 bytes start exactly at x0";
    for (const auto& rule : laid.printer.ofKind(Kind::DrawLine)) {
        EXPECT_EQ(rule.x1, 30);
        EXPECT_EQ(rule.x2, 480);
    }
    EXPECT_EQ(laid.X(QStringLiteral("名称")), 30);
    EXPECT_EQ(laid.X(QStringLiteral("3.30")), 380);

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
    EXPECT_EQ(lines[0].text, content.remark);

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
