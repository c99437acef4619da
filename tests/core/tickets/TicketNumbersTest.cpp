// Ticket numbers: the value the ticket box starts with, how a number advances in both formats,
// the last stored number and the stored format, the last two against a real shop database.

#include "core/tickets/TicketNumbers.h"

#include "core/records/SaleRecords.h"
#include "core/shop/ShopSettings.h"
#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QRegularExpression>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

constexpr int kCustom = kTicketFormatCustomPrefix;
constexpr int kDate = kTicketFormatDatePrefix;

const QDate kAug24(2016, 8, 24);

bool isThirteenDigits(const QString& ticket)
{
    static const QRegularExpression digits(u"^[0-9]{13}$"_s);
    return digits.match(ticket).hasMatch();
}

// ---- start-up value -------------------------------------------------------------------------------

TEST(TicketNumbersStartup, CustomPrefixKeepsTheLastSixCharactersBehindSevenZeros)
{
    EXPECT_EQ(startupTicketNumber(kCustom, QString(), kAug24), u"0000000000000"_s);
    EXPECT_EQ(startupTicketNumber(kCustom, u"0000000000005"_s, kAug24), u"0000000000005"_s);
    EXPECT_EQ(startupTicketNumber(kCustom, u"0000001000123"_s, kAug24), u"0000000000123"_s);
    EXPECT_EQ(startupTicketNumber(kCustom, u"0000000000006"_s, QDate(2030, 1, 1)), u"0000000000006"_s);
    // Switching from the date form: the counter's last six characters survive.
    EXPECT_EQ(startupTicketNumber(kCustom, u"1608240000123"_s, kAug24), u"0000000000123"_s);
}

TEST(TicketNumbersStartup, DatePrefixPutsTodayBeforeTheLastSevenCharacters)
{
    EXPECT_EQ(startupTicketNumber(kDate, QString(), kAug24), u"1608240000000"_s);
    EXPECT_EQ(startupTicketNumber(kDate, u"1608240000123"_s, QDate(2016, 9, 1)), u"1609010000123"_s);
    // The counter is not reset by a new day.
    EXPECT_EQ(startupTicketNumber(kDate, u"1608239999998"_s, kAug24), u"1608249999998"_s);
    // Switching from the custom form keeps its counter.
    EXPECT_EQ(startupTicketNumber(kDate, u"0000000000005"_s, kAug24), u"1608240000005"_s);
    EXPECT_EQ(startupTicketNumber(kDate, u"1608200000005"_s, QDate(2016, 8, 20)), u"1608200000005"_s);
}

TEST(TicketNumbersStartup, AnUnknownFormatShowsTheDateForm)
{
    for (int format : {0, 3, -1}) {
        EXPECT_EQ(startupTicketNumber(format, QString(), kAug24), u"1608240000000"_s) << format;
        EXPECT_EQ(startupTicketNumber(format, u"0000000000042"_s, kAug24), u"1608240000042"_s) << format;
    }
}

// ---- advancing ----------------------------------------------------------------------------------

TEST(TicketNumbersAdvance, CustomPrefixCountsUpKeepingLeadingZeros)
{
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000000000"_s, kAug24), u"0000000000001"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000000005"_s, kAug24), u"0000000000006"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000000009"_s, kAug24), u"0000000000010"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000000999"_s, kAug24), u"0000000001000"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000999999"_s, kAug24), u"0000001000000"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000001000123"_s, kAug24), u"0000001000124"_s);
    // Thirteen nines after the first character wrap round to thirteen zeros.
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0999999999999"_s, kAug24), u"0000000000000"_s);
    // The date does not matter in this form.
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0000000000005"_s, QDate(2030, 12, 31)), u"0000000000006"_s);
    // Full-width digits typed into the box are read as digits.
    EXPECT_EQ(advanceTicketNumber(kCustom, u"００００００００００００５"_s, kAug24), u"0000000000006"_s);
}

TEST(TicketNumbersAdvance, CustomPrefixStepsThroughAThousandSales)
{
    QString ticket = startupTicketNumber(kCustom, QString(), kAug24);
    for (int sale = 1; sale <= 1000; ++sale) {
        ticket = advanceTicketNumber(kCustom, ticket, kAug24);
        ASSERT_TRUE(isThirteenDigits(ticket)) << ticket.toStdString();
        ASSERT_EQ(ticket.toLongLong(), sale);
    }
    EXPECT_EQ(ticket, u"0000000001000"_s);
}

