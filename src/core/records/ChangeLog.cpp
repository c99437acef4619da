#include "core/records/ChangeLog.h"

#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"

#include <QStringList>

namespace quorrel {

namespace {

const QString kSeparator = QStringLiteral("；");
const QString kColon = QStringLiteral("：");

QString described(const QList<std::pair<QString, QString>>& parts)
{
    QStringList texts;
    for (const auto& [name, value] : parts)
        texts << name + kColon + QString(value).replace(kSeparator, QStringLiteral(";"));
    return texts.join(kSeparator);
}

} // namespace

QString describeSale(const SaleRecord& sale)
{
    return described({{QStringLiteral("时间"), sale.time},
                      {QStringLiteral("数量"), sale.quantity},
                      {QStringLiteral("金额"), sale.amount},
                      {QStringLiteral("收银员"), sale.cashier},
                      {QStringLiteral("付款方式"), sale.paymentMethod},
                      {QStringLiteral("收银台"), sale.till}});
}

QString describeLine(const SaleLine& line)
{
    const LineCells& c = line.cells;
    return described({{QStringLiteral("名称"), c.name},
                      {QStringLiteral("数量"), c.quantity},
                      {QStringLiteral("单价"), c.unitPrice},
                      {QStringLiteral("金额"), c.amount},
                      {QStringLiteral("折后"), c.discounted},
                      {QStringLiteral("折扣"), c.discountRate},
                      {QStringLiteral("备注"), line.remark}});
}

QString describedValue(const QString& text, const QString& name)
{
    for (const QString& part : text.split(kSeparator)) {
        if (part.startsWith(name + kColon))
            return part.mid(name.size() + kColon.size());
    }
    return QString();
}

bool writeChange(Database& db, const SaleChange& change)
{
    return db.execute(
        QStringLiteral("insert into 销售变更 (时间, 用户, 收银台, 动作, 销售票号, 之前, 之后) "
                       "values (?, ?, ?, ?, ?, ?, ?)"),
        {change.time, change.user, change.till, change.action, change.ticketNumber, change.before, change.after});
}

Result<QList<SaleChange>> changesBetween(Database& db, const QDateTime& from, const QDateTime& to)
{
    auto records = db.query(QStringLiteral("select 时间, 用户, 收银台, 动作, 销售票号, 之前, 之后 from 销售变更 "
                                           "where 时间 between ? and ? order by ID"),
                            {canonicalDateTimeText(from), canonicalDateTimeText(to)});
    if (!records)
        return db.failure();
    QList<SaleChange> changes;
    for (; !records->atEnd(); records->moveNext())
        changes.append({records->text(1), records->text(2), records->text(3), records->text(4), records->text(5),
                        records->text(6), records->text(7)});
    if (records->failed())
        return db.failure();
    return changes;
}

} // namespace quorrel
