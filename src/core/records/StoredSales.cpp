#include "core/records/StoredSales.h"

namespace quorrel {

Result<StoredSale> StoredSales::storeNext(int ticketFormat, const SaleHeader& header, const Sale& sale)
{
    Result<StoredSale> stored = storeNextSale(m_db, ticketFormat, header, sale);
    if (stored) {
        emit saleStored(stored->id);
        emit changed();
    }
    return stored;
}

Done StoredSales::remove(qint64 saleId)
{
    const Done removed = announceIf(deleteSale(m_db, saleId));
    if (removed)
        emit saleDeleted(saleId);
    return removed;
}

Done StoredSales::updateLine(qint64 saleId, const SaleLine& line)
{
    const Done updated = announceIf(updateSaleLine(m_db, saleId, line));
    if (updated)
        emit saleChanged(saleId);
    return updated;
}

Done StoredSales::removeLine(qint64 saleId, qint64 lineId)
{
    const Done removed = announceIf(deleteSaleLine(m_db, saleId, lineId));
    if (removed)
        emit saleChanged(saleId);
    return removed;
}

} // namespace quorrel
