#pragma once

#include "core/store/Result.h"

#include <QString>

namespace quorrel {

// Copies a whole shop from `from` to `to`, each a shop file's path or a server's connection (see
// Database::isServerConnection), either way. Every table is copied with its IDs in one transaction
// on the target, and each table's row count there is checked against the source's before it is
// committed. A target that already holds a shop (a file that exists, a server database with the
// shop's tables) is refused; a new target file that could not be filled is removed again.
Done copyShop(const QString& from, const QString& to);

} // namespace quorrel
