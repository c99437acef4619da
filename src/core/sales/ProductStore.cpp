#include "core/sales/ProductStore.h"

#include "core/store/Conversions.h"
#include "core/store/Database.h"
#include "core/store/Decimal.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

#include <algorithm>

namespace quorrel {

namespace {

// A prefix shared by more products than this is listed in 商品前缀 with the highest ID among them;
// for any other prefix the range on the name index is at most this long.
constexpr qint64 kListedAbove = 256;

// The row of 商品前缀 under the empty prefix holds the highest product ID the table has taken in.
const QString kMarkKey = QStringLiteral("");

// Letters folded as the name index (NOCASE) folds them: A–Z only.
QString folded(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

// The lengths (in UTF-16 units) of the text's prefixes of one, two, … whole characters.
QList<qsizetype> prefixLengths(const QString& text)
{
    QList<qsizetype> lengths;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        lengths << i + 1;
    }
    return lengths;
}

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
    auto count =
        db.query(QStringLiteral("select count(*) from (select 1 from 商品名称 where 名称 >= ? and 名称 < ? limit ?)"),
                 {prefix, prefixUpperBound(prefix), limit});
    if (!count)
        return std::nullopt;
    return count->readField(1).toLongLong();
}

// The listed highest ID of the prefix: 0 when it is not listed, nullopt when the query failed.
std::optional<qint64> listedHighest(Database& db, const QString& key)
{
    auto row = db.query(QStringLiteral("select 最大ID from 商品前缀 where 前缀 = ?"), {key});
    if (!row)
        return std::nullopt;
    return row->atEnd() ? 0 : row->readField(1).toLongLong();
}

bool list(Database& db, const QString& key, qint64 id)
{
    return db.execute(QStringLiteral("insert or replace into 商品前缀 (前缀, 最大ID) values (?, ?)"), {key, id});
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

// Lists every prefix shared by more than the limit from one walk over the names in index order,
// where the names sharing a prefix stand together.
bool buildPrefixTable(Database& db)
{
    if (!db.execute(QStringLiteral("create table 商品前缀 (前缀 text primary key, 最大ID integer)")) ||
        !db.execute(QStringLiteral("create trigger 商品前缀_改名 after update of 名称 on 商品名称 begin "
                                   "update 商品前缀 set 最大ID = new.ID where 最大ID < new.ID and 前缀 <> '' and "
                                   "前缀 = substr(new.名称, 1, length(前缀)) collate nocase; end")))
        return false;
    struct Level
    {
        QString prefix;
        qint64 count = 0;
        qint64 highest = 0;
    };
    QList<Level> levels;
    QList<std::pair<QString, qint64>> listed;
    auto close = [&](qsizetype depth) {
        while (levels.size() > depth) {
            if (levels.back().count > kListedAbove)
                listed.append({levels.back().prefix, levels.back().highest});
            levels.removeLast();
        }
    };
    qint64 highest = 0;
    auto records = db.query(QStringLiteral("select ID, 名称 from 商品名称 order by 名称"));
    if (!records)
        return false;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        const qint64 id = records->readField(1).toLongLong();
        const QString key = folded(records->text(2));
        const QList<qsizetype> lengths = prefixLengths(key);
        qsizetype shared = 0;
        while (shared < levels.size() && shared < lengths.size() && levels[shared].prefix.size() == lengths[shared] &&
               key.startsWith(levels[shared].prefix))
            ++shared;
        close(shared);
        for (qsizetype depth = shared; depth < lengths.size(); ++depth)
            levels.append({key.left(lengths[depth]), 0, 0});
        for (Level& level : levels) {
            ++level.count;
            level.highest = std::max(level.highest, id);
        }
        highest = std::max(highest, id);
    }
    if (records->failed())
        return false;
    records.reset();
    close(0);
    for (const auto& [prefix, id] : listed) {
        if (!list(db, prefix, id))
            return false;
    }
    return list(db, kMarkKey, highest);
}

// Brings 商品前缀 up to the products stored since it last looked, however they were stored; makes
// it first when the shop has none. Runs inside the caller's transaction.
bool bringPrefixTableUpToDate(Database& db)
{
    if (!prefixTableExists(db))
        return buildPrefixTable(db);
    const std::optional<qint64> mark = listedHighest(db, kMarkKey);
    auto newest = db.query(QStringLiteral("select max(ID) from 商品名称"));
    if (!mark || !newest)
        return false;
    if (newest->readField(1).toLongLong() <= *mark)
        return true;
    newest.reset();
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

bool prefixTableReady(Database& db)
{
    // Reading is the usual case: no transaction unless something is to be written.
    const std::optional<qint64> mark = prefixTableExists(db) ? listedHighest(db, kMarkKey) : std::nullopt;
    if (mark) {
        auto newest = db.query(QStringLiteral("select max(ID) from 商品名称"));
        if (newest && newest->readField(1).toLongLong() <= *mark)
            return true;
    }
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
        const std::optional<qint64> listed = listedHighest(db, key);
        if (!listed)
            return std::nullopt;
        if (*listed > 0) {
            const std::optional<ProductMatch> match = productWithId(db, *listed);
            if (!match)
                return std::nullopt;
            if (!match->name.isNull() && startsWithFolded(match->name, key))
                return match;
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
    if (prefixTableExists(db))
        bringPrefixTableUpToDate(db);
    return transaction.commit();
}

} // namespace quorrel
