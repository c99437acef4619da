#pragma once

#include "core/records/SaleRecords.h"
#include "core/sales/Sale.h"

#include <utility>

namespace quorrel {

// A stored sale as the receipt code takes it, to print it again: its own ticket number, time,
// cashier, remark, payment method, cash received and change, and its stored lines. A sale stored
// before the payment was kept prints those three empty.
std::pair<Sale, SaleHeader> storedSale(const QString& shopName, const SaleRecord& sale, const QList<SaleLine>& lines);

} // namespace quorrel
