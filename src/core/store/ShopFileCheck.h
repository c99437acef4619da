#pragma once

#include "core/store/Result.h"

#include <QMap>
#include <QString>

namespace quorrel {

class Database;

// Checks of a shop file that is about to be used in place of the shop's own (a restore) or that
// was just written as a copy of it (a backup): whole pages, and the tables the program reads.
namespace shopfile {

// SQLite's quick_check: every page of the file is readable and well formed.
Done quickCheck(Database& db);

// The rows of every table of the file, by table name: two files compared this way hold the same
// data, as far as a copy can go wrong.
Result<QMap<QString, qint64>> tableRows(Database& db);

// The seven tables of a shop file with every column this release makes in them. A file of an
// earlier release has them too (the later versions only add tables), so it passes and is upgraded
// when it is opened.
Done hasShopColumns(Database& db);

} // namespace shopfile
} // namespace quorrel
