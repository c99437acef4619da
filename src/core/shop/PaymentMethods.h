#pragma once

#include "core/store/Result.h"

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
class PaymentMethods : public QObject
{
    Q_OBJECT
public:
    explicit PaymentMethods(Database& db, QObject* parent = nullptr) : QObject(parent), m_db(db) {}

    // Every method in the order they were added.
    Result<QList<PaymentMethod>> all();

    Done add(const QString& name);
    Done rename(qint64 id, const QString& name);
    Done remove(qint64 id);

signals:
    void changed();

private:
    Done changedIf(bool stored);

    Database& m_db;
};

} // namespace quorrel
