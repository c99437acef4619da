#include "core/records/RecordsQuery.h"

#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTime>

namespace quorrel {

namespace {

const QString kLike = QStringLiteral(" like ? escape '\\'");

} // namespace

QString containsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

RecordsQuery todaysRecords(const QDateTime& now)
{
    RecordsQuery query;
    query.where = QStringLiteral("s.销售时间 between ? and ?");
    query.params = {canonicalDateTimeText(QDateTime(now.date(), QTime(0, 0))), canonicalDateTimeText(now)};
    // Sales of the same second keep the order they were made in; the time index serves both keys.
    query.order = QStringLiteral("order by s.销售时间 desc, s.ID desc");
    return query;
}

RecordsQuery ticketFragmentRecords(const QString& fragment)
{
    RecordsQuery query;
    // The narrow index holds only ticket numbers: scanning it and fetching the matching rows by ID
    // reads far less than scanning the table.
    query.from = QStringLiteral("销售记录 k indexed by 销售记录_销售票号 cross join 销售记录 s on s.ID = k.ID");
    query.where = QStringLiteral("k.销售票号") + kLike;
    query.params = {containsPattern(fragment)};
    return query;
}

RecordsQuery searchRecords(const SearchCriteria& criteria)
{
    RecordsQuery query;
    QStringList conditions;
    if (criteria.byTime) {
        conditions << QStringLiteral("s.销售时间 between ? and ?");
        query.params << canonicalDateTimeText(QDateTime(criteria.firstDay, QTime(0, 0)))
                     << canonicalDateTimeText(QDateTime(criteria.lastDay, QTime(23, 59, 59)));
    }
    if (criteria.exact) {
        if (criteria.byQuantity) {
            conditions << QStringLiteral("s.数量 = ?");
            query.params << criteria.quantity;
        }
        if (criteria.byAmount) {
            // As numbers: 15 finds a sale stored as 15.00.
            conditions << QStringLiteral("cast(s.金额 as real) = ?");
            query.params << textToNumber(criteria.amount);
        }
        if (criteria.byCashier) {
            conditions << QStringLiteral("s.收银员 = ?");
            query.params << criteria.cashier;
        }
    } else {
        QStringList any;
        if (criteria.byAmount && !criteria.amount.isEmpty()) {
            any << QStringLiteral("s.金额") + kLike;
            query.params << containsPattern(formatMoney(criteria.amount));
        }
        if (criteria.byQuantity && !criteria.quantity.isEmpty()) {
            any << QStringLiteral("s.数量") + kLike;
            query.params << containsPattern(criteria.quantity);
        }
        if (criteria.byCashier && !criteria.cashier.isEmpty()) {
            any << QStringLiteral("s.收银员") + kLike;
            query.params << containsPattern(criteria.cashier);
        }
        if (!any.isEmpty())
            conditions << u'(' + any.join(QStringLiteral(" or ")) + u')';
    }
    query.where = conditions.join(QStringLiteral(" and "));
    return query;
}

bool amountSearchable(const SearchCriteria& criteria)
{
    if (!criteria.byAmount || !criteria.exact)
        return true;
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    return number.match(toHalfWidth(criteria.amount).trimmed()).hasMatch();
}

QString recordsSql(const RecordsQuery& query, const QString& columns)
{
    QString sql = QStringLiteral("select ") + columns + QStringLiteral(" from ") + query.from;
    if (!query.where.isEmpty())
        sql += QStringLiteral(" where ") + query.where;
    if (!query.order.isEmpty())
        sql += u' ' + query.order;
    return sql;
}

} // namespace quorrel
