#include "core/receipt/ReceiptLayout.h"

#include "core/receipt/Printer.h"
#include "core/sales/Sale.h"
#include "core/store/Gbk.h"

namespace quorrel {

namespace {

const QString kSong = QStringLiteral("宋体");
const QString kNewSong = QStringLiteral("新宋体");
constexpr int kRuleEnd = 480;

struct Column
{
    int quantity;
    int unitPrice; // < 0: not written
    int amount;
};

} // namespace

ReceiptContent receiptOf(const Sale& sale, const SaleHeader& header)
{
    ReceiptContent content;
    content.shopName = header.shopName;
    content.ticketNumber = header.ticketNumber;
    content.time = header.time;
    for (const LineCells& line : sale.lines())
        content.items.append({line.name, line.quantity, line.unitPrice, line.amount});
    content.totalQuantity = sale.totalQuantity();
    content.totalAmount = sale.totalAmount();
    content.totalDiscounted = sale.totalDiscounted();
    content.received = header.received;
    content.change = header.change;
    content.cashier = header.cashier;
    content.paymentMethod = header.paymentMethod;
    content.remark = header.remark;
    return content;
}

QStringList splitName(const QString& name, int limit)
{
    if (gbkLength(name) <= limit)
        return {name, QString()};
    const qsizetype cut = charactersInGbkBytes(name, limit);
    return {name.left(cut), name.mid(cut)};
}

QString trimLeadingBlanks(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && (text[start] == u' ' || text[start] == u'\u3000'))
        ++start;
    return text.mid(start);
}

bool layOutReceipt(Printer& printer, const ReceiptContent& content, const ReceiptSettings& settings, ReceiptStyle style)
{
    const bool printed = style == ReceiptStyle::Printed;
    const int x0 = settings.printOffset != 0 ? settings.printOffset : 0;
    int y0 = 0;

    if (printed && settings.paperMargin != 0)
        printer.setLeftMargin(settings.paperMargin);
    const bool started = printed ? printer.startDocument() : true;
    if (settings.printLogo) {
        printer.drawPicture(settings.logo, 0, 5, x0 + settings.logoOffset + 400, 300);
        y0 = 220;
    }

    // Shop name, centred by its byte length.
    if (printed)
        printer.setFont(kSong, 12, true);
    else if (settings.withUnitPrice)
        printer.setFont(kNewSong, 12, true);
    else
        printer.setFont(kSong, 12, false);
    printer.writeAt(x0 + 240 - 12 * gbkLength(content.shopName), y0 + 10, content.shopName);

    printer.setFont(printed ? kSong : kNewSong, printed ? 9 : 8, false);
    printer.drawLine(x0, y0 + 60, kRuleEnd, y0 + 60);
    printer.drawLine(x0, y0 + 68, kRuleEnd, y0 + 68);
    if (printed) {
        printer.writeAt(x0, y0 + 80, QStringLiteral("单号：") + content.ticketNumber);
        printer.writeAt(x0, y0 + 120, QStringLiteral("时间：") + content.time);
    } else {
        printer.writeAt(x0, y0 + 80, QStringLiteral("单号："));
        printer.writeAt(x0 + 100, y0 + 80, content.ticketNumber);
        printer.writeAt(x0, y0 + 120, QStringLiteral("时间："));
        printer.writeAt(x0 + 100, y0 + 120, content.time);
    }
    printer.drawLine(x0, y0 + 155, kRuleEnd, y0 + 155);

    // Column heads and item lines.
    const bool withPrice = settings.withUnitPrice;
    printer.writeAt(x0, y0 + 180, QStringLiteral("名称"));
    printer.writeAt(x0 + (withPrice ? 170 : 260), y0 + 180, QStringLiteral("数量"));
    if (withPrice)
        printer.writeAt(x0 + 255, y0 + 180, QStringLiteral("单价"));
    printer.writeAt(x0 + 360, y0 + 180, QStringLiteral("金额"));
    const Column column = withPrice ? Column{185, 250, 350} : Column{260, -1, 350};
    const int limit = withPrice ? kNameBytesWithPrice : kNameBytesWithoutPrice;
    int r = 0;
    for (const ReceiptContent::Item& item : content.items) {
        const QStringList parts = splitName(item.name, limit);
        printer.writeAt(x0, y0 + r + 230, parts[0]);
        if (!parts[1].isEmpty()) {
            r += 40;
            printer.writeAt(x0, y0 + r + 230, parts[1]);
        }
        printer.writeAt(x0 + column.quantity, y0 + r + 230, item.quantity);
        if (column.unitPrice >= 0)
            printer.writeAt(x0 + column.unitPrice, y0 + r + 230, item.unitPrice);
        printer.writeAt(x0 + column.amount, y0 + r + 230, item.amount);
        r += 40;
    }
    printer.drawLine(x0, y0 + r + 225, kRuleEnd, y0 + r + 225);

    // Totals: ASCII colons on paper, full-width ones on screen.
    const QString colon = printed ? QStringLiteral(":") : QStringLiteral("：");
    printer.writeAt(x0, y0 + r + 240, QStringLiteral("合计数量") + colon + content.totalQuantity);
    printer.writeAt(x0 + 250, y0 + r + 240, QStringLiteral("总额") + colon + content.totalAmount);
    printer.writeAt(x0, y0 + r + 280, QStringLiteral("折后总额") + colon + content.totalDiscounted);
    printer.writeAt(x0, y0 + r + 320, QStringLiteral("实收现金") + colon + content.received);
    printer.writeAt(x0 + 250, y0 + r + 320, QStringLiteral("找零") + colon + content.change);
    printer.writeAt(x0, y0 + r + 360, QStringLiteral("收银员") + colon + content.cashier);
    printer.writeAt(x0 + 250, y0 + r + 360,
                    QStringLiteral("付款方式") + colon +
                        (printed ? trimLeadingBlanks(content.paymentMethod) : content.paymentMethod));

    printer.drawLine(x0, y0 + r + 410, kRuleEnd, y0 + r + 410);
    printer.drawLine(x0, y0 + r + 418, kRuleEnd, y0 + r + 418);
    printer.setWritePosition(x0, y0 + r + 440);
    printer.writeLines(content.remark);
    const bool ended = printed ? printer.endDocument() : true;
    return started && ended;
}

} // namespace quorrel
