#include "core/sales/SaleStore.h"

#include "core/receipt/ReceiptLayout.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/Transaction.h"
#include "core/tickets/TicketNumbers.h"

namespace quorrel {

namespace {

// Lines stored by one statement: eight values each, under SQLite's 999 bound parameters.
constexpr qsizetype kLinesPerStatement = 100;

// The server-wide lock the storing of a sale holds until its transaction ends ("QRTK").
constexpr qint64 kTicketNumberLock = 0x5152544b;

// The rows of one sale, inside the caller's transaction; the header's time is `time` in the stored
// form, or the database's now() when it is empty. The payment method is stored as the receipt
// prints it.
std::optional<qint64> insertSale(Database& db, const SaleHeader& header, const Sale& sale, const QString& time)
{
    const QVariantList row = {header.ticketNumber, sale.totalQuantity(), sale.totalAmount(),
                              header.cashier,      header.remark + u' ', trimLeadingBlanks(header.paymentMethod),
                              header.received,     header.change,        header.till};
    const bool stored =
        time.isEmpty()
            ? db.execute(QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注,付款方式,"
                                        "实收,找零,收银台 ) values (?,now(),?,?,?,?,?,?,?,?)"),
                         row)
            : db.execute(QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注,付款方式,"
                                        "实收,找零,收银台 ) values (?,?,?,?,?,?,?,?,?,?)"),
                         QVariantList{row.first(), time} + row.mid(1));
    if (!stored)
        return std::nullopt;
    const qint64 id = db.lastInsertId();
    const QString lineRemark = u' ' + header.remark;
    // Many lines go in with one statement: preparing a statement costs more than the row it stores.
    const QList<LineCells>& lines = sale.lines();
    for (qsizetype first = 0; first < lines.size(); first += kLinesPerStatement) {
        const qsizetype count = std::min(kLinesPerStatement, lines.size() - first);
        QString sql = QStringLiteral("insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注,折扣 ) values ");
        QVariantList values;
        values.reserve(count * 8);
        for (qsizetype k = first; k < first + count; ++k) {
            const LineCells& line = lines[k];
            sql += k == first ? QStringLiteral("(?,?,?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?,?,?)");
            values << id << line.name << line.quantity << line.unitPrice << line.amount << line.discounted << lineRemark
                   << line.discountRate;
        }
        if (!db.execute(sql, values))
            return std::nullopt;
    }
    return id;
}

} // namespace

std::optional<qint64> storeSale(Database& db, const SaleHeader& header, const Sale& sale)
{
    Transaction transaction(db);
    if (!transaction.began())
        return std::nullopt;
    const std::optional<qint64> id = insertSale(db, header, sale, QString());
    if (!id || !transaction.commit())
        return std::nullopt;
    return id;
}

Result<StoredSale> storeNextSale(Database& db, int ticketFormat, const SaleHeader& header, const Sale& sale)
{
    Transaction transaction(db);
    if (!transaction.began())
        return db.failure();
    // The moment of the sale, stored and printed alike.
    const QDateTime now = Clock::now();
    SaleHeader numbered = header;
    QString current = header.ticketNumber;
    if (db.isServer()) {
        // Several tills share the numbers: one sale at a time takes the next, after the last one
        // stored by any till; the others wait for its commit.
        if (!db.execute(QStringLiteral("select pg_advisory_xact_lock(?)"), {kTicketNumberLock}))
            return db.failure();
        const std::optional<QString> last = lastTicketNumber(db, ticketFormat);
        if (!last)
            return db.failure();
        current = laterTicketNumber(ticketFormat, current, *last);
    }
    numbered.ticketNumber = advanceTicketNumber(ticketFormat, current, now.date());
    const std::optional<qint64> id = insertSale(db, numbered, sale, canonicalDateTimeText(now));
    if (!id || !transaction.commit())
        return db.failure();
    return StoredSale{*id, numbered.ticketNumber, dateTimeText(now)};
}

} // namespace quorrel
