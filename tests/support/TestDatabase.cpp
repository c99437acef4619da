#include "support/TestDatabase.h"

#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <QFile>

namespace quorrel::test {

QStringList ColumnValues(Database& db, const QString& sql, const QString& column, const QVariantList& params)
{
    QStringList values;
    auto records = db.Query(sql, params);
    if (!records) {
        ADD_FAILURE() << sql.toStdString() << ": " << db.LastError().toStdString();
        return values;
    }
    for (records->MoveFirst(); !records->AtEnd(); records->MoveNext())
        values << records->Text(column);
    records->Close();
    return values;
}

TempShop::TempShop()
{
    EXPECT_TRUE(m_dir.isValid());
}

void TempShop::WriteFactory() const
{
    QString error;
    ASSERT_TRUE(WriteFactoryDatabase(DatabasePath(), &error)) << error.toStdString();
}

void TempShop::WriteDatabaseWithKey(const QByteArray& key) const
{
    QFile::remove(DatabasePath());
    sqlite3* db = nullptr;
    const QByteArray path = DatabasePath().toUtf8();
    ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    if (!key.isEmpty()) {
        ASSERT_EQ(sqlite3_key(db, key.constData(), static_cast<int>(key.size())), SQLITE_OK);
    }
    EXPECT_EQ(sqlite3_exec(db, schema::kCreateTables, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, schema::kFactoryRows, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

void TempShop::Exec(const QString& sql, const QVariantList& params) const
{
    Database db;
    ASSERT_TRUE(db.Open(DatabasePath(), schema::kDatabaseKey)) << db.LastError().toStdString();
    ASSERT_TRUE(db.Execute(sql, params)) << db.LastError().toStdString();
}

QString TempShop::Scalar(const QString& sql, const QVariantList& params) const
{
    Database db;
    if (!db.Open(DatabasePath(), schema::kDatabaseKey)) {
        ADD_FAILURE() << db.LastError().toStdString();
        return QString();
    }
    auto records = db.Query(sql, params);
    if (!records) {
        ADD_FAILURE() << db.LastError().toStdString();
        return QString();
    }
    return records->Text(1);
}

} // namespace quorrel::test
