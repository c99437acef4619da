#include "core/tickets/TicketNumbers.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QString> lastTicketNumber(Database& db)
{
    auto last = db.query(QStringLiteral("select top 1 ID from [销售记录] order by ID desc"));
    if (!last)
        return std::nullopt;
    last->moveFirst();
    const qint64 newestId = last->atEnd() ? 0 : textToWhole(last->text(1));
    last->close();
    QString number;
    if (newestId > 0) {
        auto sale = db.query(QStringLiteral("select * from 销售记录 where id=?"), {newestId});
        if (!sale)
            return std::nullopt;
        sale->moveFirst();
        number = sale->text(2);
    }
    // A deleted sale newer than every remaining one left its number here, so that it is not given
    // out again. A file without the table has never had such a deletion.
    if (auto deleted = db.query(QStringLiteral("select 销售ID, 销售票号 from 末单票号 where ID=1"))) {
        if (!deleted->atEnd() && textToWhole(deleted->text(1)) > newestId)
            number = deleted->text(2);
    }
    return number;
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

} // namespace quorrel