TEST(TicketNumbersAdvance, CustomPrefixOfTextThatIsNoNumberGivesZero)
{
    // The inserted 1 reads as 1, plus 1 is 2, and its only character becomes "0".
    EXPECT_EQ(advanceTicketNumber(kCustom, u"abc"_s, kAug24), u"0"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"单号"_s, kAug24), u"0"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, QString(), kAug24), u"0"_s);
    // One leading character only: "0" reads as 1, plus 1 is 2.
    EXPECT_EQ(advanceTicketNumber(kCustom, u"0"_s, kAug24), u"0"_s);
    EXPECT_EQ(advanceTicketNumber(kCustom, u"05"_s, kAug24), u"06"_s);
}

TEST(TicketNumbersAdvance, DatePrefixCountsSevenDigitsBehindToday)
{
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608240000000"_s, kAug24), u"1608240000001"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608240000005"_s, QDate(2016, 8, 25)), u"1608250000006"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608240000123"_s, QDate(2016, 9, 1)), u"1609010000124"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608240000999"_s, kAug24), u"1608240001000"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608249999998"_s, kAug24), u"1608249999999"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608249999999"_s, kAug24), u"1608240000000"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"9999999"_s, kAug24), u"1608240000000"_s);
    // Switched from the custom form: its counter goes on.
    EXPECT_EQ(advanceTicketNumber(kDate, u"0000000000005"_s, kAug24), u"1608240000006"_s);
}

TEST(TicketNumbersAdvance, DatePrefixOnDaysEndingInZeroKeepsSevenDigits)
{
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608200000005"_s, QDate(2016, 8, 20)), u"1608200000006"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608100000005"_s, QDate(2016, 8, 10)), u"1608100000006"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1608300000000"_s, QDate(2016, 8, 30)), u"1608300000001"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"1610100000010"_s, QDate(2016, 10, 10)), u"1610100000011"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"2001010000009"_s, QDate(2020, 1, 10)), u"2001100000010"_s);
}

TEST(TicketNumbersAdvance, DatePrefixOfTextThatIsNoNumberStartsAtOne)
{
    EXPECT_EQ(advanceTicketNumber(kDate, u"abc"_s, kAug24), u"1608240000001"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, QString(), kAug24), u"1608240000001"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"单号XXXXXXX"_s, kAug24), u"1608240000001"_s);
    // A text shorter than seven characters is taken whole.
    EXPECT_EQ(advanceTicketNumber(kDate, u"5"_s, kAug24), u"1608240000006"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, u"41abc"_s, kAug24), u"1608240000042"_s);
}

TEST(TicketNumbersAdvance, DatePrefixAlwaysGivesThirteenDigits)
{
    for (const QString& current : {u"1608240000005"_s, u"abc"_s, QString(), u"160824-000005"_s, u"123456+000005"_s,
                                   u"１６０８２４００００００５"_s, u"    12"_s, u"1608240009.99"_s}) {
        const QString next = advanceTicketNumber(kDate, current, kAug24);
        EXPECT_TRUE(isThirteenDigits(next)) << current.toStdString() << " -> " << next.toStdString();
        EXPECT_TRUE(next.startsWith(u"160824"_s)) << next.toStdString();
    }
}

TEST(TicketNumbersAdvance, AnUnknownFormatLeavesTheTextUnchanged)
{
    for (int format : {0, 3, 99}) {
        EXPECT_EQ(advanceTicketNumber(format, u"1608240000005"_s, kAug24), u"1608240000005"_s);
        EXPECT_EQ(advanceTicketNumber(format, u"abc"_s, kAug24), u"abc"_s);
        EXPECT_EQ(advanceTicketNumber(format, QString(), kAug24), QString());
    }
}

TEST(TicketNumbersAdvance, FirstSaleOfAnEmptyShop)
{
    EXPECT_EQ(advanceTicketNumber(kCustom, startupTicketNumber(kCustom, QString(), kAug24), kAug24),
              u"0000000000001"_s);
    EXPECT_EQ(advanceTicketNumber(kDate, startupTicketNumber(kDate, QString(), kAug24), kAug24), u"1608240000001"_s);
}

// ---- against the shop database ------------------------------------------------------------------

class TicketNumbersDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
        ASSERT_TRUE(db.execute(u"delete from 销售详情"_s));
        ASSERT_TRUE(db.execute(u"delete from 销售记录"_s));
    }

    void addSale(const QVariant& ticket)
    {
        ASSERT_TRUE(db.execute(u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                               u"(?,now(),'1','1.00','admin',' ')"_s,
                               {ticket}))
            << db.lastError().toStdString();
    }

    // What the box shows after a (re)start of the main window.
    QString startup()
    {
        const Result<int> format = ShopSettings(db).ticketFormat();
        const std::optional<QString> last = lastTicketNumber(db, format.value_or(0));
        EXPECT_TRUE(format.has_value());
        EXPECT_TRUE(last.has_value());
        return startupTicketNumber(format.value_or(0), last.value_or(QString()), kAug24);
    }

    // Saving a sale: advance the box, store the advanced number; the box then shows it.
    QString save(const QString& box)
    {
        const QString next = advanceTicketNumber(ShopSettings(db).ticketFormat().value_or(0), box, kAug24);
        addSale(next);
        return next;
    }

    TempShop shop;
    Database db;
};

TEST_F(TicketNumbersDatabaseTest, LastTicketNumberIsEmptyWithoutSalesThenTheNewestRows)
{
    const std::optional<QString> none = lastTicketNumber(db, kCustom);
    ASSERT_TRUE(none.has_value()) << "no sale is no failure";
    EXPECT_TRUE(none->isEmpty());

    addSale(u"0000000000001"_s);
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000001"_s);
    addSale(u"0000000000002"_s);
    const qint64 second = db.lastInsertId();
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000002"_s);

    // The newest row counts, not the largest number.
    addSale(u"0000000000000"_s);
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000000"_s);
    ASSERT_TRUE(db.execute(u"delete from 销售记录 where ID=?"_s, {db.lastInsertId()}));
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000002"_s);
    ASSERT_TRUE(db.execute(u"delete from 销售记录 where ID=?"_s, {second}));
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000001"_s);

    // A sale without a number reads as empty text.
    addSale(QVariant());
    EXPECT_EQ(lastTicketNumber(db, kCustom), QString());
}

TEST_F(TicketNumbersDatabaseTest, StoredFormatRoundTrips)
{
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom)) << db.lastError().toStdString();
    EXPECT_EQ(ShopSettings(db).ticketFormat(), kCustom);
    EXPECT_EQ(shop.scalar(u"select 全局单号格式 from 配置文件 where ID=1"_s), u"1"_s);
    EXPECT_EQ(shop.scalar(u"select typeof(全局单号格式) from 配置文件 where ID=1"_s), u"text"_s);

    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kDate));
    EXPECT_EQ(ShopSettings(db).ticketFormat(), kDate);
    EXPECT_EQ(shop.scalar(u"select 全局单号格式 from 配置文件 where ID=1"_s), u"2"_s);

    // Storing the same format twice changes nothing.
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kDate));
    EXPECT_EQ(ShopSettings(db).ticketFormat(), kDate);

    // Written without a where clause: every settings row takes it.
    ASSERT_TRUE(db.execute(u"insert into 配置文件 (ID, 全局单号格式) values (2, '2')"_s));
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom));
    EXPECT_EQ(shop.scalar(u"select count(*) from 配置文件 where 全局单号格式='1'"_s), u"2"_s);
}

TEST_F(TicketNumbersDatabaseTest, AStoredFormatOtherThanOneOrTwoReadsAsNeither)
{
    for (const QString& stored : {u"abc"_s, u"0"_s, u"3"_s, QString()}) {
        ASSERT_TRUE(db.execute(u"update 配置文件 set 全局单号格式=? where ID=1"_s, {stored}));
        const Result<int> format = ShopSettings(db).ticketFormat();
        ASSERT_TRUE(format.has_value()) << stored.toStdString();
        EXPECT_NE(*format, kCustom) << stored.toStdString();
        EXPECT_NE(*format, kDate) << stored.toStdString();
        EXPECT_EQ(startupTicketNumber(*format, QString(), kAug24), u"1608240000000"_s);
    }
}

TEST_F(TicketNumbersDatabaseTest, FailedQueriesGiveNoValue)
{
    db.close();
    EXPECT_EQ(ShopSettings(db).ticketFormat(), std::nullopt);
    EXPECT_EQ(lastTicketNumber(db, kCustom), std::nullopt);
    EXPECT_FALSE(ShopSettings(db).setTicketFormat(kCustom));
}

