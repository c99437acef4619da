// The Access forms of the program's statements: first their translation, then the same statements
// run against a real shop database.

#include "core/store/AccessSql.h"
#include "core/shop/ShopSettings.h"
#include "core/store/Clock.h"
#include "core/store/Database.h"
#include "core/store/DateTexts.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "mock/MockClock.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QStringList>

#include <cstdlib>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

// ---- translation ----------------------------------------------------------------------------------

TEST(AccessSqlCanonicalDateTime, DaysAndTimesThatDoNotExistAreNoDates)
{
    EXPECT_EQ(canonicalDateTime(u"2016-13-45"_s), QString());
    EXPECT_EQ(canonicalDateTime(u"2016-2-30"_s), QString());
    EXPECT_EQ(canonicalDateTime(u"2016-8-24 24:00:00"_s), QString());
    EXPECT_EQ(canonicalDateTime(u"２０１６-8-24"_s), QString()) << "full-width digits are no date literal";
    // Such a literal is left for the database to judge, so the statement fails instead of comparing wrongly.
    EXPECT_TRUE(translateAccessSql(u"select 1 where #2016-13-45#"_s).contains(u'#'));
}

TEST(AccessSqlCanonicalDateTime, PadsEveryPartAndUsesOneBlank)
{
    EXPECT_EQ(canonicalDateTime(u"2016-8-24  00:00:00"_s), u"2016-08-24 00:00:00"_s);
    EXPECT_EQ(canonicalDateTime(u"2016-8-24  9:05:07"_s), u"2016-08-24 09:05:07"_s);
    EXPECT_EQ(canonicalDateTime(u"2016-08-24 09:05:07"_s), u"2016-08-24 09:05:07"_s);
    EXPECT_EQ(canonicalDateTime(u"2016/08/24"_s), u"2016-08-24 00:00:00"_s);
    EXPECT_EQ(canonicalDateTime(u"2016/8/4"_s), u"2016-08-04 00:00:00"_s);
    EXPECT_EQ(canonicalDateTime(u"2016.8.24"_s), u"2016-08-24 00:00:00"_s);
    EXPECT_EQ(canonicalDateTime(u"2016-8-24 9:05"_s), u"2016-08-24 09:05:00"_s);
    EXPECT_EQ(canonicalDateTime(u" 2016-8-24\t23:59:59 "_s), u"2016-08-24 23:59:59"_s);
    EXPECT_EQ(canonicalDateTime(dateTimeText(QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59)))),
              u"2016-12-31 23:59:59"_s);
}

TEST(AccessSqlCanonicalDateTime, TextsThatAreNoDateGiveEmptyText)
{
    for (const QString& text : {QString(), u" "_s, u"abc"_s, u"16-8-24"_s, u"2016-8"_s, u"2016-8-24 9"_s,
                                u"2016-8-24x"_s, u"2016-8-24 9:5:7:1"_s, u"1"_s, u"2016824"_s})
        EXPECT_EQ(canonicalDateTime(text), QString()) << text.toStdString();
}

TEST(AccessSqlTranslate, DateLiteralsBecomeQuotedCanonicalTexts)
{
    EXPECT_EQ(translateAccessSql(u"select * from [销售记录] where [销售时间] between #2016-8-24  00:00:00# and "
                                 u"#2016-08-24  09:05:07# order by [销售时间] desc"_s),
              u"select * from [销售记录] where [销售时间] between '2016-08-24 00:00:00' and "
              u"'2016-08-24 09:05:07' order by [销售时间] desc"_s);
    EXPECT_EQ(translateAccessSql(u"SELECT * FROM 销售记录 WHERE 销售时间 between #2016-8-1  00:00:00# and "
                                 u"#2016/8/31#  And (金额 like '%12.50%')"_s),
              u"SELECT * FROM 销售记录 WHERE 销售时间 between '2016-08-01 00:00:00' and '2016-08-31 00:00:00'  "
              u"And (金额 like '%12.50%')"_s);
    EXPECT_EQ(translateAccessSql(u"select #2016-8-24#"_s), u"select '2016-08-24 00:00:00'"_s);
}

TEST(AccessSqlTranslate, QuotedTextsBracketedNamesAndOtherHashesAreLeftAlone)
{
    const QStringList unchanged = {
        u"select * from 商品名称 where 名称='#2016-8-24#'"_s,
        u"select * from 商品名称 where 名称 like '%#2016-8-24  00:00:00#%'"_s,
        u"select * from 商品名称 where 名称='it''s #2016-8-24# too' and 单价='#1#'"_s,
        u"select \"#2016-8-24#\" from [a#2016-8-24#b]"_s,
        u"select 1 # 2"_s,
        u"select '#' || '2016-8-24#'"_s,
        u"update 配置文件  set   用户登录='x'where ID=1"_s,
        u"select * from [配置文件] where [ID]=1"_s,
        u"select * from 配置文件 where 1"_s,
        u"insert into [销售记录] (销售票号,销售时间) values ('0000000000001',now())"_s,
        QString(),
    };
    for (const QString& sql : unchanged)
        EXPECT_EQ(translateAccessSql(sql), sql);
    // A literal after a quoted "#" is still translated.
    EXPECT_EQ(translateAccessSql(u"select '#', #2016-8-24#"_s), u"select '#', '2016-08-24 00:00:00'"_s);
}

