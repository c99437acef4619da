#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>

namespace quorrel {

// Which sales the records list shows: the filter and order of one query over 销售记录 (alias s),
// with every user-typed value as a bound parameter.
struct RecordsQuery
{
    QString from = QStringLiteral("销售记录 s");
    QString where; // condition without "where"; empty for every sale
    QVariantList params;
    QString order; // "order by …" or empty for the database's own order
};

// Today's sales from midnight up to `now`, both bounds included, newest first.
RecordsQuery todaysRecords(const QDateTime& now);

// Sales whose ticket number contains `fragment` as typed (% and _ are plain characters), from any
// day. The scan reads the narrow ticket-number index rather than the whole table.
RecordsQuery ticketFragmentRecords(const QString& fragment);

// The criteria of the conditional search; only ticked ones take part.
struct SearchCriteria
{
    bool exact = false; // 精确查找: all ticked criteria equal; otherwise any ticked one contained
    bool byTime = false;
    QDate firstDay;
    QDate lastDay; // included to its last second
    bool byQuantity = false;
    QString quantity;
    bool byAmount = false;
    QString amount;
    bool byCashier = false;
    QString cashier;
};

RecordsQuery searchRecords(const SearchCriteria& criteria);

// Whether the amount can take part as the criteria ask: ticked in 精确查找 it must be a plain decimal
// number (full-width digits taken), or the search would find the sales of 0.00. 模糊查找 looks for
// the text as typed.
bool amountSearchable(const SearchCriteria& criteria);

// The pattern of a `like … escape '\'` that finds `text` anywhere, its wildcards taken literally.
QString containsPattern(const QString& text);

// The statement that lists `columns` (of alias s) for the query.
QString recordsSql(const RecordsQuery& query, const QString& columns);

} // namespace quorrel
