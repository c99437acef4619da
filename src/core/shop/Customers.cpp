#include "core/shop/Customers.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QList<Customer>> Customers::all()
{
    auto records = m_db.query(QStringLiteral("select * from [客户资料] order by [ID]"));
    if (!records)
        return std::nullopt;
    QList<Customer> customers;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        customers.append({records->readField(QStringLiteral("ID")).toLongLong(), records->text(QStringLiteral("姓名")),
                          records->text(QStringLiteral("电话"))});
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return customers;
}

std::optional<QList<Customer>> Customers::page(const Search& search, qint64 afterId, int count)
{
    QString sql = QStringLiteral("select [ID], [姓名], [电话] from [客户资料] where [ID] > ?");
    QVariantList params{afterId};
    if (search.field != Search::Field::All) {
        const QString column =
            search.field == Search::Field::Name ? QStringLiteral("[姓名]") : QStringLiteral("[电话]");
        // The typed text is a bound value; in a partial search its % and _ match themselves.
        if (search.partial) {
            QString pattern = search.text;
            pattern.replace(u'\\', QStringLiteral("\\\\"))
                .replace(u'%', QStringLiteral("\\%"))
                .replace(u'_', QStringLiteral("\\_"));
            sql += QStringLiteral(" and ") + column + QStringLiteral(" like ? escape '\\'");
            params << QStringLiteral("%") + pattern + QStringLiteral("%");
        } else {
            sql += QStringLiteral(" and ") + column + QStringLiteral("=?");
            params << search.text;
        }
    }
    sql += QStringLiteral(" order by [ID] limit ?");
    params << count;
    auto records = m_db.query(sql, params);
    if (!records)
        return std::nullopt;
    QList<Customer> customers;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        customers.append({records->readField(1).toLongLong(), records->text(2), records->text(3)});
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return customers;
}

bool Customers::add(const QString& name, const QString& phone)
{
    return m_db.execute(QStringLiteral("insert into [客户资料] (姓名,电话 ) values (?,?)"), {name, phone});
}

bool Customers::update(qint64 id, const QString& name, const QString& phone)
{
    return m_db.execute(QStringLiteral("update [客户资料] set [姓名]=?, [电话]=? where [ID]=?"), {name, phone, id});
}

bool Customers::remove(qint64 id)
{
    return m_db.execute(QStringLiteral("delete from [客户资料] where [ID]=?"), {id});
}

} // namespace quorrel