TEST(AccessSqlTranslate, SelectTopBecomesLimit)
{
    EXPECT_EQ(translateAccessSql(u"select top 1 ID from [销售记录] order by ID desc"_s),
              u"select ID from [销售记录] order by ID desc limit 1"_s);
    EXPECT_EQ(translateAccessSql(u"SELECT TOP 10 * FROM 商品名称;"_s), u"SELECT * FROM 商品名称 limit 10"_s);
    EXPECT_EQ(translateAccessSql(u"select distinct top 3 名称 from 商品名称  "_s),
              u"select distinct 名称 from 商品名称 limit 3"_s);
    EXPECT_EQ(translateAccessSql(u"select top 1 * from 销售记录 where 销售时间 < #2016-8-24#"_s),
              u"select * from 销售记录 where 销售时间 < '2016-08-24 00:00:00' limit 1"_s);
    // Only the leading select's "top N" is meant.
    EXPECT_EQ(translateAccessSql(u"select topping from t"_s), u"select topping from t"_s);
    EXPECT_EQ(translateAccessSql(u"select * from t where a='select top 1 x'"_s),
              u"select * from t where a='select top 1 x'"_s);
}

// ---- the statements against a real database --------------------------------------------------------

class AccessSqlDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(db.open(shop.databasePath(), schema::kDatabaseKey)) << db.lastError().toStdString();
        ASSERT_TRUE(db.execute(u"delete from 销售记录"_s));
        ASSERT_TRUE(db.execute(u"delete from 商品名称"_s));
    }
    void TearDown() override { MockClock::reset(); }

    void addSale(const QString& ticket, const QString& time)
    {
        ASSERT_TRUE(db.execute(
            u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values (?,?,'1','1.00','admin',' ')"_s,
            {ticket, time}))
            << db.lastError().toStdString();
    }

    QStringList walk(const QString& sql, const QString& column) { return columnValues(db, sql, column); }

    TempShop shop;
    Database db;
};

