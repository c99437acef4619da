#include "core/sales/ProductStore.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

QString prefixUpperBound(const QString& prefix)
{
    // Greater than the prefix followed by any character, under the names' NOCASE order.
    return prefix + QString::fromUcs4(U"\U0010FFFF");
}

std::optional<ProductMatch> lastProductWithPrefix(Database& db, const QString& prefix)
{
    // The last stored product whose name begins with the prefix, letters compared without regard
    // to case. A range over the name index (NOCASE, like the column) finds the matches without
    // reading the table; LIKE with a bound pattern would read every row.
    auto last = db.query(QStringLiteral("select max(ID) from 商品名称 where 名称 >= ? and 名称 < ?"),
                         {prefix, prefixUpperBound(prefix)});
    if (!last)
        return std::nullopt;
    ProductMatch match;
    const QVariant id = last->readField(1);
    last->close();
    if (id.typeId() != QMetaType::LongLong)
        return match; // no product begins with it
    auto records = db.query(QStringLiteral("select * from 商品名称 where ID = ?"), {id});
    if (!records)
        return std::nullopt;
    if (!records->atEnd()) {
        match.name = records->text(QStringLiteral("名称"));
        match.price = records->text(QStringLiteral("单价"));
    }
    return match;
}

std::optional<QList<ProductEntry>> productList(Database& db)
{
    auto records = db.query(QStringLiteral("select * from 商品名称"));
    if (!records)
        return std::nullopt;
    QList<ProductEntry> entries;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        entries.append({records->text(QStringLiteral("代码")) + records->text(QStringLiteral("名称")),
                        textToWhole(records->text(QStringLiteral("单价")))});
    }
    if (records->failed())
        return std::nullopt;
    return entries;
}

std::optional<bool> productExists(Database& db, const QString& name)
{
    auto records = db.query(QStringLiteral("select count(*) from 商品名称 where 名称 = ?"), {name});
    if (!records)
        return std::nullopt;
    return records->readField(1).toLongLong() > 0;
}

bool rememberProductRow(Database& db, const QString& name, const QString& priceText)
{
    return db.execute(QStringLiteral("insert into [商品名称] (名称,单价 )values (?,?)"),
                      {name, formatMoney(priceText)});
}

} // namespace quorrel
