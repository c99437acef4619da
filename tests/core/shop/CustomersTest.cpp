// Finding customers against a real shop database: a partial telephone search gives what reading
// every customer would, in the order they were added and page by page, however the numbers were
// stored, changed or deleted since the last search.

#include "core/shop/Customers.h"

#include "core/store/Database.h"
#include "core/store/Schema.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <limits>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;
using Field = Customers::Search::Field;

class CustomersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
    }

    // Every customer the search finds, read in pages of `pageRows` as the lists read them.
    QStringList found(Field field, const QString& text, bool partial, int pageRows = 7)
    {
        QStringList rows;
        qint64 after = std::numeric_limits<qint64>::min();
        for (;;) {
            const auto page = customers.page({field, text, partial}, after, pageRows);
            EXPECT_TRUE(page.has_value()) << db.lastError().toStdString();
            if (!page)
                return rows;
            for (const Customer& customer : *page)
                rows << QString::number(customer.id) + u' ' + customer.name + u' ' + customer.phone;
            if (page->size() < pageRows)
                return rows;
            after = page->last().id;
        }
    }

    // What a partial search must give: every customer whose number holds the text, letters A-Z
    // matching either case, read one by one.
    QStringList expectedByPhonePart(const QString& part)
    {
        QStringList rows;
        for (const QString& row : found(Field::All, QString(), false)) {
            const QString phone = row.section(u' ', 2);
            if (phone.toLower().contains(part.toLower()))
                rows << row;
        }
        return rows;
    }

    TempShop shop;
    Database db;
    Customers customers{db};
};

TEST_F(CustomersTest, PhonePartsAreFoundAsEveryNumberWouldBeReadAcrossChangesHoweverMade)
{
    // Numbers of digits, letters of either case, the wildcard characters, Chinese and characters
    // beyond the basic plane, some holding a part twice; short, empty and missing ones.
    const QStringList numbers{u"13800138000"_s, u"021-1380"_s, u"50%_off"_s, u"Ext.42AB"_s, u"ext.42ab"_s,
                              u"转接4213"_s,    u"😀138😀"_s,    u"13"_s,      QString(),     u"4242424"_s};
    QRandomGenerator random(20161207);
    for (int i = 0; i < 300; ++i) {
        const QString phone = i < numbers.size() ? numbers[i] : u"139"_s + QString::number(random.bounded(100000));
        ASSERT_TRUE(customers.add(u"客户"_s + QString::number(i), phone));
    }
    const QStringList parts{u"138"_s, u"4242"_s, u"42ab"_s, u"%_o"_s, u"接42"_s, u"😀13"_s, u"139"_s, u"13"_s, u"X"_s};
    auto expectAllParts = [&](const char* when) {
        for (const QString& part : parts)
            EXPECT_EQ(found(Field::Phone, part, true), expectedByPhonePart(part)) << when << ": " << part.toStdString();
    };
    expectAllParts("first search");
    EXPECT_EQ(found(Field::Phone, u"4242"_s, true).filter(u" 4242424"_s).size(), 1)
        << "a number holding the part twice is listed once";

    // Changes through the program and straight to the table, between searches and one after another.
    const QString first = found(Field::All, QString(), false).first().section(u' ', 0, 0);
    ASSERT_TRUE(customers.update(first.toLongLong(), u"改名"_s, u"77138"_s));
    ASSERT_TRUE(customers.update(first.toLongLong(), u"改名"_s, u"770138"_s));
    ASSERT_TRUE(customers.remove(first.toLongLong() + 1));
    ASSERT_TRUE(customers.add(u"新客"_s, u"x138X"_s));
    ASSERT_TRUE(db.execute(u"update 客户资料 set 电话 = '4242ab' where 姓名 = '客户3'"_s));
    ASSERT_TRUE(db.execute(u"delete from 客户资料 where 电话 like '139%' and ID % 3 = 0"_s));
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名, 电话) values ('直接', '%_o138')"_s));
    expectAllParts("after changes");
    EXPECT_EQ(found(Field::Phone, u"138"_s, true, 256), found(Field::Phone, u"138"_s, true, 1))
        << "pages of any size join up";

    // Whole numbers and names are matched as stored, letters without regard to case.
    EXPECT_EQ(found(Field::Phone, u"EXT.42AB"_s, false).size(), 1);
    EXPECT_EQ(found(Field::Phone, u"138"_s, false).size(), 0);
    EXPECT_EQ(found(Field::Name, u"直接"_s, false).size(), 1);
    EXPECT_EQ(found(Field::Name, u"客户1"_s, true).size(),
              found(Field::All, QString(), false).filter(u" 客户1"_s).size());
}

} // namespace
} // namespace quorrel::test
