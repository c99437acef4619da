#pragma once

#include "core/shop/ShopTable.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

struct Product
{
    qint64 id = 0;
    QString name;  // 名称
    QString price; // 单价, a two-decimal text
};

// The common products (商品名称): kept in the settings window, remembered by the till when a
// cashier types a new one. Every change is announced with changed() once it is stored.
class Products : public ShopTable
{
    Q_OBJECT
public:
    explicit Products(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

    // Up to `count` products after the one with ID `afterId`, in the order they were added: a list
    // of a million products is read a page at a time as it is shown.
    Result<QList<Product>> page(qint64 afterId, int count);

    Done add(const QString& name, const QString& price);
    Done update(qint64 id, const QString& name, const QString& price);
    Done remove(qint64 id);
    // A product the cashier typed at the till: its full name and the price with two decimals.
    Done remember(const QString& name, const QString& priceText);
};

// The price as stored: full-width digits made plain, then two decimals without rounding ("3" →
// "3.00", "12.345" → "12.34"); nullopt when the text is no number ("3,50", "abc").
std::optional<QString> productPriceText(const QString& typed);

} // namespace quorrel
