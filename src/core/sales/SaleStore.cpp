#include "core/sales/SaleStore.h"

#include "core/store/Database.h"
#include "core/store/Transaction.h"

namespace quorrel {

namespace {

// Lines stored by one statement: seven values each, under SQLite's 999 bound parameters.
constexpr qsizetype kLinesPerStatement = 100;

} // namespace

std::optional<qint64> storeSale(Database& db, const SaleHeader& header, const Sale& sale)
{
    Transaction transaction(db);
    if (!transaction.began())
        return std::nullopt;
    if (!db.execute(
            QStringLiteral("insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                           "(?,now(),?,?,?,?)"),
            {header.ticketNumber, sale.totalQuantity(), sale.totalAmount(), header.cashier, header.remark + u' '}))
        return std::nullopt;
    const qint64 id = db.lastInsertId();
    const QString lineRemark = u' ' + header.remark;
    // Many lines go in with one statement: preparing a statement costs more than the row it stores.
    const QList<LineCells>& lines = sale.lines();
    for (qsizetype first = 0; first < lines.size(); first += kLinesPerStatement) {
        const qsizetype count = std::min(kLinesPerStatement, lines.size() - first);
        QString sql = QStringLiteral("insert into [销售详情] (关联,名称,数量,单价,金额,折后,备注 ) values ");
        QVariantList values;
        values.reserve(count * 7);
        for (qsizetype k = first; k < first + count; ++k) {
            const LineCells& line = lines[k];
            sql += k == first ? QStringLiteral("(?,?,?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?,?,?)");
            values << id << line.name << line.quantity << line.unitPrice << line.amount << line.discounted
                   << lineRemark;
        }
        if (!db.execute(sql, values))
            return std::nullopt;
    }
    if (!transaction.commit())
        return std::nullopt;
    return id;
}

} // namespace quorrel
