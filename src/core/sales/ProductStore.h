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
// regard to case); an empty name when none does; nullopt when the query failed. The table
// 商品前缀 answers for prefixes many products share; a lookup first takes in the products stored
// since the last one.
std::optional<ProductMatch> lastProductWithPrefix(Database& db, const QString& prefix);

// The bound above every name that begins with `prefix`, for range searches on the name index.
QString prefixUpperBound(const QString& prefix);

// Whether a product of that name (letters compared without case) is stored; nullopt when the query
// failed.
std::optional<bool> productExists(Database& db, const QString& name);

// Remembers a product the cashier typed: its full name and the price with two decimals; 商品前缀
// follows in the same transaction.
bool rememberProductRow(Database& db, const QString& name, const QString& priceText);

} // namespace quorrel