TEST_F(AccessSqlDatabaseTest, NowIsTheProgramsClockInTheStoredForm)
{
    const QDateTime moment(QDate(2016, 8, 24), QTime(9, 5, 7));
    MockClock::setFixed(moment);
    ASSERT_TRUE(db.execute(u"insert into [销售记录] (销售票号,销售时间,数量,金额,收银员,备注 ) values "
                           u"('0000000000001',now(),'2','25.00','admin','谢谢惠顾 ')"_s))
        << db.lastError().toStdString();
    const QStringList times = walk(u"select * from 销售记录"_s, u"销售时间"_s);
    EXPECT_EQ(times, QStringList{u"2016-08-24 09:05:07"_s});
    EXPECT_EQ(parseStoredDateTime(times.value(0)), moment);
    EXPECT_EQ(walk(u"select * from 销售记录"_s, u"备注"_s), QStringList{u"谢谢惠顾 "_s});
    EXPECT_EQ(walk(u"select now() as t"_s, u"t"_s), QStringList{u"2016-08-24 09:05:07"_s});

    MockClock::setFixed(QDateTime(QDate(2016, 8, 25), QTime(0, 0, 1)));
    EXPECT_EQ(walk(u"select now() as t"_s, u"t"_s), QStringList{u"2016-08-25 00:00:01"_s});

    MockClock::reset();
    const QDateTime read = parseStoredDateTime(walk(u"select now() as t"_s, u"t"_s).value(0));
    ASSERT_TRUE(read.isValid());
    EXPECT_LE(std::abs(read.secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(AccessSqlDatabaseTest, BetweenDateLiteralsIncludeBothBoundsAndCompareAsTime)
{
    addSale(u"A"_s, u"2016-08-23 23:59:59"_s);
    addSale(u"B"_s, u"2016-08-24 00:00:00"_s);
    addSale(u"C"_s, u"2016-08-24 09:05:07"_s);
    addSale(u"D"_s, u"2016-08-24 09:05:08"_s);
    addSale(u"E"_s, u"2016-08-25 00:00:00"_s);

    // Today's listing: from midnight to this very second, newest first.
    MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    const QString now = dateTimeText(Clock::now());
    ASSERT_EQ(now, u"2016-08-24  09:05:07"_s);
    const QString day = now.left(10);
    EXPECT_EQ(walk(u"select * from [销售记录] where [销售时间] between #"_s + day + u"  00:00:00# and #"_s + now +
                       u"# order by [销售时间] desc"_s,
                   u"销售票号"_s),
              (QStringList{u"C"_s, u"B"_s}));

    // Dates written without padding still compare as dates (9 before 10, August before October).
    addSale(u"F"_s, u"2016-08-09 12:00:00"_s);
    addSale(u"G"_s, u"2016-08-10 12:00:00"_s);
    addSale(u"H"_s, u"2016-10-01 12:00:00"_s);
    EXPECT_EQ(walk(u"select * from 销售记录 where 销售时间 between #2016-8-9  00:00:00# and #2016-8-10  23:59:59# "
                   u"order by 销售时间"_s,
                   u"销售票号"_s),
              (QStringList{u"F"_s, u"G"_s}));
    EXPECT_EQ(walk(u"SELECT * FROM 销售记录 WHERE 销售时间 between #2016-8-24  00:00:00# and #2016-9-30#  And "
                   u"(金额 like '%1.00%' or 数量 like '%%' or 收银员 like '%%') order by ID"_s,
                   u"销售票号"_s),
              (QStringList{u"B"_s, u"C"_s, u"D"_s, u"E"_s}));
    EXPECT_EQ(walk(u"select * from  销售记录  where 销售时间 between #2016/8/1  00:00:00# and #2016/12/31  23:59:59#"
                   u"  and 数量='1' and 金额='1.00'  and 收银员='admin' order by ID"_s,
                   u"销售票号"_s),
              (QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s, u"G"_s, u"H"_s}));
}

TEST_F(AccessSqlDatabaseTest, SelectTopOneGivesTheNewestSale)
{
    EXPECT_EQ(walk(u"select top 1 ID from [销售记录] order by ID desc"_s, u"ID"_s), QStringList());
    addSale(u"0000000000001"_s, u"2016-08-24 09:00:00"_s);
    const QString first = QString::number(db.lastInsertId());
    addSale(u"0000000000002"_s, u"2016-08-23 09:00:00"_s); // an older time, but the newest row
    const QString second = QString::number(db.lastInsertId());
    EXPECT_EQ(walk(u"select top 1 ID from [销售记录] order by ID desc"_s, u"ID"_s), QStringList{second});
    EXPECT_EQ(walk(u"select top 2 ID from [销售记录] order by ID"_s, u"ID"_s), (QStringList{first, second}));
    EXPECT_EQ(walk(u"select * from 销售记录 where id="_s + second, u"销售票号"_s), QStringList{u"0000000000002"_s});
}

TEST_F(AccessSqlDatabaseTest, LikeMatchesPrefixesAndSubstringsIgnoringAsciiCase)
{
    for (const QString& name : {u"Cola"_s, u"COLA zero"_s, u"cola"_s, u"可口可乐"_s, u"xcola"_s, u"可乐COLA"_s})
        ASSERT_TRUE(db.execute(u"insert into [商品名称] (名称,单价 )values ('"_s + name + u"','3.00')"_s));
    // Rows come in the database's own order; compare the sets.
    auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    const QStringList colas = sorted({u"Cola"_s, u"COLA zero"_s, u"cola"_s});
    EXPECT_EQ(sorted(walk(u"select * from 商品名称  where 名称 like 'co%'"_s, u"名称"_s)), colas);
    EXPECT_EQ(sorted(walk(u"select * from 商品名称  where 名称 like 'COLA%'"_s, u"名称"_s)), colas);
    EXPECT_EQ(sorted(walk(u"select * from 商品名称  where 名称 like 'cOlA%'"_s, u"名称"_s)), colas);
    EXPECT_EQ(walk(u"select * from 商品名称  where 名称 like '可口%'"_s, u"名称"_s), QStringList{u"可口可乐"_s});
    EXPECT_EQ(sorted(walk(u"select * from 商品名称 where 名称 like '%乐%'"_s, u"名称"_s)),
              sorted({u"可口可乐"_s, u"可乐COLA"_s}));
    EXPECT_EQ(walk(u"select * from 商品名称 where 名称 like '%la%'"_s, u"名称"_s).size(), 5);
    EXPECT_EQ(walk(u"select * from 商品名称  where 名称 like '%'"_s, u"名称"_s).size(), 6);
    EXPECT_EQ(walk(u"select * from 商品名称  where 名称 like '雪碧%'"_s, u"名称"_s), QStringList());
}

TEST_F(AccessSqlDatabaseTest, SettingsStatementsWithTheirBlanksAndBrackets)
{
    EXPECT_EQ(walk(u"select * from 配置文件 where 1"_s, u"ID"_s), QStringList{u"1"_s});
    EXPECT_EQ(walk(u"select * from [配置文件] where [ID]=1"_s, u"ID"_s), QStringList{u"1"_s});

    ASSERT_TRUE(db.execute(u"update 配置文件  set   用户登录='x'where ID=1"_s)) << db.lastError().toStdString();
    EXPECT_EQ(ShopSettings(db).text(u"用户登录"_s), u"x"_s);
    ASSERT_TRUE(db.execute(u"update [配置文件] set [打印单价]='假' where [ID]=1"_s));
    EXPECT_EQ(ShopSettings(db).text(u"打印单价"_s), kOff);
    ASSERT_TRUE(db.execute(u"update 配置文件  set  直接登录='1'  where ID=1"_s));
    EXPECT_EQ(ShopSettings(db).text(u"直接登录"_s), u"1"_s);
    ASSERT_TRUE(db.execute(u"update 配置文件 set 客户='真'"_s));
    EXPECT_EQ(ShopSettings(db).text(u"客户"_s), kOn);

    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名,电话) values ('张三','13800000000')"_s));
    const QString id = QString::number(db.lastInsertId());
    ASSERT_TRUE(db.execute(u"delete from 客户资料  where ID="_s + id));
    EXPECT_EQ(walk(u"select * from 客户资料 where 姓名 like '%张%'"_s, u"姓名"_s), QStringList());
}

TEST_F(AccessSqlDatabaseTest, HashSignsInsideQuotedTextsAreStoredAsTyped)
{
    ASSERT_TRUE(db.execute(u"insert into 客户资料 (姓名,电话) values ('#2016-8-24#','#12# #2016-8-24  00:00:00#')"_s))
        << db.lastError().toStdString();
    EXPECT_EQ(walk(u"select * from 客户资料 where 姓名='#2016-8-24#'"_s, u"电话"_s),
              QStringList{u"#12# #2016-8-24  00:00:00#"_s});
    EXPECT_EQ(walk(u"select * from 客户资料 where 电话 like '%#2016-8-24  00:00:00#%'"_s, u"姓名"_s),
              QStringList{u"#2016-8-24#"_s});

    // Bound texts are never translated either.
    ASSERT_TRUE(db.execute(u"insert into 商品名称 (名称,单价) values (?,?)"_s, {u"#2016-8-24#"_s, u"select top 1"_s}));
    EXPECT_EQ(walk(u"select * from 商品名称 where 名称 like '#%'"_s, u"单价"_s), QStringList{u"select top 1"_s});
}

TEST(AccessSqlForServerTest, PlacesNamesDatesAndSqliteFormsBecomePostgresql)
{
    const ServerSql sql = translateAccessSqlForServer(
        u"select top 5 [ID], 名称 from [商品名称] where 名称 like ? and 时间 < #2016-8-24# and x = 'a?[b]' "
        u"and y = ? order by ID"_s);
    EXPECT_EQ(sql.text, u"select \"id\", 名称 from \"商品名称\" where 名称 ilike $1 and 时间 < '2016-08-24 00:00:00' "
                        u"and x = 'a?[b]' and y = $2 order by ID limit 5"_s);
    EXPECT_EQ(sql.sources, (QList<int>{0, 1}));
    EXPECT_EQ(sql.placeholders, 2);

    // now() is one more parameter, the program's clock, wherever it stands among the others.
    const ServerSql now = translateAccessSqlForServer(u"insert into t (a,b,c) values (?, NOW( ), ?)"_s);
    EXPECT_EQ(now.text, u"insert into t (a,b,c) values ($1, $2, $3)"_s);
    EXPECT_EQ(now.sources, (QList<int>{0, -1, 1}));
    EXPECT_EQ(now.placeholders, 2);

    EXPECT_EQ(translateAccessSqlForServer(u"insert or ignore into t (a) select b from u;"_s).text,
              u"insert  into t (a) select b from u on conflict do nothing"_s);
    EXPECT_EQ(
        translateAccessSqlForServer(u"select 1 from 销售记录 k indexed by 销售记录_销售票号 cross join 销售记录 s "
                                    u"on s.ID = k.ID where cast(s.金额 as real) = ?"_s)
            .text,
        u"select 1 from 销售记录 k  join 销售记录 s on s.ID = k.ID where cast(s.金额 as double precision) = $1"_s);
    // A word that only contains a keyword is left alone; a quoted name keeps a doubled quote.
    EXPECT_EQ(translateAccessSqlForServer(u"select likes, nowhere from [a\"b]"_s).text,
              u"select likes, nowhere from \"a\"\"b\""_s);
}

} // namespace
} // namespace quorrel::test
