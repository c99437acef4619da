// The shop on a PostgreSQL server of the test's own: the first start, the core's statements, several
// tills storing at once, records read as they are shown, and a whole shop copied.

#include "support/PostgresServer.h"
#include "support/TestDatabase.h"

#include "core/records/DaySummary.h"
#include "core/records/RecordsQuery.h"
#include "core/records/SaleRecords.h"
#include "core/records/SalesRecordsModel.h"
#include "core/sales/ProductStore.h"
#include "core/sales/SaleStore.h"
#include "core/shop/Shop.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"
#include "core/store/ServerSchema.h"
#include "core/store/ShopCopy.h"
#include "core/tickets/TicketNumbers.h"
#include "mock/MockClock.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

namespace quorrel::test {
namespace {

class ServerShopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PostgresServer& server = sharedPostgres();
        if (!server.unavailable().isEmpty())
            GTEST_SKIP() << server.unavailable().toStdString();
        static int made = 0;
        connection = server.createDatabase(QStringLiteral("shop%1").arg(++made));
        ASSERT_FALSE(connection.isEmpty());
    }
    void TearDown() override { MockClock::reset(); }

    void openShop()
    {
        ASSERT_TRUE(db.open(connection, schema::kDatabaseKey)) << db.lastError().toStdString();
        const Done made = server::createShop(db);
        ASSERT_TRUE(made) << made.error().toStdString();
    }
    QString scalar(const QString& sql, const QVariantList& params = {})
    {
        auto records = db.query(sql, params);
        EXPECT_NE(records, nullptr) << db.lastError().toStdString();
        return records ? records->text(1) : QString();
    }
    static Sale linesNamed(const QStringList& names)
    {
        Sale sale;
        for (const QString& name : names)
            sale.addLine(
                {name, QStringLiteral("2"), QStringLiteral("1.50"), QStringLiteral("3.00"), QStringLiteral("3.00")});
        return sale;
    }

    QString connection;
    Database db;
};

TEST_F(ServerShopTest, AnEmptyDatabaseBecomesTheFactoryShopInOneTransaction)
{
    ASSERT_TRUE(db.open(connection, schema::kDatabaseKey)) << db.lastError().toStdString();
    EXPECT_TRUE(db.isServer());
    EXPECT_EQ(db.hasTable(QStringLiteral("销售记录")), false);

    const Done made = server::createShop(db);
    ASSERT_TRUE(made) << made.error().toStdString();
    EXPECT_EQ(schemaVersion(db), schema::kSchemaVersion);
    Shop shop(db);
    const Result<QList<User>> users = shop.users().all();
    ASSERT_TRUE(users);
    ASSERT_EQ(users->size(), 1);
    EXPECT_EQ(users->first().name, QStringLiteral("admin"));
    EXPECT_EQ(shop.settings().shopName(), QStringLiteral("我的小店"));
    EXPECT_EQ(columnValues(db, QStringLiteral("select [方式] from [付款方式] order by [ID]"), QStringLiteral("方式")),
              (QStringList{QStringLiteral("现金"), QStringLiteral("微信支付"), QStringLiteral("支付宝"),
                           QStringLiteral("银行卡")}));

    // A second attempt fails as a whole and leaves the shop as it was.
    EXPECT_FALSE(server::createShop(db));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 付款方式")), QStringLiteral("4"));
    // Later inserts continue after the factory rows.
    ASSERT_TRUE(shop.paymentMethods().add(QStringLiteral("会员卡")));
    EXPECT_EQ(scalar(QStringLiteral("select max(ID) from 付款方式")), QStringLiteral("5"));

    // Opened again, as the next start does: nothing to upgrade, nothing refused.
    Database again;
    ASSERT_TRUE(again.open(connection, schema::kDatabaseKey)) << again.lastError().toStdString();
    EXPECT_EQ(again.hasTable(QStringLiteral("销售记录")), true);
}

