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
        m_db.execute(QStringLiteral("ROLLBACK"));
}

bool Transaction::commit()
{
    if (!m_began || m_done)
        return false;
    if (!m_db.execute(QStringLiteral("COMMIT")))
        return false; // the destructor rolls back what is still pending
    m_done = true;
    return true;
}

} // namespace quorrel
