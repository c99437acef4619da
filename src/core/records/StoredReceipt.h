#pragma once

#include "core/receipt/ReceiptLayout.h"
#include "core/records/SaleRecords.h"

namespace quorrel {

// The receipt of a stored sale, printed again: its own ticket number, time, cashier and remark, its
// stored lines and totals. Cash received, change and payment method are not stored and stay empty.
ReceiptContent storedReceipt(const QString& shopName, const SaleRecord& sale, const QList<SaleLine>& lines);

} // namespace quorrel
