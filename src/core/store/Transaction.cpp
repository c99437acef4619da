#include "core/store/Transaction.h"

#include "core/store/Database.h"

namespace quorrel {

Transaction::Transaction(Database& db) : m_db(db)
{
    m_began = m_db.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (m_began && !m_done)
        m_db.rollback();
}

bool Transaction::commit()
{
    if (!m_began || m_done)
        return false;
    // After a full disk or an I/O error SQLite has already undone the transaction itself; a COMMIT
    // would only report that none is active, in place of the failure that ended it.
    if (!m_db.inTransaction())
        return false;
    if (!m_db.execute(QStringLiteral("COMMIT")))
        return false; // the destructor rolls back what is still pending
    m_done = true;
    return true;
}

} // namespace quorrel
