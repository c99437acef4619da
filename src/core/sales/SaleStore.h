#pragma once

#include "core/sales/Sale.h"

#include <optional>

namespace quorrel {

class Database;

// Stores the header and every line in one transaction: all of it or, on any failure, nothing.
// The header row takes the ticket number, the cashier, the remark and the sale's total quantity and
// total amount (before discount); its time is the database's now(); each line points at the new
// header's ID. The header's remark is stored with one blank after it, each line's with one blank
// before it. Returns the new header's ID.
std::optional<qint64> storeSale(Database& db, const SaleHeader& header, const Sale& sale);

} // namespace quorrel
