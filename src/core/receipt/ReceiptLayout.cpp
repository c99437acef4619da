#include "core/receipt/ReceiptLayout.h"

#include "core/receipt/LogoImage.h"
#include "core/receipt/Printer.h"
#include "core/sales/Sale.h"
#include "core/store/Gbk.h"

#include <QPair>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace quorrel {

namespace {

const QString kSong = QStringLiteral("宋体");
const QString kNewSong = QStringLiteral("新宋体");
constexpr int kRuleEnd = 480;
constexpr int kLine = 40; // from one printed line to the next
constexpr int kGap = 15;  // at least this much between two texts on a line
// The logo is fitted into the box (its width grows with the offsets) with its own proportions; a
// logo that cannot be drawn keeps the room the header had below it.
constexpr int kLogoTop = 5;
constexpr int kLogoWidth = 400;
constexpr int kLogoHeight = 300;
constexpr int kHeaderBelowMissingLogo = 220;
// A text line is never narrower than this, whatever the print offset.
constexpr int kNarrowest = 160;

struct NumberColumn
{
    QString head;
    int nominal = 0; // the width it has when its numbers are short
    int width = 0;
    int right = 0;
};

QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// Appends `piece` to `line`, breaking between characters wherever the line would grow wider than
// `width`; whole lines go to `lines`.
void appendCutting(Printer& printer, const QString& piece, int width, QString& line, QStringList& lines)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, piece);
    qsizetype from = 0;
    for (qsizetype at = characters.toNextBoundary(); at > 0; at = characters.toNextBoundary()) {
        const QString character = piece.mid(from, at - from);
        from = at;
        if (!line.isEmpty() && printer.textWidth(withoutTrailingBlanks(line + character)) > width) {
            lines << withoutTrailingBlanks(line);
            line.clear();
        }
        line += character;
    }
}

// The text in lines no wider than `width` in the printer's current font: broken where a line may
// break (between Chinese characters, after a word), and inside a word only when the word alone is
// wider. An empty text is one empty line.
QStringList wrapped(Printer& printer, const QString& text, int width)
{
    if (text.isEmpty() || printer.textWidth(withoutTrailingBlanks(text)) <= width)
        return {text};
    QStringList lines;
    QString line;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype from = 0;
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary()) {
        const QString piece = text.mid(from, at - from);
        from = at;
        if (printer.textWidth(withoutTrailingBlanks(line + piece)) <= width) {
            line += piece;
            continue;
        }
        if (!line.isEmpty()) {
            lines << withoutTrailingBlanks(line);
            line.clear();
        }
        if (printer.textWidth(withoutTrailingBlanks(piece)) <= width)
            line = piece;
        else
            appendCutting(printer, piece, width, line, lines);
    }
    if (!line.isEmpty())
        lines << withoutTrailingBlanks(line);
    return lines;
}

// Draws the logo; the y the header is placed by, so that the shop name begins 1 mm below the
// picture's bottom.
int drawLogo(Printer& printer, const ReceiptSettings& settings, int x0)
{
    const QSize size = decodeLogo(settings.logo).size();
    const int boxWidth = x0 + settings.logoOffset + kLogoWidth;
    if (size.isEmpty() || boxWidth <= 0)
        return kHeaderBelowMissingLogo;
    const double scale = qMin(double(boxWidth) / size.width(), double(kLogoHeight) / size.height());
    const int width = qMax(1, int(size.width() * scale));
    const int height = qMax(1, int(size.height() * scale));
    printer.drawPicture(settings.logo, 0, kLogoTop, width, height);
    return kLogoTop + height;
}

// Writes `lines` one under the other from `y`, each right-aligned at `right` or, when `right` is
// below 0, from `x`.
void writeLinesAt(Printer& printer, const QStringList& lines, int x, int right, int y)
{
    for (const QString& line : lines) {
        printer.writeAt(right >= 0 ? right - printer.textWidth(line) : x, y, line);
        y += kLine;
    }
}

