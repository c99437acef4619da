#include "core/store/ShopCopy.h"

#include "core/store/Database.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"
#include "core/store/ServerSchema.h"
#include "core/store/Transaction.h"

#include <QFile>
#include <QFileInfo>

namespace quorrel {

namespace {

// Every table of a shop. The pending telephone notes come last: the target's own triggers add notes
// while the customers are copied, and those are replaced by the source's.
const QStringList kTables = {
    QStringLiteral("配置文件"), QStringLiteral("用户登录"),     QStringLiteral("商品名称"),
    QStringLiteral("付款方式"), QStringLiteral("客户资料"),     QStringLiteral("销售记录"),
    QStringLiteral("销售详情"), QStringLiteral("末单票号"),     QStringLiteral("销售变更"),
    QStringLiteral("商品前缀"), QStringLiteral("客户电话片段"), QStringLiteral("客户电话待办"),
};
const QString kPendingNotes = QStringLiteral("客户电话待办");

std::optional<qint64> rowCount(Database& db, const QString& table)
{
    auto count = db.query(QStringLiteral("select count(*) from [%1]").arg(table));
    if (!count || count->atEnd())
        return std::nullopt;
    return count->readField(1).toLongLong();
}

Done copyTable(Database& source, Database& target, const QString& table)
{
    // Walked as it is read, so that a server's table never sits in memory whole.
    auto rows = source.browse(QStringLiteral("select * from [%1]").arg(table));
    if (!rows)
        return Error{QStringLiteral("%1: %2").arg(table, source.lastError())};
    QStringList columns;
    QStringList places;
    for (int c = 1; c <= rows->columnCount(); ++c) {
        columns << u'[' + rows->columnName(c) + u']';
        places << QStringLiteral("?");
    }
    const QString insert = QStringLiteral("insert into [%1] (%2) values (%3)")
                               .arg(table, columns.join(QStringLiteral(", ")), places.join(QStringLiteral(", ")));
    // Some thousands of rows at a time, each batch stored by one prepared or pipelined insert.
    constexpr qsizetype kChunk = 4096;
    QList<QVariantList> chunk;
    chunk.reserve(kChunk);
    while (!rows->atEnd()) {
        chunk.clear();
        for (; chunk.size() < kChunk && !rows->atEnd(); rows->moveNext()) {
            QVariantList values;
            values.reserve(rows->columnCount());
            for (int c = 1; c <= rows->columnCount(); ++c)
                values << (rows->isNull(c) ? QVariant() : rows->readField(c));
            chunk.append(std::move(values));
        }
        if (!target.executeEach(insert, chunk.size(), [&chunk](qsizetype i) { return chunk.at(i); }))
            return Error{QStringLiteral("%1: %2").arg(table, target.lastError())};
    }
    if (rows->failed())
        return Error{QStringLiteral("%1: %2").arg(table, source.lastError())};
    return {};
}

Done fill(Database& source, Database& target)
{
    Transaction transaction(target);
    if (!transaction.began())
        return target.failure();
    if (target.isServer()) {
        if (const Done made = server::createTables(target); !made)
            return made;
    } else {
        // A new file holds the factory rows: the source's take their place.
        for (const QString& table : kTables) {
            if (table != QStringLiteral("销售变更") && !target.execute(QStringLiteral("delete from [%1]").arg(table)))
                return target.failure();
        }
    }
    for (const QString& table : kTables) {
        if (table == kPendingNotes && !target.execute(QStringLiteral("delete from [%1]").arg(table)))
            return target.failure();
        if (const Done copied = copyTable(source, target, table); !copied)
            return copied;
    }
    const std::optional<QHash<QString, qint64>> givenOut = server::idsGivenOut(source);
    if (!givenOut)
        return source.failure();
    if (const Done continued = server::continueSequences(target, *givenOut); !continued)
        return continued;
    for (const QString& table : kTables) {
        const std::optional<qint64> from = rowCount(source, table);
        const std::optional<qint64> to = rowCount(target, table);
        if (!from || !to)
            return Error{QStringLiteral("%1: 无法读出行数").arg(table)};
        if (*from != *to)
            return Error{QStringLiteral("%1: 复制后行数不符 (%2 ≠ %3)").arg(table).arg(*from).arg(*to)};
    }
    if (!transaction.commit())
        return target.failure();
    return {};
}

} // namespace

Done copyShop(const QString& from, const QString& to)
{
    const QByteArray key(schema::kDatabaseKey);
    Database source;
    if (!source.openReadOnly(from, key))
        return Error{QStringLiteral("无法打开 %1: %2").arg(from, source.lastError())};
    const std::optional<bool> sourceShop = source.hasTable(QStringLiteral("销售记录"));
    if (!sourceShop)
        return source.failure();
    if (!*sourceShop)
        return Error{QStringLiteral("%1 里没有店的数据").arg(from)};
    // A file of an earlier release lacks tables and columns of this one; it is not changed here.
    const std::optional<int> version = schemaVersion(source);
    if (!version)
        return source.failure();
    if (*version < schema::kSchemaVersion)
        return Error{
            QStringLiteral("%1 是旧版程序写的数据文件：请先用本版程序打开一次（会升级数据表），再复制").arg(from)};

    Database target;
    const bool toServer = Database::isServerConnection(to);
    if (toServer) {
        if (!target.open(to, key))
            return Error{QStringLiteral("无法连接 %1: %2").arg(to, target.lastError())};
        const std::optional<bool> held = target.hasTable(QStringLiteral("销售记录"));
        if (!held)
            return target.failure();
        if (*held)
            return Error{QStringLiteral("%1 里已经有一个店的数据，不复制").arg(to)};
        return fill(source, target);
    }
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return Error{QStringLiteral("%1 已经存在，不复制").arg(to)};
    QString error;
    if (!writeFactoryDatabase(to, &error))
        return Error{QStringLiteral("无法写出 %1: %2").arg(to, error)};
    Done filled = target.open(to, key) ? fill(source, target) : target.failure();
    target.close();
    if (!filled && !QFile::remove(to))
        filled = Error{filled.error() + QStringLiteral("; 无法删除未完成的 %1").arg(to)};
    return filled;
}

} // namespace quorrel
