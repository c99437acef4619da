#pragma once

// The database schema and the factory contents, shared by the build-time tool that makes the
// factory database and by the program itself. Plain C strings: the tool links no Qt.

#include <array>

namespace quorrel::schema {

// Key of every database file the program opens or writes.
inline constexpr const char* kDatabaseKey = "19970605";

// Incremented whenever a later release changes the tables; stored as PRAGMA user_version.
// 2: the ticket-number index, and 末单票号 remembering the newest sale's number once it is deleted.
// 3: the product-prefix table behind the name box's completion and the index of the telephone
//    numbers' endings behind the customer search, with the triggers that keep them up to date.
// 4: how each sale was paid and at which till (销售记录.付款方式, 实收, 找零, 收银台), the rate each
//    line was sold at (销售详情.折扣), and the log of changes to stored sales (销售变更).
inline constexpr int kSchemaVersion = 4;

// CREATE statements for the seven tables of the shop, columns in design order (select * positions rely
// on it), and the program's own bookkeeping: 末单票号, 商品前缀, the telephone index and their
// triggers.
extern const char* const kCreateTables;

// Statements that bring a file of version 1 to version 2; each step may already be present.
extern const char* const kUpgradeToVersion2;

// The columns version 4 adds to the sales (all TEXT COLLATE NOCASE); older sales keep them empty.
struct AddedColumn
{
    const char* table;
    const char* column;
};
extern const std::array<AddedColumn, 5> kColumnsOfVersion4;
// The change log of stored sales and the triggers that keep its rows as they were written; each
// part may already be present.
extern const char* const kCreateChangeLog;

// The tables and triggers version 3 adds, empty (a file of version 2 may hold older ones, made on
// first use: they are dropped first). The upgrade fills them from the shop's products and customers.
extern const char* const kDropLookupTables;
extern const char* const kCreateLookupTables;

// Fills 客户电话片段 with every ending of at least three characters of every customer's number.
extern const char* const kFillPhoneIndex;

// The starting contents of a new shop: the settings row, the admin user, payment methods.
extern const char* const kFactoryRows;

} // namespace quorrel::schema
