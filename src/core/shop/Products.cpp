#include "core/shop/Products.h"

#include "core/sales/ProductStore.h"
#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

#include <QRegularExpression>

namespace quorrel {

Result<QList<Product>> Products::page(qint64 afterId, int count)
{
    auto records =
        m_db.query(QStringLiteral("select [ID], [名称], [单价] from [商品名称] where [ID] > ? order by [ID] limit ?"),
                   {afterId, count});
    if (!records)
        return m_db.failure();
    QList<Product> products;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        products.append({records->readField(1).toLongLong(), records->text(2), records->text(3)});
    if (records->failed())
        return m_db.failure();
    return products;
}

Done Products::add(const QString& name, const QString& price)
{
    return announceIf(m_db.execute(QStringLiteral("insert into [商品名称] (名称,单价 ) values (?,?)"), {name, price}));
}

Done Products::update(qint64 id, const QString& name, const QString& price)
{
    return announceIf(
        m_db.execute(QStringLiteral("update [商品名称] set [名称]=?, [单价]=? where [ID]=?"), {name, price, id}));
}

Done Products::remove(qint64 id)
{
    return announceIf(m_db.execute(QStringLiteral("delete from [商品名称] where [ID]=?"), {id}));
}

Done Products::remember(const QString& name, const QString& priceText)
{
    return announceIf(rememberProductRow(m_db, name, priceText));
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
