#include "store/Settings.h"

#include "store/Database.h"
#include "store/RecordSet.h"

namespace quorrel {

std::optional<QString> ReadSetting(Database& db, const QString& column)
{
    auto records = db.Query(QStringLiteral("select * from 配置文件 where 1"));
    if (!records)
        return std::nullopt;
    records->MoveFirst();
    QString value = records->Text(column);
    records->Close();
    return value;
}

} // namespace quorrel
