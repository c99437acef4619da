#include "core/sales/ProductStore.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

QString PrefixUpperBound(const QString& prefix)
{
    // Greater than the prefix followed by any character, under the names' NOCASE order.
    return prefix + QString::fromUcs4(U"\U0010FFFF");
}

std::optional<ProductMatch> LastProductWithPrefix(Database& db, const QString& prefix)
{
    // The last stored product whose name begins with the prefix, letters compared without regard
    // to case. A range over the name index (NOCASE, like the column) finds the matches without
    // reading the table; LIKE with a bound pattern would read every row.
    auto last = db.Query(QStringLiteral("select max(ID) from 商品名称 where 名称 >= ? and 名称 < ?"),
                         {prefix, PrefixUpperBound(prefix)});
    if (!last)
        return std::nullopt;
    ProductMatch match;
    const QVariant id = last->ReadField(1);
    last->Close();
    if (id.typeId() != QMetaType::LongLong)
        return match; // no product begins with it
    auto records = db.Query(QStringLiteral("select * from 商品名称 where ID = ?"), {id});
    if (!records)
        return std::nullopt;
    if (!records->AtEnd()) {
        match.name = records->Text(QStringLiteral("名称"));
        match.price = records->Text(QStringLiteral("单价"));
    }
    return match;
}

std::optional<QList<ProductEntry>> ProductList(Database& db)
{
    auto records = db.Query(QStringLiteral("select * from 商品名称"));
    if (!records)
        return std::nullopt;
    QList<ProductEntry> entries;
    for (records->MoveFirst(); !records->AtEnd(); records->MoveNext()) {
        entries.append({records->Text(QStringLiteral("代码")) + records->Text(QStringLiteral("名称")),
                        TextToWhole(records->Text(QStringLiteral("单价")))});
    }
    if (records->Failed())
        return std::nullopt;
    return entries;
}

std::optional<bool> ProductExists(Database& db, const QString& name)
{
    auto records = db.Query(QStringLiteral("select count(*) from 商品名称 where 名称 = ?"), {name});
    if (!records)
        return std::nullopt;
    return records->ReadField(1).toLongLong() > 0;
}

bool RememberProductRow(Database& db, const QString& name, const QString& priceText)
{
    return db.Execute(QStringLiteral("insert into [商品名称] (名称,单价 )values (?,?)"),
                      {name, FormatMoney(priceText)});
}

} // namespace quorrel
