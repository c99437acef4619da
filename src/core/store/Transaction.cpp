#include "core/store/Transaction.h"

#include "core/store/Database.h"

namespace quorrel {

Transaction::Transaction(Database& db) : m_db(db)
{
    // Inside another transaction this one is a savepoint of it: its work is kept or undone with it,
    // and undone alone when it fails.
    m_nested = m_db.inTransaction();
    m_began = m_db.execute(m_nested ? QStringLiteral("SAVEPOINT 嵌套") : m_db.beginText());
}

Transaction::~Transaction()
{
    if (!m_began || m_done)
        return;
    if (!m_nested) {
        m_db.rollback();
        return;
    }
    // Back to where the savepoint began; the outer transaction goes on and decides.
    if (m_db.inTransaction()) {
        const QString cause = m_db.lastError();
        const int code = m_db.lastErrorCode();
        m_db.execute(QStringLiteral("ROLLBACK TO 嵌套"));
        m_db.execute(QStringLiteral("RELEASE 嵌套"));
        m_db.keepError(cause, code);
    }
}

bool Transaction::commit()
{
    if (!m_began || m_done)
        return false;
    // After a full disk or an I/O error SQLite has already undone the transaction itself; a COMMIT
    // would only report that none is active, in place of the failure that ended it.
    if (!m_db.inTransaction())
        return false;
    if (!m_db.execute(m_nested ? QStringLiteral("RELEASE 嵌套") : QStringLiteral("COMMIT")))
        return false; // the destructor rolls back what is still pending
    m_done = true;
    return true;
}

} // namespace quorrel
