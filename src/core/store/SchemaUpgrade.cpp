#include "core/store/SchemaUpgrade.h"

#include "core/store/Database.h"
#include "core/store/ProductPrefixes.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/ServerSchema.h"
#include "core/store/Transaction.h"

namespace quorrel {

std::optional<int> schemaVersion(Database& db)
{
    if (db.isServer())
        return server::schemaVersion(db);
    auto version = db.query(QStringLiteral("PRAGMA user_version"));
    if (!version || version->atEnd())
        return std::nullopt;
    return static_cast<int>(version->readField(1).toLongLong());
}

namespace {

// Adds the columns a table lacks, so that a step also serves a file that already has some of them.
template <std::size_t N> bool addMissingColumns(Database& db, const std::array<schema::AddedColumn, N>& columns)
{
    for (const schema::AddedColumn& added : columns) {
        const QString table = QString::fromUtf8(added.table);
        const QString column = QString::fromUtf8(added.column);
        auto info = db.query(QStringLiteral("PRAGMA table_info([%1])").arg(table));
        if (!info)
            return false;
        bool present = false;
        for (; !info->atEnd() && !present; info->moveNext())
            present = info->text(QStringLiteral("name")) == column;
        if (info->failed())
            return false;
        if (!present &&
            !db.execute(QStringLiteral("ALTER TABLE [%1] ADD COLUMN [%2] TEXT COLLATE NOCASE").arg(table, column)))
            return false;
    }
    return true;
}

} // namespace

Result<bool> upgradeSchema(Database& db, const std::function<void()>& tick)
{
    if (db.isServer()) {
        // A server's tables begin at this release's version; an empty database has none yet.
        const std::optional<bool> shop = db.hasTable(QStringLiteral("销售记录"));
        if (!shop)
            return db.failure();
        if (!*shop)
            return false;
        const std::optional<int> version = schemaVersion(db);
        if (!version)
            return db.failure();
        if (*version > schema::kSchemaVersion)
            return Error{QStringLiteral("服务器上的数据库属于更新的版本 (%1)").arg(*version)};
        return false;
    }
    const std::optional<int> version = schemaVersion(db);
    if (!version)
        return db.failure();
    if (*version >= schema::kSchemaVersion)
        return false;
    const std::optional<bool> shopFile = db.hasTable(QStringLiteral("销售记录"));
    if (!shopFile)
        return db.failure();
    if (!*shopFile)
        return false;

    Transaction transaction(db);
    if (!transaction.began())
        return db.failure();
    if (*version < 2 && !db.executeScript(schema::kUpgradeToVersion2))
        return db.failure();
    if (*version < 3) {
        // A file of version 2 may hold lookup tables made on first use by that release: they are
        // made afresh, so that every file holds the same ones.
        if (!db.executeScript(schema::kDropLookupTables) || !db.executeScript(schema::kCreateLookupTables))
            return db.failure();
        if (const Done built = prefixes::build(db, tick); !built)
            return Error{built.error()};
        db.setProgressTick(tick);
        const bool filled = db.executeScript(schema::kFillPhoneIndex);
        db.setProgressTick({});
        if (!filled)
            return db.failure();
    }
    if (*version < 4 &&
        (!addMissingColumns(db, schema::kColumnsOfVersion4) || !db.executeScript(schema::kCreateChangeLog)))
        return db.failure();
    if (!db.execute(QStringLiteral("PRAGMA user_version = %1").arg(schema::kSchemaVersion)) || !transaction.commit())
        return db.failure();
    return true;
}

} // namespace quorrel