TEST_F(ServerShopTest, StatementsMeanWhatTheyMeanInTheFile)
{
    openShop();
    Shop shop(db);
    // Names compare without regard to ASCII case, in completion, existence and LIKE.
    ASSERT_TRUE(shop.products().add(QStringLiteral("Apple Pie"), QStringLiteral("3.50")));
    ASSERT_TRUE(shop.products().add(QStringLiteral("apple juice"), QStringLiteral("2.00")));
    ASSERT_TRUE(shop.products().add(QStringLiteral("苹果"), QStringLiteral("6.00")));
    const std::optional<ProductMatch> match = lastProductWithPrefix(db, QStringLiteral("APP"));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->name, QStringLiteral("apple juice"));
    EXPECT_EQ(lastProductWithPrefix(db, QStringLiteral("苹"))->price, QStringLiteral("6.00"));
    EXPECT_EQ(productExists(db, QStringLiteral("APPLE PIE")), true);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品名称 where 名称 like ?"), {QStringLiteral("%PIE%")}),
              QStringLiteral("1"));
    EXPECT_TRUE(rememberProductRow(db, QStringLiteral("Apple Tart"), QStringLiteral("4")))
        << db.lastError().toStdString();
    EXPECT_EQ(lastProductWithPrefix(db, QStringLiteral("apple t"))->price, QStringLiteral("4.00"));
    // The prefix table behind the completion has taken in every product.
    EXPECT_EQ(scalar(QStringLiteral("select 最大ID from 商品前缀 where 前缀 = ''")),
              scalar(QStringLiteral("select max(ID) from 商品名称")));

    // Typed values come back typed; bytes with zeros in them come back whole.
    auto row = db.query(QStringLiteral("select top 1 ID, 名称 from [商品名称] where [ID] > ? order by ID"), {1});
    ASSERT_NE(row, nullptr) << db.lastError().toStdString();
    EXPECT_EQ(row->readField(QStringLiteral("ID")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(row->readField(QStringLiteral("ID")).toLongLong(), 2);
    const QByteArray logo("GIF89a\0\x01\xff\0", 10);
    ASSERT_TRUE(shop.settings().setLogoImage(logo));
    EXPECT_EQ(shop.settings().logoImage(), logo);

    // now() is the program's clock; #…# dates are texts of the stored form.
    MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    SaleHeader header;
    header.ticketNumber = QStringLiteral("T1");
    ASSERT_TRUE(storeSale(db, header, linesNamed({QStringLiteral("a")})));
    EXPECT_EQ(scalar(QStringLiteral("select 销售时间 from 销售记录 where 销售时间 >= #2016-8-24#")),
              QStringLiteral("2016-08-24 09:05:07"));

    // The customers' telephone index answers for part of a number.
    ASSERT_TRUE(shop.customers().add(QStringLiteral("王"), QStringLiteral("13912345678")));
    ASSERT_TRUE(shop.customers().add(QStringLiteral("李"), QStringLiteral("13800001111")));
    const Result<QList<Customer>> found =
        shop.customers().page({Customers::Search::Field::Phone, QStringLiteral("2345"), true}, 0, 10);
    ASSERT_TRUE(found) << found.error().toStdString();
    ASSERT_EQ(found->size(), 1);
    EXPECT_EQ(found->first().name, QStringLiteral("王"));

    // Many runs of one statement: stored together, or, when one fails, reported with the server's
    // reason and undone with their transaction, the connection ready for the next statement.
    const QString insert = QStringLiteral("insert into 商品名称 (ID, 名称, 单价) values (?, ?, '1.00')");
    const auto numbered = [](qsizetype i) { return QVariantList{1000 + i, QStringLiteral("批%1").arg(i)}; };
    ASSERT_TRUE(db.executeEach(insert, 600, numbered)) << db.lastError().toStdString();
    ASSERT_TRUE(db.execute(db.beginText()));
    EXPECT_FALSE(db.executeEach(insert, 600, [&](qsizetype i) { return numbered(i < 300 ? 600 + i : i); }));
    EXPECT_TRUE(db.lastError().contains(QStringLiteral("(1300)"))) << db.lastError().toStdString();
    db.rollback();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品名称 where 名称 like '批%'")), QStringLiteral("600"));

    // A failed statement reports the server's reason; values never become part of the text.
    EXPECT_FALSE(db.execute(QStringLiteral("insert into 商品名称 (名称) values (?)"), {}));
    EXPECT_FALSE(db.lastError().isEmpty());
    const QString quote = QStringLiteral("x'); drop table 商品名称; --");
    ASSERT_TRUE(shop.products().add(quote, QStringLiteral("1")));
    EXPECT_EQ(productExists(db, quote), true);
}

TEST_F(ServerShopTest, SalesAreNumberedListedFoundAndDeletedWithoutReuse)
{
    openShop();
    Shop shop(db);
    MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    QString shown;
    QList<qint64> ids;
    for (int n = 0; n < 3; ++n) {
        SaleHeader header;
        header.ticketNumber = shown;
        header.cashier = QStringLiteral("admin");
        const Result<StoredSale> stored = shop.sales().storeNext(
            kTicketFormatDatePrefix, header, linesNamed({QStringLiteral("糖"), QStringLiteral("盐")}));
        ASSERT_TRUE(stored) << stored.error().toStdString();
        shown = stored->ticketNumber;
        ids << stored->id;
    }
    EXPECT_EQ(shown, QStringLiteral("1608240000003"));

    const RecordsQuery today = todaysRecords(Clock::now());
    EXPECT_EQ(columnValues(db, recordsSql(today, kRecordColumns), QStringLiteral("销售票号"), today.params),
              (QStringList{QStringLiteral("1608240000003"), QStringLiteral("1608240000002"),
                           QStringLiteral("1608240000001")}));
    const RecordsQuery part = ticketFragmentRecords(QStringLiteral("0002"));
    EXPECT_EQ(columnValues(db, recordsSql(part, kRecordColumns), QStringLiteral("销售票号"), part.params),
              QStringList{QStringLiteral("1608240000002")});
    const std::optional<QList<SaleLine>> lines = loadSaleLines(db, ids[1]);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 2);
    EXPECT_EQ(lines->at(1).cells.name, QStringLiteral("盐"));

    // The newest sale deleted: its number is not given out again, even by a till that never saw it.
    ASSERT_TRUE(shop.sales().remove(ids[2]));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售详情 where 关联=?"), {ids[2]}), QStringLiteral("0"));
    SaleHeader stale;
    stale.ticketNumber = QStringLiteral("1608240000001");
    const Result<StoredSale> next =
        storeNextSale(db, kTicketFormatDatePrefix, stale, linesNamed({QStringLiteral("茶")}));
    ASSERT_TRUE(next) << next.error().toStdString();
    EXPECT_EQ(next->ticketNumber, QStringLiteral("1608240000004"));

    // The day's closing adds them up as on a file: three sales kept, the deleted one counted apart.
    const Result<DayFigures> day = daySummary(db, QDate(2016, 8, 24), QString(), {});
    ASSERT_TRUE(day) << day.error().toStdString();
    EXPECT_EQ(day->total.amount, QStringLiteral("15.00"));
    EXPECT_EQ(deletedSummary(*day), QStringLiteral("1 笔 / 6.00"));
}

