#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace quorrel {

class Database;

// The named column of the first row `sql` returns, as stored (empty text for no row, a NULL or a
// missing column); nullopt when the query failed.
std::optional<QVariant> readFirstRowField(Database& db, const QString& sql, const QString& column);

// The named column of the first settings row as text: empty when NULL or when the column does not
// exist; nullopt when the query itself failed (the caller reports it).
std::optional<QString> readSetting(Database& db, const QString& column);

// A flag column holds "真" (on) or "假" (off); anything else leaves the caller's default.
inline const QString kOn = QStringLiteral("真");
inline const QString kOff = QStringLiteral("假");

} // namespace quorrel
