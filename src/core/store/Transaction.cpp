#include "core/store/Transaction.h"

#include "core/store/Database.h"

namespace quorrel {

Transaction::Transaction(Database& db) : m_db(db)
{
    m_began = m_db.Execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (m_began && !m_done)
        m_db.Execute(QStringLiteral("ROLLBACK"));
}

bool Transaction::Commit()
{
    if (!m_began || m_done)
        return false;
    if (!m_db.Execute(QStringLiteral("COMMIT")))
        return false; // the destructor rolls back what is still pending
    m_done = true;
    return true;
}

} // namespace quorrel
