#pragma once

#include "core/records/SaleRecords.h"
#include "core/sales/Sale.h"

#include <utility>

namespace quorrel {

// A stored sale as the receipt code takes it, to print it again: its own ticket number, time, cashier
// and remark, and its stored lines. Cash received, change and payment method are not stored and stay
// empty.
std::pair<Sale, SaleHeader> storedSale(const QString& shopName, const SaleRecord& sale, const QList<SaleLine>& lines);

} // namespace quorrel
