#pragma once

#include "core/store/Result.h"

#include <QObject>

namespace quorrel {

class Database;

// One of the shop's lists (products, users, payment methods, customers): every change made through
// it is announced with changed() once it is stored, and never when it failed.
class ShopTable : public QObject
{
    Q_OBJECT
public:
    Database& database() const { return m_db; }

signals:
    void changed();

protected:
    explicit ShopTable(Database& db, QObject* parent = nullptr) : QObject(parent), m_db(db) {}

    // The outcome of a statement that changed the table: announced when stored, else its failure.
    Done announceIf(bool stored);

    Database& m_db;
};

} // namespace quorrel
