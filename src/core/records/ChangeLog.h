#pragma once

#include "core/records/SaleRecords.h"
#include "core/store/Result.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace quorrel {

class Database;

// One row of 销售变更: who changed which stored sale, where, when and how.
struct SaleChange
{
    QString time;         // stored form, "YYYY-MM-DD HH:MM:SS"
    QString user;         // 用户
    QString till;         // 收银台
    QString action;       // 动作: one of the kinds below
    QString ticketNumber; // 销售票号 of the sale changed
    QString before;       // 之前: the sale's or the line's texts before the change
    QString after;        // 之后: the line's texts after it; empty for a deletion
};

namespace change {
inline const QString kDeleteSale = QStringLiteral("删除销售");
inline const QString kChangeLine = QStringLiteral("修改明细");
inline const QString kDeleteLine = QStringLiteral("删除明细");
} // namespace change

// The texts a change row keeps of a sale and of a line: "名称：值" parts joined by "；".
QString describeSale(const SaleRecord& sale);
QString describeLine(const SaleLine& line);
// The value of one part of such a text (empty when it has none).
QString describedValue(const QString& text, const QString& name);

// Adds the row, inside the caller's transaction.
bool writeChange(Database& db, const SaleChange& change);

// The rows written from `from` to `to`, both included, in the order they were written.
Result<QList<SaleChange>> changesBetween(Database& db, const QDateTime& from, const QDateTime& to);

} // namespace quorrel
