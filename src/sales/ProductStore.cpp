#include "sales/ProductStore.h"

#include "store/Conversions.h"
#include "store/Database.h"
#include "store/RecordSet.h"

namespace quorrel {

std::optional<ProductMatch> LastProductWithPrefix(Database& db, const QString& prefix)
{
    // The last stored match wins, as a walk over all matches in stored order would leave it; the
    // name index (NOCASE) serves the prefix.
    auto records =
        db.Query(QStringLiteral("select * from 商品名称  where 名称 like ? order by ID desc limit 1"), {prefix + u'%'});
    if (!records)
        return std::nullopt;
    ProductMatch match;
    records->MoveFirst();
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

bool RememberProductRow(Database& db, const QString& name, const QString& priceText)
{
    return db.Execute(QStringLiteral("insert into [商品名称] (名称,单价 )values (?,?)"),
                      {name, FormatMoney(priceText)});
}

} // namespace quorrel
