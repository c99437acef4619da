#pragma once

#include "core/shop/ShopTable.h"

#include <QList>
#include <QObject>
#include <QString>

namespace quorrel {

class Database;

struct PaymentMethod
{
    qint64 id = 0;
    QString name; // 方式
};

// The payment methods (付款方式) the cashier picks from. Every change is announced with changed()
// once it is stored.
class PaymentMethods : public ShopTable
{
    Q_OBJECT
public:
    explicit PaymentMethods(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

    // Every method in the order they were added.
    Result<QList<PaymentMethod>> all();

    Done add(const QString& name);
    Done rename(qint64 id, const QString& name);
    Done remove(qint64 id);
};

} // namespace quorrel
