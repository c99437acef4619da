#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

struct Customer
{
    qint64 id = 0;
    QString name;  // 姓名
    QString phone; // 电话
};

// The customers (客户资料). Readers give nullopt when the query fails.
class Customers
{
public:
    explicit Customers(Database& db) : m_db(db) {}

    // Every customer in the order they were added.
    std::optional<QList<Customer>> all();

private:
    Database& m_db;
};

} // namespace quorrel