TEST_F(TicketNumbersDatabaseTest, CustomPrefixFromAnEmptyShopThroughARestart)
{
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom));
    QString box = startup();
    EXPECT_EQ(box, u"0000000000000"_s);
    box = save(box);
    EXPECT_EQ(box, u"0000000000001"_s);
    EXPECT_EQ(lastTicketNumber(db, kCustom), u"0000000000001"_s);
    box = save(box);
    EXPECT_EQ(box, u"0000000000002"_s);
    EXPECT_EQ(startup(), u"0000000000002"_s) << "a restart continues from the stored number";

    // Only six characters of the counter survive a restart.
    addSale(u"0000001000123"_s);
    EXPECT_EQ(startup(), u"0000000000123"_s);
}

TEST_F(TicketNumbersDatabaseTest, DatePrefixFromAnEmptyShop)
{
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kDate));
    QString box = startup();
    EXPECT_EQ(box, u"1608240000000"_s);
    box = save(box);
    EXPECT_EQ(box, u"1608240000001"_s);
    EXPECT_EQ(lastTicketNumber(db, kDate), u"1608240000001"_s);
    EXPECT_EQ(startup(), u"1608240000001"_s);
}

TEST_F(TicketNumbersDatabaseTest, SwitchingFormatsKeepsTheCounter)
{
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom));
    addSale(u"0000000000005"_s);
    EXPECT_EQ(startup(), u"0000000000005"_s);

    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kDate));
    QString box = startup();
    EXPECT_EQ(box, u"1608240000005"_s);
    box = save(box);
    EXPECT_EQ(box, u"1608240000006"_s);

    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom));
    EXPECT_EQ(startup(), u"0000000000006"_s);
}

TEST_F(TicketNumbersDatabaseTest, ANumberGivenOutIsNeverGivenAgainWhateverIsDeleted)
{
    for (const int format : {kCustom, kDate}) {
        SCOPED_TRACE(format);
        ASSERT_TRUE(db.execute(u"delete from 销售记录"_s));
        ASSERT_TRUE(db.execute(u"delete from 末单票号"_s));
        ASSERT_TRUE(ShopSettings(db).setTicketFormat(format));
        QString box = startup();
        QList<qint64> ids;
        for (int sale = 0; sale < 3; ++sale) {
            box = save(box);
            ids << db.lastInsertId();
        }
        const QString third = box;
        // The newest sale, then the one that became the newest, as the records window deletes them.
        ASSERT_TRUE(deleteSale(db, ids[2])) << db.lastError().toStdString();
        ASSERT_TRUE(deleteSale(db, ids[1])) << db.lastError().toStdString();
        EXPECT_EQ(startup(), startupTicketNumber(format, third, kAug24)) << "after a restart";
        EXPECT_EQ(save(startup()), advanceTicketNumber(format, third, kAug24));
    }

    // The highest number stays the floor in either format, whichever was in use when it was deleted.
    const QString highest = lastTicketNumber(db, kDate).value_or(QString());
    ASSERT_TRUE(deleteSale(db, db.lastInsertId()));
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kCustom));
    EXPECT_EQ(startup(), startupTicketNumber(kCustom, highest, kAug24));

    // The highest deleted number, not the last one deleted: a number typed lower by hand and then
    // deleted leaves the higher one standing, in its own format's row.
    addSale(u"0000000000050"_s);
    ASSERT_TRUE(deleteSale(db, db.lastInsertId()));
    addSale(u"0000000000007"_s);
    ASSERT_TRUE(deleteSale(db, db.lastInsertId()));
    addSale(u"1608240000009"_s);
    ASSERT_TRUE(deleteSale(db, db.lastInsertId()));
    EXPECT_EQ(startup(), u"0000000000050"_s);
    EXPECT_EQ(shop.scalar(u"select group_concat(销售票号) from (select 销售票号 from 末单票号 order by ID)"_s),
              u"0000000000050,1608240000009"_s);

    // A file of an earlier release keeps its one row as ID 1, here a date number: read by its shape.
    ASSERT_TRUE(db.execute(u"delete from 末单票号"_s));
    ASSERT_TRUE(db.execute(u"insert into 末单票号 values (1, 1, '1608240000070')"_s));
    addSale(u"0000000000003"_s);
    ASSERT_TRUE(deleteSale(db, db.lastInsertId()));
    ASSERT_TRUE(ShopSettings(db).setTicketFormat(kDate));
    EXPECT_EQ(startup(), u"1608240000070"_s);
}

} // namespace
} // namespace quorrel::test
