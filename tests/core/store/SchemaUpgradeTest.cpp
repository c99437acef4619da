// A shop file of an earlier release opened by this one: its lookup tables are made by the upgrade,
// once, in one transaction, and answer as reading the shop's own tables would.

#include "core/store/SchemaUpgrade.h"

#include "core/sales/ProductStore.h"
#include "core/shop/Customers.h"
#include "core/store/Database.h"
#include "core/store/Schema.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

class SchemaUpgradeTest : public ::testing::Test
{
protected:
    // A shop as the release before wrote it: no lookup tables, version 2.
    void SetUp() override
    {
        shop.writeFactory();
        Database db;
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey));
        ASSERT_TRUE(db.executeScript(schema::kDropLookupTables)) << db.lastError().toStdString();
        ASSERT_TRUE(db.execute(u"PRAGMA user_version = 2"_s));
        // 9,000 products share "Cola", half of them "Cola1"; a handful of others.
        ASSERT_TRUE(db.executeScript(R"SQL(
            WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000)
            INSERT INTO 商品名称 (名称, 单价) SELECT 'Cola' || (i % 2) || i, '1.00' FROM n;
            INSERT INTO 商品名称 (名称, 单价) VALUES ('可乐', '3.00'), ('coLA-x', '4.00');
            INSERT INTO 客户资料 (姓名, 电话) VALUES ('张三', '13800001234'), ('李四', 'AB-1234'), ('王五', '12');
        )SQL"))
            << db.lastError().toStdString();
    }

    QStringList phonesWith(Database& db, const QString& part)
    {
        QStringList names;
        const auto found =
            Customers(db).page({Customers::Search::Field::Phone, part, true}, std::numeric_limits<qint64>::min(), 100);
        EXPECT_TRUE(found) << found.error().toStdString();
        for (const Customer& customer : found.value_or({}))
            names << customer.name;
        return names;
    }

    TempShop shop;
};

TEST_F(SchemaUpgradeTest, AnOlderShopGetsItsLookupTablesOnceAndTheyAnswerAsTheTablesDo)
{
    int ticks = 0;
    Database db;
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey, [&ticks] { ++ticks; }));
    EXPECT_EQ(schemaVersion(db), schema::kSchemaVersion);
    EXPECT_EQ(shop.scalar(u"select 最大ID from 商品前缀 where 前缀='cola'"_s), u"9002"_s)
        << "coLA-x is the newest product the prefix finds";
    EXPECT_EQ(shop.scalar(u"select 最大ID from 商品前缀 where 前缀='cola1'"_s), u"8999"_s);
    EXPECT_EQ(shop.scalar(u"select count(*) from 商品前缀 where 前缀='可'"_s), u"0"_s) << "one product is no list";
    EXPECT_EQ(shop.scalar(u"select 最大ID from 商品前缀 where 前缀=''"_s), u"9002"_s);

    for (const QString& prefix : {u"c"_s, u"COLA1"_s, u"cola0"_s, u"可"_s, u"x"_s}) {
        const std::optional<ProductMatch> match = lastProductWithPrefix(db, prefix);
        ASSERT_TRUE(match) << db.lastError().toStdString();
        const QString expected =
            shop.scalar(u"select 名称 from 商品名称 where 名称 like ? order by ID desc limit 1"_s, {prefix + u'%'});
        EXPECT_EQ(match->name, expected) << prefix.toStdString();
    }
    EXPECT_EQ(phonesWith(db, u"1234"_s), (QStringList{u"张三"_s, u"李四"_s}));
    EXPECT_EQ(phonesWith(db, u"b-1"_s), QStringList{u"李四"_s});
    EXPECT_TRUE(phonesWith(db, u"000"_s).contains(u"张三"_s));
    EXPECT_GE(ticks, 1) << "the caller hears that the work goes on";

    // Once only: the next open finds the file current.
    db.close();
    ticks = 0;
    shop.exec(u"insert into 商品名称 (名称, 单价) values ('Cola-new', '1')"_s);
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey, [&ticks] { ++ticks; }));
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(lastProductWithPrefix(db, u"cola"_s)->name, u"Cola-new"_s) << "taken in at the next lookup";
}

TEST_F(SchemaUpgradeTest, AnUpgradeThatFailsLeavesTheFileAsItWas)
{
    // A first-release file, with something in the way of the last step: nothing of the upgrade stays.
    const char* firstRelease =
        "DROP TABLE 末单票号; CREATE VIEW 商品前缀 AS SELECT 1 AS 前缀; PRAGMA user_version = 1;";
    {
        Database writer;
        ASSERT_TRUE(writer.open(shop.databasePath(), schema::kDatabaseKey));
        ASSERT_TRUE(writer.executeScript(schema::kDropLookupTables) && writer.executeScript(firstRelease))
            << writer.lastError().toStdString();
    }
    Database db;
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << "the shop still opens";
    EXPECT_EQ(schemaVersion(db), 1);
    EXPECT_EQ(db.hasTable(u"末单票号"_s), false);
    EXPECT_EQ(db.hasTable(u"客户电话片段"_s), false);
    // The lookups fall back to reading the tables themselves.
    EXPECT_EQ(lastProductWithPrefix(db, u"可"_s)->name, u"可乐"_s);
    EXPECT_EQ(Customers(db).page({Customers::Search::Field::Phone, u"1234"_s, true}, 0, 10)->size(), 2);

    ASSERT_TRUE(db.execute(u"drop view 商品前缀"_s));
    db.close();
    ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey));
    EXPECT_EQ(schemaVersion(db), schema::kSchemaVersion);
    EXPECT_EQ(db.hasTable(u"末单票号"_s), true);
}

} // namespace
} // namespace quorrel::test
