#include "core/records/StoredSales.h"

#include "core/records/ChangeLog.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/Transaction.h"

namespace quorrel {

void StoredSales::setOperator(const QString& user, const QString& till)
{
    m_user = user;
    m_till = till;
}

Result<StoredSale> StoredSales::storeNext(int ticketFormat, const SaleHeader& header, const Sale& sale)
{
    SaleHeader atThisTill = header;
    atThisTill.till = m_till;
    Result<StoredSale> stored = storeNextSale(m_db, ticketFormat, atThisTill, sale);
    if (stored) {
        emit saleStored(stored->id);
        emit changed();
    }
    return stored;
}

Done StoredSales::changeLogged(qint64 saleId, const QString& action, const QString& before, const QString& after,
                               const std::function<bool()>& change)
{
    Transaction transaction(m_db);
    if (!transaction.began())
        return m_db.failure();
    const std::optional<SaleRecord> sale = loadSale(m_db, saleId);
    const SaleChange logged{canonicalDateTimeText(Clock::now()),
                            m_user,
                            m_till,
                            action,
                            sale ? sale->ticketNumber : QString(),
                            before.isNull() && sale ? describeSale(*sale) : before,
                            after};
    if (!writeChange(m_db, logged) || !change() || !transaction.commit())
        return m_db.failure();
    return {};
}

Done StoredSales::remove(qint64 saleId)
{
    const Done removed = announceIf(
        changeLogged(saleId, change::kDeleteSale, QString(), QString(), [&] { return deleteSale(m_db, saleId); }).ok());
    if (removed)
        emit saleDeleted(saleId);
    return removed;
}

Done StoredSales::updateLine(qint64 saleId, const SaleLine& line)
{
    const std::optional<SaleLine> before = loadSaleLine(m_db, line.id);
    if (!before)
        return m_db.failure();
    const Done updated =
        announceIf(changeLogged(saleId, change::kChangeLine, describeLine(*before), describeLine(line), [&] {
                       return updateSaleLine(m_db, saleId, line);
                   }).ok());
    if (updated)
        emit saleChanged(saleId);
    return updated;
}

Done StoredSales::removeLine(qint64 saleId, qint64 lineId)
{
    const std::optional<SaleLine> before = loadSaleLine(m_db, lineId);
    if (!before)
        return m_db.failure();
    const Done removed = announceIf(changeLogged(saleId, change::kDeleteLine, describeLine(*before), QString(), [&] {
                                        return deleteSaleLine(m_db, saleId, lineId);
                                    }).ok());
    if (removed)
        emit saleChanged(saleId);
    return removed;
}

} // namespace quorrel
