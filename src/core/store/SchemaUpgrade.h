#pragma once

#include "core/store/Result.h"

#include <functional>
#include <optional>

namespace quorrel {

class Database;

// Brings a shop file written by an earlier release up to the current schema in one transaction: it
// is upgraded whole or, on any failure, left as it was. `tick` is called now and then while a big
// shop's lookup tables are filled, so that the caller can show that work goes on. A file that is
// no shop file, or is current already, is left alone. True when the file was upgraded.
Result<bool> upgradeSchema(Database& db, const std::function<void()>& tick = {});

// The file's schema version (PRAGMA user_version); nullopt when it cannot be read.
std::optional<int> schemaVersion(Database& db);

} // namespace quorrel
