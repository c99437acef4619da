#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

struct PaymentMethod
{
    qint64 id = 0;
    QString name; // 方式
};

// The payment methods (付款方式) the cashier picks from. Readers give nullopt when the query fails.
class PaymentMethods
{
public:
    explicit PaymentMethods(Database& db) : m_db(db) {}

    // Every method in the order they were added.
    std::optional<QList<PaymentMethod>> all();

    bool add(const QString& name);
    bool rename(qint64 id, const QString& name);
    bool remove(qint64 id);

private:
    Database& m_db;
};

} // namespace quorrel
