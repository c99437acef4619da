#include "support/TestDatabase.h"

#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "gui/app/SingleInstance.h"

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <QFile>

namespace quorrel::test {

QStringList columnValues(Database& db, const QString& sql, const QString& column, const QVariantList& params)
{
    QStringList values;
    auto records = db.query(sql, params);
    if (!records) {
        ADD_FAILURE() << sql.toStdString() << ": " << db.lastError().toStdString();
        return values;
    }
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        values << records->text(column);
    records->close();
    return values;
}

TempShop::TempShop()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempShop::lockPath() const
{
    return SingleInstance::lockPathFor(databasePath());
}

void TempShop::writeFactory() const
{
    QString error;
    ASSERT_TRUE(writeFactoryDatabase(databasePath(), &error)) << error.toStdString();
}

void TempShop::writeDatabaseWithKey(const QByteArray& key) const
{
    QFile::remove(databasePath());
    sqlite3* db = nullptr;
    const QByteArray path = databasePath().toUtf8();
    ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    if (!key.isEmpty()) {
        ASSERT_EQ(sqlite3_key(db, key.constData(), static_cast<int>(key.size())), SQLITE_OK);
    }
    EXPECT_EQ(sqlite3_exec(db, schema::kCreateTables, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, schema::kFactoryRows, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

void TempShop::exec(const QString& sql, const QVariantList& params) const
{
    Database db;
    ASSERT_TRUE(db.open(databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
    ASSERT_TRUE(db.execute(sql, params)) << db.lastError().toStdString();
}

QString TempShop::scalar(const QString& sql, const QVariantList& params) const
{
    Database db;
    if (!db.open(databasePath(), schema::kDatabaseKey)) {
        ADD_FAILURE() << db.lastError().toStdString();
        return QString();
    }
    auto records = db.query(sql, params);
    if (!records) {
        ADD_FAILURE() << db.lastError().toStdString();
        return QString();
    }
    return records->text(1);
}

} // namespace quorrel::test