// The column heads at `headY` and the item lines from `headY` + 50; the room the item lines took.
// The number columns are right-aligned at the end of the rules, each as wide as its widest number
// needs (the name column gives up the room), and a name wraps inside its column with its numbers on
// its last line.
int writeItems(Printer& printer, const ReceiptContent& content, bool withPrice, int x0, int width, int headY)
{
    QList<NumberColumn> columns;
    columns.append({QStringLiteral("数量"), withPrice ? 70 : 80});
    if (withPrice)
        columns.append({QStringLiteral("单价"), 100});
    columns.append({QStringLiteral("金额"), 110});
    const auto value = [withPrice](const ReceiptContent::Item& item, int column) {
        const QString values[] = {item.quantity, withPrice ? item.unitPrice : item.amount, item.amount};
        return values[column];
    };

    int needed = 0;
    for (int c = 0; c < columns.size(); ++c) {
        NumberColumn& column = columns[c];
        column.width = qMax(column.nominal, printer.textWidth(column.head));
        for (const ReceiptContent::Item& item : content.items)
            column.width = qMax(column.width, printer.textWidth(value(item, c)));
        needed += column.width + kGap;
    }
    // Numbers too wide for the line even with the narrowest name column: the widest columns give
    // way (never below their heads), and their numbers wrap inside them.
    const int nameHead = printer.textWidth(QStringLiteral("名称"));
    int excess = needed - (width - 2 * nameHead);
    while (excess > 0) {
        NumberColumn* widest = nullptr;
        for (NumberColumn& column : columns) {
            if (column.width > printer.textWidth(column.head) && (!widest || column.width > widest->width))
                widest = &column;
        }
        if (!widest)
            break;
        const int cut = qMin(excess, widest->width - printer.textWidth(widest->head));
        widest->width -= cut;
        excess -= cut;
    }
    int right = x0 + width;
    for (qsizetype c = columns.size() - 1; c >= 0; --c) {
        columns[c].right = right;
        right -= columns[c].width + kGap;
    }
    const int nameWidth = qMax(nameHead, right - x0);

    printer.writeAt(x0, headY, QStringLiteral("名称"));
    for (const NumberColumn& column : columns)
        printer.writeAt(column.right - printer.textWidth(column.head), headY, column.head);

    int r = 0;
    for (const ReceiptContent::Item& item : content.items) {
        const int y = headY + 50 + r;
        const QStringList name = wrapped(printer, item.name, nameWidth);
        QList<QStringList> numbers;
        qsizetype lines = name.size();
        for (int c = 0; c < columns.size(); ++c) {
            numbers << wrapped(printer, value(item, c), columns[c].width);
            lines = qMax(lines, numbers.last().size());
        }
        writeLinesAt(printer, name, x0, -1, y);
        for (int c = 0; c < columns.size(); ++c)
            writeLinesAt(printer, numbers[c], 0, columns[c].right, y + kLine * int(lines - numbers[c].size()));
        r += kLine * int(lines);
    }
    return r;
}

// The totals from `y`, two to a line where they fit beside each other; the lines they took.
int writeTotals(Printer& printer, const QList<QPair<QString, QString>>& pairs, int x0, int width, int y)
{
    constexpr int kSecond = 250; // where the second of a pair begins
    int line = 0;
    for (const auto& [first, second] : pairs) {
        const bool beside = second.isEmpty() || (printer.textWidth(first) + kGap <= kSecond &&
                                                 x0 + kSecond + printer.textWidth(second) <= x0 + width);
        const QStringList firstLines =
            beside && !second.isEmpty() ? QStringList{first} : wrapped(printer, first, width);
        writeLinesAt(printer, firstLines, x0, -1, y + kLine * line);
        if (beside) {
            if (!second.isEmpty())
                printer.writeAt(x0 + kSecond, y + kLine * line, second);
            line += int(firstLines.size());
            continue;
        }
        line += int(firstLines.size());
        const QStringList secondLines = wrapped(printer, second, width);
        writeLinesAt(printer, secondLines, x0, -1, y + kLine * line);
        line += int(secondLines.size());
    }
    return line;
}

// The remark as it is printed: each of its lines wrapped to the width.
QString wrappedRemark(Printer& printer, const QString& remark, int width)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    for (const QString& line : remark.split(lineBreak))
        lines << wrapped(printer, line, width);
    return lines.join(u'\n');
}

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
    // Every text lies between x0 and the end of the rules.
    const int width = qMax(kNarrowest, kRuleEnd - x0);
    int y0 = 0;

    if (printed && settings.paperMargin != 0)
        printer.setLeftMargin(settings.paperMargin);
    const bool started = printed ? printer.startDocument() : true;
    if (settings.printLogo)
        y0 = drawLogo(printer, settings, x0);

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

    // Column heads and item lines; R is the room the item lines took.
    int r = writeItems(printer, content, settings.withUnitPrice, x0, width, y0 + 180);
    printer.drawLine(x0, y0 + r + 225, kRuleEnd, y0 + r + 225);

    // Totals: ASCII colons on paper, full-width ones on screen; four lines, more where a pair does
    // not fit beside each other.
    const QString colon = printed ? QStringLiteral(":") : QStringLiteral("：");
    const QList<QPair<QString, QString>> totals{
        {QStringLiteral("合计数量") + colon + content.totalQuantity,
         QStringLiteral("总额") + colon + content.totalAmount},
        {QStringLiteral("折后总额") + colon + content.totalDiscounted, QString()},
        {QStringLiteral("实收现金") + colon + content.received, QStringLiteral("找零") + colon + content.change},
        {QStringLiteral("收银员") + colon + content.cashier,
         QStringLiteral("付款方式") + colon +
             (printed ? trimLeadingBlanks(content.paymentMethod) : content.paymentMethod)}};
    r += kLine * (writeTotals(printer, totals, x0, width, y0 + r + 240) - 4);

    printer.drawLine(x0, y0 + r + 410, kRuleEnd, y0 + r + 410);
    printer.drawLine(x0, y0 + r + 418, kRuleEnd, y0 + r + 418);
    printer.setWritePosition(x0, y0 + r + 440);
    printer.writeLines(wrappedRemark(printer, content.remark, width));
    const bool ended = printed ? printer.endDocument() : true;
    return started && ended;
}

} // namespace quorrel
