#pragma once

// The database schema and the factory contents, shared by the build-time tool that makes the
// factory database and by the program itself. Plain C strings: the tool links no Qt.

namespace quorrel::schema {

// Key of every database file the program opens or writes.
inline constexpr const char* kDatabaseKey = "19970605";

// Incremented whenever a later release changes the tables; stored as PRAGMA user_version.
// 2: the ticket-number index, and 末单票号 remembering the newest sale's number once it is deleted.
inline constexpr int kSchemaVersion = 2;

// CREATE statements for the seven tables of the shop, columns in design order (select * positions rely
// on it), and the program's own bookkeeping table 末单票号.
extern const char* const kCreateTables;

// Statements that bring a file of an earlier version up to kSchemaVersion, run when it is opened.
extern const char* const kUpgradeTables;

// The starting contents of a new shop: the settings row, the admin user, payment methods.
extern const char* const kFactoryRows;

} // namespace quorrel::schema
