#pragma once

#include "core/shop/ShopTable.h"

#include <QList>
#include <QObject>
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

// The customers (客户资料). Every change is announced with changed() once it is stored.
class Customers : public ShopTable
{
    Q_OBJECT
public:
    explicit Customers(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

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
    Result<QList<Customer>> page(const Search& search, qint64 afterId, int count);

    Done add(const QString& name, const QString& phone);
    Done update(qint64 id, const QString& name, const QString& phone);
    Done remove(qint64 id);

private:
    // Takes the changes made since the last search into the telephone index; false when it cannot be
    // used, and the search then reads the customers in order.
    bool searchIndexReady();
};

} // namespace quorrel
