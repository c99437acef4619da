#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// The logo and its offset as the receipt takes them from the settings row (through ShopSettings).
// The readers give nullopt when the statement fails; the caller tells the user.

// logo偏差 as a whole number within 0..2000 (a fraction is cut off; empty or NULL is 0).
std::optional<int> loadLogoOffset(Database& db);

// The stored image file's bytes exactly as they were read from disk; NULL or empty give no bytes.
std::optional<QByteArray> loadLogoImage(Database& db);

} // namespace quorrel
