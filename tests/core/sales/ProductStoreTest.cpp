// Completion lookups over a shop whose prefixes are shared by more products than a range walk may
// read: the answer is always the most recently stored product with the prefix, however the
// products were stored, renamed or deleted.

#include "core/sales/ProductStore.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/Transaction.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace quorrel::test {
namespace {

class ProductStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey));
    }
    // The answer as the name range gives it, read without the prefix table.
    QString expected(const QString& prefix)
    {
        return shop.scalar(QStringLiteral("select 名称 from 商品名称 where ID = (select max(ID) from 商品名称 "
                                          "where 名称 >= ? and 名称 < ?)"),
                           {prefix, prefixUpperBound(prefix)});
    }
    void expectSameAnswers(const QStringList& prefixes)
    {
        for (const QString& prefix : prefixes) {
            const std::optional<ProductMatch> match = lastProductWithPrefix(db, prefix);
            ASSERT_TRUE(match.has_value()) << prefix.toStdString();
            EXPECT_EQ(match->name, expected(prefix)) << prefix.toStdString();
        }
    }

    TempShop shop;
    Database db;
};

TEST_F(ProductStoreTest, ManyProductsSharingAPrefixStillGiveTheLastStoredOne)
{
    // 1,200 products over three shared beginnings, stored before the table of prefixes was made.
    Transaction transaction(db);
    for (int i = 0; i < 1200; ++i) {
        const QString name = (i % 3 == 0   ? QStringLiteral("Cola%1")
                              : i % 3 == 1 ? QStringLiteral("可乐%1")
                                           : QStringLiteral("cake%1"))
                                 .arg(i % 400, 3, 10, QChar(u'0'));
        ASSERT_TRUE(db.execute(QStringLiteral("insert into 商品名称 (名称, 单价) values (?, '1.00')"), {name}));
    }
    ASSERT_TRUE(transaction.commit());
    const QStringList prefixes{QStringLiteral("c"),    QStringLiteral("C"),      QStringLiteral("co"),
                               QStringLiteral("COLA"), QStringLiteral("cola0"),  QStringLiteral("cola39"),
                               QStringLiteral("可"),   QStringLiteral("可乐00"), QStringLiteral("ca"),
                               QStringLiteral("x"),    QStringLiteral("cola399")};
    expectSameAnswers(prefixes);

    // Remembered here, stored elsewhere, renamed and deleted: the answers follow.
    ASSERT_TRUE(rememberProductRow(db, QStringLiteral("Cola999"), QStringLiteral("２．５")));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 单价 from 商品名称 where 名称='Cola999'")), QStringLiteral("2.50"));
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('可乐new', '1.00')"));
    expectSameAnswers(prefixes);
    shop.exec(QStringLiteral("update 商品名称 set 名称='cake-renamed' where 名称='cake002'"));
    shop.exec(QStringLiteral("update 商品名称 set 名称='cola-new' where 名称='可乐new'"));
    shop.exec(QStringLiteral("delete from 商品名称 where 名称 in ('cake398', 'Cola999')"));
    expectSameAnswers(prefixes + QStringList{QStringLiteral("cake-"), QStringLiteral("cake3")});
    EXPECT_EQ(lastProductWithPrefix(db, QStringLiteral("co"))->name, QStringLiteral("cola-new"));
}

} // namespace
} // namespace quorrel::test
