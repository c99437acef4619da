#include "core/receipt/ClosingLayout.h"

#include "core/receipt/Printer.h"
#include "core/store/Gbk.h"

namespace quorrel {

namespace {

const QString kSong = QStringLiteral("宋体");
constexpr int kRuleEnd = 480;
constexpr int kLine = 40;     // tenths of a millimetre from one line of 9 pt text to the next
constexpr int kCountX = 250;  // the count column
constexpr int kAmountX = 330; // the amount column

} // namespace

bool layOutClosing(Printer& printer, const ClosingHeader& header, const DayFigures& figures, int paperMargin)
{
    if (paperMargin != 0)
        printer.setLeftMargin(paperMargin);
    const bool started = printer.startDocument();
    printer.setFont(kSong, 12, true);
    printer.writeAt(240 - 12 * gbkLength(header.shopName), 10, header.shopName);
    printer.setFont(kSong, 9, false);
    int y = 70;
    auto line = [&](const QString& text) {
        printer.writeAt(0, y, text);
        y += kLine;
    };
    auto rule = [&] {
        printer.drawLine(0, y, kRuleEnd, y);
        y += 15;
    };
    auto row = [&](const QString& name, const QString& count, const QString& amount) {
        printer.writeAt(0, y, name);
        printer.writeAt(kCountX, y, count);
        printer.writeAt(kAmountX, y, amount);
        y += kLine;
    };
    line(QStringLiteral("日结：") + header.day);
    line(QStringLiteral("收银台：") + header.till);
    line(QStringLiteral("收银员：") + header.cashier);
    line(QStringLiteral("打印时间：") + header.printed);
    rule();
    row(QStringLiteral("付款方式"), QStringLiteral("笔数"), QStringLiteral("金额"));
    for (const DayFigures::Row& method : figures.methods)
        row(method.name, QString::number(method.count), method.amount);
    row(figures.total.name, QString::number(figures.total.count), figures.total.amount);
    rule();
    row(QStringLiteral("收银员"), QStringLiteral("笔数"), QStringLiteral("金额"));
    for (const DayFigures::Row& cashier : figures.cashiers)
        row(cashier.name, QString::number(cashier.count), cashier.amount);
    rule();
    line(QStringLiteral("笔数：") + QString::number(figures.total.count));
    line(QStringLiteral("总金额：") + figures.total.amount);
    line(QStringLiteral("现金：") + figures.cash);
    line(QStringLiteral("删除：") + deletedSummary(figures));
    line(QStringLiteral("修改：") + changedSummary(figures));
    rule();
    const bool ended = printer.endDocument();
    return started && ended;
}

} // namespace quorrel
