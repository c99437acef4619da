#include "core/shop/Settings.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QVariant> ReadFirstRowField(Database& db, const QString& sql, const QString& column)
{
    auto records = db.Query(sql);
    if (!records)
        return std::nullopt;
    records->MoveFirst();
    QVariant value = records->ReadField(column);
    records->Close();
    return value;
}

std::optional<QString> ReadSetting(Database& db, const QString& column)
{
    const std::optional<QVariant> value =
        ReadFirstRowField(db, QStringLiteral("select * from 配置文件 where 1"), column);
    if (!value)
        return std::nullopt;
    if (value->typeId() == QMetaType::Double)
        return DoubleToText(value->toDouble()); // as RecordSet::Text writes numbers
    return value->toString();
}

} // namespace quorrel
