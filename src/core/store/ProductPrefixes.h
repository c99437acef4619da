#pragma once

#include "core/store/Result.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace quorrel {

class Database;

// The table 商品前缀 behind the name box's completion: every prefix shared by more than
// kListedAbove products, with the highest ID among them, so that the last stored product with a
// prefix is found in a few index seeks however many products share it. The row of the empty
// prefix holds the highest product ID the table has taken in.
namespace prefixes {

inline constexpr qint64 kListedAbove = 256;
inline const QString kMarkKey = QStringLiteral("");

// Letters folded as the name index (NOCASE) folds them: A–Z only.
QString folded(const QString& text);

// The lengths (in UTF-16 units) of the text's prefixes of one, two, … whole characters.
QList<qsizetype> prefixLengths(const QString& text);

// The listed highest ID of the prefix: 0 when it is not listed, nullopt when the query failed.
std::optional<qint64> listedHighest(Database& db, const QString& key);
bool list(Database& db, const QString& key, qint64 id);

// Lists every prefix shared by more than the limit from one walk over the names in index order,
// where the names sharing a prefix stand together, into the empty table. `tick` is called every
// few thousand products. Runs inside the caller's transaction.
Done build(Database& db, const std::function<void()>& tick = {});

} // namespace prefixes
} // namespace quorrel
