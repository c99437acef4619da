#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// The logo and its two settings in the settings row (配置文件, ID 1). The readers give nullopt and
// the writers false when the statement fails; the caller tells the user.

// logo偏差 as a whole number (a fraction is cut off; empty or NULL is 0).
std::optional<int> loadLogoOffset(Database& db);

// The stored image file's bytes exactly as they were read from disk; NULL or empty give no bytes.
std::optional<QByteArray> loadLogoImage(Database& db);

// 是否打印logo as stored: "真" prints the logo, anything else does not.
std::optional<QString> readPrintLogoFlag(Database& db);

// Sets 是否打印logo to "真" or "假".
bool storePrintLogoFlag(Database& db, bool on);

// Stores the bytes as the logo, whatever kind of file they come from.
bool storeLogoImage(Database& db, const QByteArray& bytes);

// logo偏差 holds whole numbers only: a text that is no number (empty, letters, out of range) is
// refused and nothing is stored; a number with a fraction is stored as its whole part.
bool storeLogoOffset(Database& db, const QString& text);

} // namespace quorrel
