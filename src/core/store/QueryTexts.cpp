#include "core/store/QueryTexts.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

Result<QStringList> queryTexts(Database& db, const QString& sql, const QVariantList& params)
{
    auto rows = db.query(sql, params);
    if (!rows)
        return db.failure();
    QStringList texts;
    for (; !rows->atEnd(); rows->moveNext())
        texts << rows->text(1);
    if (rows->failed())
        return db.failure();
    return texts;
}

} // namespace quorrel
