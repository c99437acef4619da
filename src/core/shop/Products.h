#pragma once

#include <QList>
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

// The common products (商品名称) as the settings window keeps them. Readers give nullopt when the
// query fails.
class Products
{
public:
    explicit Products(Database& db) : m_db(db) {}

    // Up to `count` products after the one with ID `afterId`, in the order they were added: a list
    // of a million products is read a page at a time as it is shown.
    std::optional<QList<Product>> page(qint64 afterId, int count);

    bool add(const QString& name, const QString& price);
    bool update(qint64 id, const QString& name, const QString& price);
    bool remove(qint64 id);

private:
    Database& m_db;
};

// The price as stored: full-width digits made plain, then two decimals without rounding ("3" →
// "3.00", "12.345" → "12.34"); nullopt when the text is no number ("3,50", "abc").
std::optional<QString> productPriceText(const QString& typed);

} // namespace quorrel
