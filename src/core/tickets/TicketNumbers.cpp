#include "core/tickets/TicketNumbers.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"

#include <algorithm>
#include <map>

namespace quorrel {

namespace {

// The format a stored number was given out in, told by its shape: thirteen digits, the plain
// counter behind seven zeros or a yyMMdd date. A number typed by hand in any other shape has none.
std::optional<int> formatOfNumber(const QString& number)
{
    if (number.size() != 13 || !std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return number.startsWith(QLatin1String("0000000")) ? kTicketFormatCustomPrefix : kTicketFormatDatePrefix;
}

// The counter of `number` as `format` continues it after a restart (see startupTicketNumber).
qint64 counterOf(int format, const QString& number)
{
    return number.right(format == kTicketFormatCustomPrefix ? 6 : 7).toLongLong();
}

struct DeletedNumber
{
    qint64 saleId = 0;
    QString number;
};

// The highest deleted number of each format. Rows are read by their shape, not their ID: a file of
// an earlier release keeps a single row, ID 1, whatever its format.
std::optional<std::map<int, DeletedNumber>> deletedFloors(Database& db)
{
    auto rows = db.query(QStringLiteral("select 销售ID, 销售票号 from 末单票号"));
    if (!rows)
        return std::nullopt;
    std::map<int, DeletedNumber> floors;
    for (; !rows->atEnd(); rows->moveNext()) {
        DeletedNumber deleted{textToWhole(rows->text(1)), rows->text(2)};
        const std::optional<int> format = formatOfNumber(deleted.number);
        if (!format)
            continue;
        const auto kept = floors.find(*format);
        if (kept == floors.end() || counterOf(*format, deleted.number) > counterOf(*format, kept->second.number))
            floors[*format] = std::move(deleted);
    }
    if (rows->failed())
        return std::nullopt;
    return floors;
}

} // namespace

std::optional<QString> lastTicketNumber(Database& db, int format)
{
    auto last = db.query(QStringLiteral("select top 1 销售票号 from [销售记录] order by ID desc"));
    if (!last)
        return std::nullopt;
    const QString newest = last->atEnd() ? QString() : last->text(1);
    last->close();
    const std::optional<std::map<int, DeletedNumber>> floors = deletedFloors(db);
    if (!floors)
        return std::nullopt;
    // The counter carries over when the format changes, so every format's floor binds.
    QString number = newest;
    for (const auto& floor : *floors)
        number = number.isEmpty() ? floor.second.number : laterTicketNumber(format, number, floor.second.number);
    return number;
}

bool rememberDeletedNumber(Database& db, qint64 saleId)
{
    auto sale = db.query(QStringLiteral("select 销售票号 from 销售记录 where ID=?"), {saleId});
    if (!sale)
        return false;
    const QString number = sale->atEnd() ? QString() : sale->text(1);
    sale->close();
    const std::optional<int> format = formatOfNumber(number);
    if (!format)
        return true;
    std::optional<std::map<int, DeletedNumber>> floors = deletedFloors(db);
    if (!floors)
        return false;
    const auto kept = floors->find(*format);
    if (kept != floors->end() && counterOf(*format, kept->second.number) >= counterOf(*format, number))
        return true;
    (*floors)[*format] = DeletedNumber{saleId, number};
    // One row per format, ID the format.
    if (!db.execute(QStringLiteral("delete from 末单票号")))
        return false;
    for (const auto& [keptFormat, deleted] : *floors) {
        if (!db.execute(QStringLiteral("insert into 末单票号 (ID, 销售ID, 销售票号) values (?, ?, ?)"),
                        {keptFormat, deleted.saleId, deleted.number}))
            return false;
    }
    return true;
}

QString startupTicketNumber(int format, const QString& lastTicket, const QDate& today)
{
    if (format == kTicketFormatCustomPrefix)
        return lastTicket.isEmpty() ? QStringLiteral("0000000000000") : QStringLiteral("0000000") + lastTicket.right(6);
    return datePrefix(today) + (lastTicket.isEmpty() ? QStringLiteral("0000000") : lastTicket.right(7));
}

QString advanceTicketNumber(int format, const QString& current, const QDate& today)
{
    if (format == kTicketFormatCustomPrefix) {
        QString text = current;
        if (text.isEmpty())
            text = QStringLiteral("1");
        else
            text[0] = u'1'; // keeps the leading zeros through the conversion to a number
        QString next = doubleToText(textToNumber(text) + 1.0);
        next[0] = u'0';
        return next;
    }
    if (format == kTicketFormatDatePrefix) {
        // A signed counter typed into the box must still give seven digits: modulo, never negative.
        constexpr qint64 kCounterRange = 10000000;
        const qint64 counter = ((textToWhole(current.right(7)) + 1) % kCounterRange + kCounterRange) % kCounterRange;
        return datePrefix(today) + QString::number(counter).rightJustified(7, u'0');
    }
    return current;
}

QString laterTicketNumber(int format, const QString& a, const QString& b)
{
    return counterOf(format, b) > counterOf(format, a) ? b : a;
}

} // namespace quorrel