TEST_F(ServerShopTest, FourTillsAtOnceNeverShareANumberAndKeepEveryLineUnderItsSale)
{
    openShop();
    constexpr int kTills = 4;
    constexpr int kSales = 250;
    std::vector<std::unique_ptr<QProcess>> tills;
    for (int t = 0; t < kTills; ++t) {
        auto till = std::make_unique<QProcess>();
        till->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        till->start(QStringLiteral(TILL_RINGER_PATH),
                    {connection, QStringLiteral("till%1").arg(t), QString::number(kSales)});
        tills.push_back(std::move(till));
    }
    for (auto& till : tills) {
        ASSERT_TRUE(till->waitForFinished(240000));
        EXPECT_EQ(till->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(till->exitCode(), 0);
    }
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售记录")), QString::number(kTills * kSales));
    EXPECT_EQ(scalar(QStringLiteral("select count(distinct 销售票号) from 销售记录")),
              QString::number(kTills * kSales));
    // Sale n of a till has n % 4 + 1 lines, each named till-n-k: every line lies under its own sale.
    int linesPerTill = 0;
    for (int n = 0; n < kSales; ++n)
        linesPerTill += n % 4 + 1;
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售详情")), QString::number(kTills * linesPerTill));
    std::map<qint64, QStringList> linesOfSale;
    auto lines =
        db.query(QStringLiteral("select s.ID, s.收银台, d.名称 from 销售详情 d join 销售记录 s on s.ID = d.关联"));
    ASSERT_NE(lines, nullptr) << db.lastError().toStdString();
    for (; !lines->atEnd(); lines->moveNext()) {
        const QStringList parts = lines->text(3).split(u'-');
        ASSERT_EQ(parts.size(), 3);
        EXPECT_EQ(parts[0], lines->text(2));
        linesOfSale[lines->readField(1).toLongLong()] << parts[0] + u'-' + parts[1];
    }
    EXPECT_EQ(linesOfSale.size(), std::size_t(kTills * kSales));
    for (const auto& [sale, names] : linesOfSale) {
        EXPECT_EQ(names.count(names.first()), names.size()) << "sale " << sale << " holds lines of several sales";
        EXPECT_EQ(names.size(), names.first().section(u'-', 1).toInt() % 4 + 1) << "sale " << sale;
    }
}

TEST_F(ServerShopTest, AServerGoneStoresNothingAndTheNextTryStoresTheSaleOnce)
{
    openShop();
    SaleHeader header;
    ASSERT_TRUE(storeNextSale(db, kTicketFormatDatePrefix, header, linesNamed({QStringLiteral("a")})));

    PostgresServer& server = sharedPostgres();
    ASSERT_TRUE(server.stop());
    const Result<StoredSale> lost =
        storeNextSale(db, kTicketFormatDatePrefix, header, linesNamed({QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_FALSE(lost);
    EXPECT_TRUE(db.serverUnreachable());
    EXPECT_FALSE(db.inTransaction());

    ASSERT_TRUE(server.start());
    const Result<StoredSale> stored =
        storeNextSale(db, kTicketFormatDatePrefix, header, linesNamed({QStringLiteral("b"), QStringLiteral("c")}));
    ASSERT_TRUE(stored) << stored.error().toStdString();
    EXPECT_FALSE(db.serverUnreachable());
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("2"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售详情")), QStringLiteral("3"));
    EXPECT_EQ(scalar(QStringLiteral("select count(distinct 销售票号) from 销售记录")), QStringLiteral("2"));
}

TEST_F(ServerShopTest, ARecordsListReadsItsRowsAsShownWhileTheTillGoesOnStoring)
{
    openShop();
    Shop shop(db);
    ASSERT_TRUE(db.execute(QStringLiteral("insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
                                          "select '1608230' || lpad(n::text, 6, '0'), '2016-08-23 10:00:00', "
                                          "'1', '2.00', 'admin', ' ' from generate_series(1, 3000) as n")))
        << db.lastError().toStdString();
    SalesRecordsModel model(db);
    RecordsQuery all;
    all.order = QStringLiteral("order by s.ID");
    ASSERT_TRUE(model.setQuery(all)) << db.lastError().toStdString();
    EXPECT_LT(model.rowCount(), 3000);

    // The till stores a sale on its own connection while the list stands half-read.
    const Result<StoredSale> stored =
        shop.sales().storeNext(kTicketFormatDatePrefix, SaleHeader{}, linesNamed({QStringLiteral("糖")}));
    ASSERT_TRUE(stored) << stored.error().toStdString();
    while (model.canFetchMore())
        model.fetchMore();
    EXPECT_EQ(model.rowCount(), 3000) << "the list shows the shop as it was when it was opened";
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from pg_stat_activity where state = 'idle in transaction'")),
              QStringLiteral("0"))
        << "a list read to its end holds nothing";

    // Refreshed after a server restart, on a fresh reading connection, it shows the new sale; the
    // till's connection, idle meanwhile, is replaced before its next sale, which goes through.
    ASSERT_TRUE(sharedPostgres().stop());
    ASSERT_TRUE(sharedPostgres().start());
    ASSERT_TRUE(model.refresh()) << db.lastError().toStdString();
    EXPECT_TRUE(shop.sales().storeNext(kTicketFormatDatePrefix, SaleHeader{}, linesNamed({QStringLiteral("茶")})));
    while (model.canFetchMore())
        model.fetchMore();
    EXPECT_EQ(model.index(3000, 1).data().toString(), stored->ticketNumber);
}

TEST_F(ServerShopTest, ATillKilledWhileItStoresLeavesNoPartialSale)
{
    openShop();
    QRandomGenerator random(20161207);
    constexpr int kRuns = 100;
    for (int run = 0; run < kRuns; ++run) {
        QProcess saver;
        saver.start(QStringLiteral(CRASH_SAVER_PATH), {connection});
        ASSERT_TRUE(saver.waitForReadyRead(20000))
            << "the saver did not start saving: " << saver.readAllStandardError().toStdString();
        QThread::msleep(random.bounded(1, 30)); // into the middle of some sale
        saver.kill();                           // SIGKILL: the server sees the connection drop mid-transaction
        ASSERT_TRUE(saver.waitForFinished(10000));
        EXPECT_EQ(saver.exitStatus(), QProcess::CrashExit) << saver.readAllStandardError().toStdString();
    }
    // Sale n of a run has n % 9 + 1 lines L1, L2, … and that count in 数量 and 备注: a sale whose lines
    // are not exactly those, or a line without its sale, is a partial one.
    EXPECT_GE(scalar(QStringLiteral("select count(*) from 销售记录")).toInt(), kRuns)
        << "every run stores at least its first sale";
    EXPECT_EQ(scalar(QStringLiteral(
                  "select count(*) from 销售记录 s where 备注 <> 'n=' || 数量 || ' ' or "
                  "(select string_agg(名称, ',' order by ID) from 销售详情 d where d.关联 = s.ID) is distinct from "
                  "(select string_agg('L' || k, ',' order by k) from generate_series(1, s.数量::int) as k)")),
              QStringLiteral("0"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售详情 d where not exists "
                                    "(select 1 from 销售记录 s where s.ID = d.关联)")),
              QStringLiteral("0"));
}

TEST_F(ServerShopTest, AWholeShopCopiesFromFileToServerAndBackAndNeverOverAShop)
{
    TempShop file;
    file.writeFactory();
    file.exec(QStringLiteral("insert into 销售记录 (销售票号) values ('1608240000001'), ('1608240000002'), "
                             "('1608240000003')"));
    file.exec(QStringLiteral("insert into 销售详情 (关联, 名称) values (1, '糖'), (2, '盐'), (3, '盐')"));
    {
        Database fileDb;
        ASSERT_TRUE(fileDb.open(file.databasePath(), schema::kDatabaseKey));
        ASSERT_TRUE(Shop(fileDb).sales().remove(3));
    }
    const Done copied = copyShop(file.databasePath(), connection);
    ASSERT_TRUE(copied) << copied.error().toStdString();
    ASSERT_TRUE(db.open(connection, schema::kDatabaseKey));
    // The server goes on from the copied rows: new IDs after the highest, the deleted number not reused.
    const Result<StoredSale> next =
        storeNextSale(db, kTicketFormatDatePrefix, SaleHeader{}, linesNamed({QStringLiteral("茶")}));
    ASSERT_TRUE(next) << next.error().toStdString();
    EXPECT_EQ(next->id, 4);
    EXPECT_TRUE(next->ticketNumber.endsWith(QStringLiteral("0000004"))) << next->ticketNumber.toStdString();

    EXPECT_FALSE(copyShop(file.databasePath(), connection)) << "a server that holds a shop is no target";
    const QString back = file.filePath(QStringLiteral("back.mdb"));
    const Done returned = copyShop(connection, back);
    ASSERT_TRUE(returned) << returned.error().toStdString();
    Database backDb;
    ASSERT_TRUE(backDb.open(back, schema::kDatabaseKey));
    EXPECT_EQ(columnValues(backDb, QStringLiteral("select 名称 from 销售详情 where 关联=4"), QStringLiteral("名称")),
              QStringList{QStringLiteral("茶")});

    // A file an earlier release wrote is refused before anything is copied: this release opens it first.
    TempShop older;
    older.writeFactory();
    older.exec(QStringLiteral("pragma user_version = 2"));
    const Done refused = copyShop(older.databasePath(), older.filePath(QStringLiteral("copy.mdb")));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("旧版"))) << refused.error().toStdString();
    EXPECT_FALSE(QFile::exists(older.filePath(QStringLiteral("copy.mdb"))));
}

} // namespace
} // namespace quorrel::test
