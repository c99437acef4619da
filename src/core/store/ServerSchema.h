#pragma once

#include "core/store/Result.h"

#include <QHash>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// The shop's tables on a PostgreSQL server: the same tables, columns and names as in the shop's
// file (texts compare without regard to ASCII letter case, by their bytes otherwise), the lookups
// kept by triggers as there, and a notification on the channel kShopChannel naming the table
// whenever the products, users, payment methods, customers or settings change.
namespace server {

inline constexpr const char* kShopChannel = "quorrel_shop";

// The schema version the server's tables are at; nullopt when it cannot be read.
std::optional<int> schemaVersion(Database& db);

// Creates the tables and the factory rows (settings, admin, the four payment methods) in one
// transaction on a database that holds no shop yet.
Done createShop(Database& db);

// The statements that make the tables, without the factory rows (for a copy of a whole shop).
Done createTables(Database& db);

// The highest ID each table has given out, deleted rows included, by table name: what a new row's
// ID must follow. Read from a file's sqlite_sequence or a server's sequences.
std::optional<QHash<QString, qint64>> idsGivenOut(Database& db);

// After rows were copied in with their IDs: each table's ID sequence continues after the highest
// ID in it and after `givenOut`'s, so that a deleted row's ID is not given out again.
Done continueSequences(Database& db, const QHash<QString, qint64>& givenOut = {});

} // namespace server

} // namespace quorrel
