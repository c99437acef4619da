#include "core/store/ProductPrefixes.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

#include <algorithm>

namespace quorrel::prefixes {

namespace {
// Products walked between two calls of the progress tick.
constexpr qint64 kTickEvery = 8192;
} // namespace

QString folded(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return out;
}

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

std::optional<qint64> listedHighest(Database& db, const QString& key)
{
    auto row = db.query(QStringLiteral("select 最大ID from 商品前缀 where 前缀 = ?"), {key});
    if (!row)
        return std::nullopt;
    return row->atEnd() ? 0 : row->readField(1).toLongLong();
}

bool list(Database& db, const QString& key, qint64 id)
{
    return db.execute(db.isServer() ? QStringLiteral("insert into 商品前缀 (前缀, 最大ID) values (?, ?) "
                                                     "on conflict (前缀) do update set 最大ID = excluded.最大ID")
                                    : QStringLiteral("insert or replace into 商品前缀 (前缀, 最大ID) values (?, ?)"),
                      {key, id});
}

Done build(Database& db, const std::function<void()>& tick)
{
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
    qint64 walked = 0;
    auto records = db.query(QStringLiteral("select ID, 名称 from 商品名称 order by 名称"));
    if (!records)
        return db.failure();
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
        if (tick && ++walked % kTickEvery == 0)
            tick();
    }
    if (records->failed())
        return db.failure();
    records.reset();
    close(0);
    for (const auto& [prefix, id] : listed) {
        if (!list(db, prefix, id))
            return db.failure();
    }
    if (!list(db, kMarkKey, highest))
        return db.failure();
    return {};
}

} // namespace quorrel::prefixes
