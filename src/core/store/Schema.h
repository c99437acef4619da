#pragma once

// The database schema and the factory contents, shared by the build-time tool that makes the
// factory database and by the program itself. Plain C strings: the tool links no Qt.

namespace quorrel::schema {

// Key of every database file the program opens or writes.
inline constexpr const char* kDatabaseKey = "19970605";

// Incremented whenever a later release changes the tables; stored as PRAGMA user_version.
inline constexpr int kSchemaVersion = 1;

// CREATE statements for the seven tables, columns in design order (select * positions rely on it).
extern const char* const kCreateTables;

// The starting contents of a new shop: the settings row, the admin user, payment methods.
extern const char* const kFactoryRows;

} // namespace quorrel::schema
