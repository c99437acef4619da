#pragma once

namespace quorrel {

class Database;

// Scoped transaction: rolls back in its destructor unless commit() succeeded. After a failure the
// database's lastError() is the statement that failed, not the rollback that followed. Made inside
// another one, it is a savepoint of it: committed or undone with the outer one.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool began() const { return m_began; }
    bool commit();

private:
    Database& m_db;
    bool m_nested = false;
    bool m_began = false;
    bool m_done = false;
};

} // namespace quorrel
