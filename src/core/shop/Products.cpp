#include "core/shop/Products.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

#include <QRegularExpression>

namespace quorrel {

std::optional<QList<Product>> Products::page(qint64 afterId, int count)
{
    auto records =
        m_db.query(QStringLiteral("select [ID], [名称], [单价] from [商品名称] where [ID] > ? order by [ID] limit ?"),
                   {afterId, count});
    if (!records)
        return std::nullopt;
    QList<Product> products;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        products.append({records->readField(1).toLongLong(), records->text(2), records->text(3)});
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return products;
}

bool Products::add(const QString& name, const QString& price)
{
    return m_db.execute(QStringLiteral("insert into [商品名称] (名称,单价 ) values (?,?)"), {name, price});
}

bool Products::update(qint64 id, const QString& name, const QString& price)
{
    return m_db.execute(QStringLiteral("update [商品名称] set [名称]=?, [单价]=? where [ID]=?"), {name, price, id});
}

bool Products::remove(qint64 id)
{
    return m_db.execute(QStringLiteral("delete from [商品名称] where [ID]=?"), {id});
}

std::optional<QString> productPriceText(const QString& typed)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)$)"));
    const QString plain = toHalfWidth(typed).trimmed();
    if (!number.match(plain).hasMatch())
        return std::nullopt;
    return formatMoney(plain);
}

} // namespace quorrel
