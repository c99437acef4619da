#include "core/records/DaySummary.h"

#include "core/records/ChangeLog.h"
#include "core/records/SaleRecords.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/QueryTexts.h"
#include "core/store/RecordSet.h"

#include <QHash>
#include <QSet>
#include <QTime>

namespace quorrel {

namespace {

QDateTime dayStart(const QDate& day)
{
    return QDateTime(day, QTime(0, 0, 0));
}

QDateTime dayEnd(const QDate& day)
{
    return QDateTime(day, QTime(23, 59, 59));
}

// Amounts gathered per name in the order the names first come, summed exactly at the end.
class Tally
{
public:
    void add(const QString& name, const QString& amount)
    {
        if (!m_amounts.contains(name))
            m_order << name;
        m_amounts[name] << amount;
    }
    bool contains(const QString& name) const { return m_amounts.contains(name); }
    const QStringList& names() const { return m_order; }
    // nullopt when an amount cannot be summed exactly.
    std::optional<DayFigures::Row> row(const QString& name) const
    {
        const QStringList amounts = m_amounts.value(name);
        const std::optional<QString> sum = amountTotalText(amounts);
        if (!sum)
            return std::nullopt;
        return DayFigures::Row{name, amounts.size(), *sum};
    }

private:
    QStringList m_order;
    QHash<QString, QStringList> m_amounts;
};

Error unreadableAmount(const QString& name)
{
    return Error{QStringLiteral("%1 的金额无法精确相加").arg(name)};
}

} // namespace

Result<DayFigures> daySummary(Database& db, const QDate& day, const QString& cashier, const QStringList& methodOrder)
{
    QString sql = QStringLiteral("select 付款方式, 收银员, 金额 from 销售记录 where 销售时间 between ? and ?");
    QVariantList params{canonicalDateTimeText(dayStart(day)), canonicalDateTimeText(dayEnd(day))};
    if (!cashier.isEmpty()) {
        sql += QStringLiteral(" and 收银员 = ?");
        params << cashier;
    }
    auto sales = db.query(sql + QStringLiteral(" order by 销售时间, ID"), params);
    if (!sales)
        return db.failure();
    Tally methods;
    Tally cashiers;
    QStringList all;
    for (; !sales->atEnd(); sales->moveNext()) {
        const QString method = sales->text(1).isEmpty() ? kUnrecordedMethod : sales->text(1);
        methods.add(method, sales->text(3));
        cashiers.add(sales->text(2), sales->text(3));
        all << sales->text(3);
    }
    if (sales->failed())
        return db.failure();
    sales.reset();

    DayFigures figures;
    QStringList order;
    for (const QString& method : methodOrder) {
        if (methods.contains(method) && !order.contains(method))
            order << method;
    }
    for (const QString& method : methods.names()) {
        if (!order.contains(method) && method != kUnrecordedMethod)
            order << method;
    }
    if (methods.contains(kUnrecordedMethod))
        order << kUnrecordedMethod;
    for (const QString& method : order) {
        const std::optional<DayFigures::Row> row = methods.row(method);
        if (!row)
            return unreadableAmount(method);
        figures.methods << *row;
    }
    for (const QString& name : cashiers.names()) {
        const std::optional<DayFigures::Row> row = cashiers.row(name);
        if (!row)
            return unreadableAmount(name);
        figures.cashiers << *row;
    }
    const std::optional<QString> total = amountTotalText(all);
    if (!total)
        return unreadableAmount(QStringLiteral("合计"));
    figures.total = {QStringLiteral("合计"), all.size(), *total};
    if (methods.contains(kCashMethod))
        figures.cash = methods.row(kCashMethod)->amount;

    const Result<QList<SaleChange>> changes = changesBetween(db, dayStart(day), dayEnd(day));
    if (!changes)
        return Error{changes.error()};
    QStringList deleted;
    QSet<QString> changedSales;
    for (const SaleChange& change : *changes) {
        if (change.action == change::kDeleteSale) {
            if (cashier.isEmpty() || describedValue(change.before, QStringLiteral("收银员")) == cashier)
                deleted << describedValue(change.before, QStringLiteral("金额"));
            continue;
        }
        if (!cashier.isEmpty()) {
            auto owner =
                db.query(QStringLiteral("select 收银员 from 销售记录 where 销售票号 = ?"), {change.ticketNumber});
            if (!owner)
                return db.failure();
            if (owner->atEnd() || owner->text(1) != cashier)
                continue;
        }
        changedSales.insert(change.ticketNumber);
    }
    const std::optional<QString> deletedAmount = amountTotalText(deleted);
    if (!deletedAmount)
        return unreadableAmount(QStringLiteral("删除"));
    figures.deletedCount = deleted.size();
    figures.deletedAmount = *deletedAmount;
    figures.changedCount = changedSales.size();
    return figures;
}

QString deletedSummary(const DayFigures& figures)
{
    return QStringLiteral("%1 笔 / %2").arg(figures.deletedCount).arg(figures.deletedAmount);
}

QString changedSummary(const DayFigures& figures)
{
    return QStringLiteral("%1 笔").arg(figures.changedCount);
}

Result<QStringList> cashiersOnDay(Database& db, const QDate& day)
{
    return queryTexts(db,
                      QStringLiteral("select 收银员 from 销售记录 where 销售时间 between ? and ? "
                                     "group by 收银员 order by min(销售时间), min(ID)"),
                      {canonicalDateTimeText(dayStart(day)), canonicalDateTimeText(dayEnd(day))});
}

} // namespace quorrel
