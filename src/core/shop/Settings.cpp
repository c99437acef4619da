#include "core/shop/Settings.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QVariant> readFirstRowField(Database& db, const QString& sql, const QString& column)
{
    auto records = db.query(sql);
    if (!records)
        return std::nullopt;
    records->moveFirst();
    QVariant value = records->readField(column);
    records->close();
    return value;
}

std::optional<QString> readSetting(Database& db, const QString& column)
{
    const std::optional<QVariant> value =
        readFirstRowField(db, QStringLiteral("select * from 配置文件 where 1"), column);
    if (!value)
        return std::nullopt;
    if (value->typeId() == QMetaType::Double)
        return doubleToText(value->toDouble()); // as RecordSet::Text writes numbers
    return value->toString();
}

} // namespace quorrel
