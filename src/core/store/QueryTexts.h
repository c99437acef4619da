#pragma once

#include "core/store/Result.h"

#include <QStringList>
#include <QVariantList>

namespace quorrel {

class Database;

// The first column of every row the statement yields, as text; the failure of the statement or of
// any step of the walk otherwise.
Result<QStringList> queryTexts(Database& db, const QString& sql, const QVariantList& params = {});

} // namespace quorrel
