#include "support/TestDatabase.h"

#include "store/FactoryDatabase.h"
#include "store/RecordSet.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

namespace quorrel::test {

TempShop::TempShop()
{
    EXPECT_TRUE(m_dir.isValid());
}

void TempShop::WriteFactory() const
{
    QString error;
    ASSERT_TRUE(WriteFactoryDatabase(DatabasePath(), &error)) << error.toStdString();
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
