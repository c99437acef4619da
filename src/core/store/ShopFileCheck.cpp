#include "core/store/ShopFileCheck.h"

#include "core/store/Database.h"
#include "core/store/QueryTexts.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"

#include <sqlcipher/sqlite3.h>

#include <QSet>
#include <QStringList>

namespace quorrel::shopfile {

namespace {

// The tables a shop file has had since the first release.
const QStringList kShopTables{QStringLiteral("配置文件"), QStringLiteral("用户登录"), QStringLiteral("商品名称"),
                              QStringLiteral("付款方式"), QStringLiteral("客户资料"), QStringLiteral("销售记录"),
                              QStringLiteral("销售详情")};

// Every column of the shop's tables as this release makes them, read from the schema itself in a
// database held in memory, so that the check never falls behind the schema. Empty if the schema
// cannot be made, which makes every file fail the check.
QMap<QString, QStringList> makeShopColumns()
{
    QMap<QString, QStringList> columns;
    sqlite3* memory = nullptr;
    if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
        sqlite3_exec(memory, schema::kCreateTables, nullptr, nullptr, nullptr) == SQLITE_OK) {
        for (const QString& table : kShopTables) {
            const QByteArray sql = "PRAGMA table_info(\"" + table.toUtf8() + "\")";
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(memory, sql.constData(), -1, &statement, nullptr) != SQLITE_OK)
                return {};
            QStringList names;
            while (sqlite3_step(statement) == SQLITE_ROW)
                names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
            sqlite3_finalize(statement);
            columns.insert(table, names);
        }
    }
    sqlite3_close(memory);
    return columns;
}

const QMap<QString, QStringList>& shopColumns()
{
    static const QMap<QString, QStringList> columns = makeShopColumns();
    return columns;
}

QString quoted(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

Done quickCheck(Database& db)
{
    auto check = db.query(QStringLiteral("PRAGMA quick_check"));
    if (!check)
        return db.failure();
    if (check->atEnd() || check->text(1) != QStringLiteral("ok"))
        return Error{QStringLiteral("文件已损坏：%1").arg(check->atEnd() ? QString() : check->text(1))};
    return {};
}

Result<QMap<QString, qint64>> tableRows(Database& db)
{
    const Result<QStringList> names =
        queryTexts(db, QStringLiteral("select name from sqlite_master where type='table'"));
    if (!names)
        return Error{names.error()};
    QMap<QString, qint64> rows;
    for (const QString& name : *names) {
        auto count = db.query(QStringLiteral("select count(*) from ") + quoted(name));
        if (!count || count->atEnd())
            return db.failure();
        rows.insert(name, count->readField(1).toLongLong());
    }
    return rows;
}

Done hasShopColumns(Database& db)
{
    if (shopColumns().size() != kShopTables.size())
        return Error{QStringLiteral("程序的表结构无法读出")};
    for (auto table = shopColumns().cbegin(); table != shopColumns().cend(); ++table) {
        const std::optional<bool> present = db.hasTable(table.key());
        if (!present)
            return db.failure();
        if (!*present)
            return Error{QStringLiteral("缺少表 %1").arg(table.key())};
        auto info = db.query(QStringLiteral("PRAGMA table_info(") + quoted(table.key()) + u')');
        if (!info)
            return db.failure();
        QSet<QString> found;
        for (; !info->atEnd(); info->moveNext())
            found.insert(info->text(2).toCaseFolded());
        for (const QString& column : table.value()) {
            if (!found.contains(column.toCaseFolded()))
                return Error{QStringLiteral("表 %1 缺少列 %2").arg(table.key(), column)};
        }
    }
    return {};
}

} // namespace quorrel::shopfile
