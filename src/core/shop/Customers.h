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

    // How the customer window searches: everyone, or by name or telephone number, whole or part.
    struct Search
    {
        enum class Field
        {
            All,
            Name,
            Phone,
        };
        Field field = Field::All;
        QString text;
        bool partial = false;
    };
    // Up to `count` customers matching `search` after the one with ID `afterId`, in the order they
    // were added: a long list is read a page at a time as it is shown. A part of a telephone number
    // is looked up in an index of the numbers' endings, whatever the number of customers.
    std::optional<QList<Customer>> page(const Search& search, qint64 afterId, int count);

    bool add(const QString& name, const QString& phone);
    bool update(qint64 id, const QString& name, const QString& phone);
    bool remove(qint64 id);

private:
    // Makes the search indexes on first use and takes in the changes made since the last search;
    // false when they cannot be used, and the search then reads the customers in order.
    bool searchIndexReady();

    Database& m_db;
};

} // namespace quorrel
