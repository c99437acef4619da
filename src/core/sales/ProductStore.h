#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

struct ProductMatch
{
    QString name;  // 名称
    QString price; // 单价 as stored
};

// The most recently stored product whose name begins with `prefix` (letters compare without
// regard to case); an empty name when none does; nullopt when the query failed.
std::optional<ProductMatch> lastProductWithPrefix(Database& db, const QString& prefix);

// The bound above every name that begins with `prefix`, for range searches on the name index.
QString prefixUpperBound(const QString& prefix);

// An entry of the product drop-down list: 代码 followed by 名称, and the whole part of the price.
struct ProductEntry
{
    QString text;
    qint64 number = 0;
};
std::optional<QList<ProductEntry>> productList(Database& db);

// Whether a product of that name (letters compared without case) is stored; nullopt when the query
// failed.
std::optional<bool> productExists(Database& db, const QString& name);

// Remembers a product the cashier typed: its full name and the price with two decimals.
bool rememberProductRow(Database& db, const QString& name, const QString& priceText);

} // namespace quorrel
