#include "core/sales/ProductStore.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Decimal.h"
#include "core/store/ProductPrefixes.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

#include <algorithm>

namespace quorrel {

namespace {

using prefixes::folded;
using prefixes::kListedAbove;
using prefixes::kMarkKey;
using prefixes::list;
using prefixes::listedHighest;
using prefixes::prefixLengths;

// More products stored since the last lookup than this, and the table is made afresh.
constexpr qint64 kRebuildAbove = 2000;

bool startsWithFolded(const QString& name, const QString& key)
{
    return folded(name).startsWith(key);
}

// The highest ID in the name range of the prefix; 0 when none; nullopt when the query failed.
std::optional<qint64> highestInRange(Database& db, const QString& prefix)
{
    auto last = db.query(QStringLiteral("select max(ID) from 商品名称 where 名称 >= ? and 名称 < ?"),
                         {prefix, prefixUpperBound(prefix)});
    if (!last)
        return std::nullopt;
    const QVariant id = last->readField(1);
    return id.typeId() == QMetaType::LongLong ? id.toLongLong() : 0;
}

// How many products the prefix's range holds, counting no further than `limit`.
std::optional<qint64> countInRange(Database& db, const QString& prefix, qint64 limit)
{
    auto count = db.query(
        QStringLiteral("select count(*) from (select 1 from 商品名称 where 名称 >= ? and 名称 < ? limit ?) as 范围"),
        {prefix, prefixUpperBound(prefix), limit});
    if (!count)
        return std::nullopt;
    return count->readField(1).toLongLong();
}

bool prefixTableExists(Database& db)
{
    return db.hasTable(QStringLiteral("商品前缀")).value_or(false);
}

// Takes one stored product into the table: its prefixes that are listed now carry its ID, and a
// prefix that has just grown past the limit is listed. A prefix's range never holds more products
// than a shorter prefix's, so the first short range ends the walk.
bool takeIn(Database& db, qint64 id, const QString& name)
{
    const QString key = folded(name);
    for (qsizetype length : prefixLengths(key)) {
        const QString prefix = key.left(length);
        const std::optional<qint64> listed = listedHighest(db, prefix);
        if (!listed)
            return false;
        if (*listed == 0) {
            const std::optional<qint64> count = countInRange(db, prefix, kListedAbove + 1);
            if (!count)
                return false;
            if (*count <= kListedAbove)
                break;
        } else if (*listed >= id) {
            continue;
        }
        if (!list(db, prefix, id))
            return false;
    }
    return list(db, kMarkKey, id);
}

// Brings 商品前缀 up to the products stored since it last looked, however they were stored. Runs
// inside the caller's transaction.
bool bringPrefixTableUpToDate(Database& db)
{
    const std::optional<qint64> mark = listedHighest(db, kMarkKey);
    auto newest = db.query(QStringLiteral("select max(ID) from 商品名称"));
    if (!mark || !newest)
        return false;
    if (newest->readField(1).toLongLong() <= *mark)
        return true;
    newest.reset();
    // Products stored in bulk by another program (an import) are taken in faster by walking all of
    // them once than one by one.
    auto pending = db.query(QStringLiteral("select count(*) from 商品名称 where ID > ?"), {*mark});
    if (!pending)
        return false;
    if (pending->readField(1).toLongLong() > kRebuildAbove) {
        pending.reset();
        return db.execute(QStringLiteral("delete from 商品前缀")) && prefixes::build(db).ok();
    }
    pending.reset();
    auto added = db.query(QStringLiteral("select ID, 名称 from 商品名称 where ID > ? order by ID"), {*mark});
    if (!added)
        return false;
    QList<std::pair<qint64, QString>> products;
    for (added->moveFirst(); !added->atEnd(); added->moveNext())
        products.append({added->readField(1).toLongLong(), added->text(2)});
    if (added->failed())
        return false;
    added.reset();
    for (const auto& [id, name] : products) {
        if (!takeIn(db, id, name))
            return false;
    }
    return true;
}

// Whether 商品前缀 can answer, brought up to date first when products were stored since. A file
// that could not be upgraded has none, and the lookup reads the name index instead.
bool prefixTableReady(Database& db)
{
    // Reading is the usual case: one statement, and no transaction unless something is to be
    // written. It fails where there is no such table.
    auto state = db.query(
        QStringLiteral("select (select 最大ID from 商品前缀 where 前缀 = ''), (select max(ID) from 商品名称)"));
    if (!state || state->readField(1).isNull())
        return false;
    if (state->readField(2).toLongLong() <= state->readField(1).toLongLong())
        return true;
    state.reset();
    Transaction transaction(db);
    return transaction.began() && bringPrefixTableUpToDate(db) && transaction.commit();
}

std::optional<ProductMatch> productWithId(Database& db, qint64 id)
{
    auto records = db.query(QStringLiteral("select 名称, 单价 from 商品名称 where ID = ?"), {id});
    if (!records)
        return std::nullopt;
    ProductMatch match;
    if (!records->atEnd()) {
        match.name = records->text(1);
        match.price = records->text(2);
    }
    return match;
}

} // namespace

QString prefixUpperBound(const QString& prefix)
{
    // Greater than the prefix followed by any character, under the names' NOCASE order.
    return prefix + QString::fromUcs4(U"\U0010FFFF");
}

std::optional<ProductMatch> lastProductWithPrefix(Database& db, const QString& prefix)
{
    // The last stored product whose name begins with the prefix, letters compared without regard
    // to case. A prefix many products share is listed in 商品前缀 with its highest ID; any other
    // has a short range on the name index (NOCASE, like the column). Either way the answer costs a
    // few index seeks and at most kListedAbove index entries, however many products there are.
    const QString key = folded(prefix);
    if (!key.isEmpty() && prefixTableReady(db)) {
        auto listed = db.query(QStringLiteral("select p.名称, p.单价 from 商品前缀 f left join 商品名称 p "
                                              "on p.ID = f.最大ID where f.前缀 = ?"),
                               {key});
        if (!listed)
            return std::nullopt;
        if (!listed->atEnd()) {
            const ProductMatch match{listed->text(1), listed->text(2)};
            if (!listed->readField(1).isNull() && startsWithFolded(match.name, key))
                return match;
            listed.reset();
            // That product was deleted or renamed since: look again and list the answer.
            const std::optional<qint64> id = highestInRange(db, prefix);
            if (!id)
                return std::nullopt;
            if (*id > 0)
                list(db, key, *id); // a failure here only costs the next lookup the same walk
            return *id > 0 ? productWithId(db, *id) : std::optional<ProductMatch>(ProductMatch{});
        }
    }
    const std::optional<qint64> id = highestInRange(db, prefix);
    if (!id)
        return std::nullopt;
    if (*id == 0)
        return ProductMatch{}; // no product begins with it
    return productWithId(db, *id);
}

std::optional<bool> productExists(Database& db, const QString& name)
{
    auto records = db.query(QStringLiteral("select count(*) from 商品名称 where 名称 = ?"), {name});
    if (!records)
        return std::nullopt;
    return records->readField(1).toLongLong() > 0;
}

bool rememberProductRow(Database& db, const QString& name, const QString& priceText)
{
    // The price in plain digits: full-width digits as ordinary ones.
    const std::optional<Decimal> price = decimalFromText(priceText);
    Transaction transaction(db);
    if (!transaction.began() || !db.execute(QStringLiteral("insert into [商品名称] (名称,单价 )values (?,?)"),
                                            {name, formatMoney(price ? decimalToText(*price) : priceText)}))
        return false;
    // The prefix table follows in the same transaction; should that fail, the product is still
    // stored and the next lookup brings the table up to date.
    if (prefixTableExists(db)) {
        // Undone alone when it fails: a server takes no further statement in a transaction after
        // a failed one, until back at a savepoint.
        Transaction prefixes(db);
        if (prefixes.began() && bringPrefixTableUpToDate(db))
            prefixes.commit();
    }
    return transaction.commit();
}

} // namespace quorrel
