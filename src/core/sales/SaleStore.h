#pragma once

#include "core/sales/Sale.h"
#include "core/store/Result.h"

#include <QDate>

#include <optional>

namespace quorrel {

class Database;

// Stores the header and every line in one transaction: all of it or, on any failure, nothing.
// The header row takes the ticket number, the cashier, the remark and the sale's total quantity and
// total amount (before discount); its time is the database's now(); each line points at the new
// header's ID. The header's remark is stored with one blank after it, each line's with one blank
// before it. Returns the new header's ID.
std::optional<qint64> storeSale(Database& db, const SaleHeader& header, const Sale& sale);

// A sale as it was stored: the receipt prints exactly these.
struct StoredSale
{
    qint64 id = 0;
    QString ticketNumber;
    QString time; // as the receipt prints it
};

// Stores the sale under the number that follows the header's in `ticketFormat`, taken inside the
// same transaction, at the clock's time. Nothing is stored (and no number used up) when it fails.
// On a server shared by several tills the number follows the later of the header's and the last
// one any till stored, so that no two sales share a number.
Result<StoredSale> storeNextSale(Database& db, int ticketFormat, const SaleHeader& header, const Sale& sale);

} // namespace quorrel
