#pragma once

#include "core/store/Result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace quorrel {

class Database;

// The payment method of the sales stored before it was kept.
inline const QString kUnrecordedMethod = QStringLiteral("未记录");
inline const QString kCashMethod = QStringLiteral("现金");

// What the till says of one calendar day (00:00:00 to 23:59:59, by the time each sale was stored):
// the figures the drawer is counted against. Every amount is an exact decimal sum in the 0.00 form,
// the same as the records window's totals.
struct DayFigures
{
    struct Row
    {
        QString name;
        qint64 count = 0;
        QString amount = QStringLiteral("0.00");
    };
    // One row per payment method sold with: in the order of the payment-method list, then any
    // method no longer in it, then 未记录.
    QList<Row> methods;
    QList<Row> cashiers;                   // one row per cashier, in the order of their first sale
    Row total;                             // every sale: 合计
    QString cash = QStringLiteral("0.00"); // the sales paid 现金: what the drawer should hold
    qint64 deletedCount = 0;               // sales deleted that day
    QString deletedAmount = QStringLiteral("0.00");
    qint64 changedCount = 0; // stored sales whose lines were changed or deleted that day
};

// "1 笔 / 8.00": the sales deleted that day; "0 笔": the sales changed that day.
QString deletedSummary(const DayFigures& figures);
QString changedSummary(const DayFigures& figures);

// The figures of `day`; `cashier` empty for all cashiers, else that cashier's sales and the
// deletions and changes of their sales. `methodOrder` is the payment-method list.
Result<DayFigures> daySummary(Database& db, const QDate& day, const QString& cashier, const QStringList& methodOrder);

// The cashiers who sold on `day`, in the order of their first sale.
Result<QStringList> cashiersOnDay(Database& db, const QDate& day);

} // namespace quorrel
