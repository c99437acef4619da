// Closing the day against a real shop database: the day's figures summed exactly by payment method
// and cashier, the change log that stored sales leave, a file of the release before upgraded once,
// and the printed closing read back from its PDF.

#include "core/records/DaySummary.h"

#include "core/receipt/ClosingLayout.h"
#include "core/receipt/PainterPrinter.h"
#include "core/receipt/RasterPrinter.h"
#include "core/receipt/ThermalPrinter.h"
#include "core/records/ChangeLog.h"
#include "core/shop/Session.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"
#include "mock/MockClock.h"
#include "support/FakeReceiptPrinter.h"
#include "support/PdfText.h"
#include "support/PrintTo.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

const QDate kDay(2016, 8, 24);
const QStringList kMethods{u"现金"_s, u"微信支付"_s, u"支付宝"_s, u"银行卡"_s};

class DaySummaryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        shop.writeFactory();
        ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey));
        session.shop.sales().setOperator(u"admin"_s, u"一号台"_s);
    }
    void TearDown() override { MockClock::reset(); }

    // A sale of one line stored at the till at `time`.
    qint64 sell(const QTime& time, const QString& amount, const QString& method, const QString& cashier = u"admin"_s,
                const QDate& day = kDay)
    {
        MockClock::setFixed(QDateTime(day, time));
        Sale sale;
        EXPECT_TRUE(sale.addLine({u"糖"_s, u"1"_s, amount, amount, amount}));
        SaleHeader header;
        header.ticketNumber = u"1608240000000"_s;
        header.cashier = cashier;
        header.paymentMethod = method;
        header.received = amount;
        header.change = u"0.00"_s;
        const Result<StoredSale> stored = session.shop.sales().storeNext(2, header, sale);
        EXPECT_TRUE(stored) << stored.error().toStdString();
        return stored ? stored->id : 0;
    }
    static QStringList rows(const QList<DayFigures::Row>& rows)
    {
        QStringList texts;
        for (const DayFigures::Row& row : rows)
            texts << u"%1 %2 %3"_s.arg(row.name).arg(row.count).arg(row.amount);
        return texts;
    }
    DayFigures figures(const QDate& day = kDay, const QString& cashier = QString())
    {
        const Result<DayFigures> found = daySummary(session.db, day, cashier, kMethods);
        EXPECT_TRUE(found) << found.error().toStdString();
        return found.value_or({});
    }

    TempShop shop;
    Session session;
};

TEST_F(DaySummaryTest, TheDaysFiguresAreExactSumsByMethodAndCashierAndFollowDeletionsAndChanges)
{
    sell(QTime(0, 0, 0), u"0.10"_s, u"微信支付"_s);
    const qint64 cash = sell(QTime(9, 0, 0), u"0.20"_s, u"  现金"_s, u"小王"_s); // printed without its blanks
    sell(QTime(12, 0, 0), u"8.00"_s, u"赊账"_s);                                 // a method no longer listed
    sell(QTime(23, 59, 59), u"12.50"_s, u"现金"_s);
    sell(QTime(0, 0, 0), u"99.00"_s, u"现金"_s, u"admin"_s, kDay.addDays(1)); // the next day's first second

    DayFigures day = figures();
    EXPECT_EQ(rows(day.methods), (QStringList{u"现金 2 12.70"_s, u"微信支付 1 0.10"_s, u"赊账 1 8.00"_s}));
    EXPECT_EQ(rows({day.total}), QStringList{u"合计 4 20.80"_s});
    EXPECT_EQ(rows(day.cashiers), (QStringList{u"admin 3 20.60"_s, u"小王 1 0.20"_s}));
    EXPECT_EQ(day.cash, u"12.70"_s);
    EXPECT_EQ(cashiersOnDay(session.db, kDay), (QStringList{u"admin"_s, u"小王"_s}));
    EXPECT_EQ(rows(figures(kDay, u"小王"_s).methods), QStringList{u"现金 1 0.20"_s});

    // A deletion and a change of stored sales, logged with who, where and what, in one transaction.
    MockClock::setFixed(QDateTime(kDay, QTime(18, 0, 0)));
    ASSERT_TRUE(session.shop.sales().remove(cash));
    const std::optional<QList<SaleLine>> lines = loadSaleLines(session.db, 1);
    ASSERT_TRUE(lines && lines->size() == 1);
    SaleLine changed = lines->first();
    changed.cells.quantity = u"2"_s;
    ASSERT_TRUE(session.shop.sales().updateLine(1, changed));
    day = figures();
    EXPECT_EQ(deletedSummary(day), u"1 笔 / 0.20"_s);
    EXPECT_EQ(changedSummary(day), u"1 笔"_s);
    EXPECT_EQ(day.cash, u"12.50"_s);
    EXPECT_EQ(deletedSummary(figures(kDay, u"admin"_s)), u"0 笔 / 0.00"_s) << "小王's sale, not admin's";
    const Result<QList<SaleChange>> log =
        changesBetween(session.db, QDateTime(kDay, QTime(0, 0)), QDateTime(kDay, QTime(23, 59, 59)));
    ASSERT_TRUE(log && log->size() == 2);
    EXPECT_EQ(log->at(0).action, change::kDeleteSale);
    EXPECT_EQ(log->at(0).user, u"admin"_s);
    EXPECT_EQ(log->at(0).till, u"一号台"_s);
    EXPECT_EQ(describedValue(log->at(0).before, u"付款方式"_s), u"现金"_s);
    EXPECT_EQ(log->at(1).action, change::kChangeLine);
    EXPECT_EQ(describedValue(log->at(1).before, u"数量"_s), u"1"_s);
    EXPECT_EQ(describedValue(log->at(1).after, u"数量"_s), u"2"_s);

    // Nobody changes the log, through the program or around it.
    EXPECT_FALSE(session.db.execute(u"delete from 销售变更"_s));
    EXPECT_FALSE(session.db.execute(u"update 销售变更 set 之前=''"_s));
    EXPECT_EQ(shop.scalar(u"select count(*) from 销售变更"_s), u"2"_s);
}

TEST_F(DaySummaryTest, ASaleOfTheReleaseBeforeCountsAsUnrecordedAfterTheUpgrade)
{
    sell(QTime(10, 0, 0), u"5.00"_s, u"现金"_s);
    session.db.close();
    // The release before kept neither the payment nor the line's rate, nor any change log.
    {
        Database older;
        ASSERT_TRUE(older.open(shop.databasePath(), schema::kDatabaseKey));
        ASSERT_TRUE(older.executeScript(R"SQL(
            ALTER TABLE 销售记录 RENAME TO 新;
            CREATE TABLE 销售记录 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 销售票号 TEXT COLLATE NOCASE,
                销售时间 TEXT COLLATE NOCASE, 数量 TEXT COLLATE NOCASE, 金额 TEXT COLLATE NOCASE,
                收银员 TEXT COLLATE NOCASE, 备注 TEXT COLLATE NOCASE);
            INSERT INTO 销售记录 SELECT ID, 销售票号, 销售时间, 数量, 金额, 收银员, 备注 FROM 新;
            INSERT INTO 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注)
                VALUES ('1608240000099', '2016-08-24 11:00:00', '1', '3.00', 'admin', ' ');
            DROP TABLE 新;
            DROP TABLE 销售变更;
            PRAGMA user_version = 3;
        )SQL"))
            << older.lastError().toStdString();
    }
    ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey));
    EXPECT_EQ(schemaVersion(session.db), schema::kSchemaVersion);
    EXPECT_EQ(rows(figures().methods), (QStringList{u"未记录 2 8.00"_s}));
    sell(QTime(12, 0, 0), u"1.00"_s, u"现金"_s);
    EXPECT_EQ(rows(figures().methods), (QStringList{u"现金 1 1.00"_s, u"未记录 2 8.00"_s}));
}

TEST_F(DaySummaryTest, ThePrintedClosingHoldsEveryFigure)
{
    sell(QTime(9, 0, 0), u"7.00"_s, u"现金"_s);
    sell(QTime(10, 0, 0), u"12.00"_s, u"微信支付"_s, u"小王"_s);
    ASSERT_TRUE(session.shop.sales().remove(2));
    const DayFigures day = figures();
    const ClosingHeader header{u"好邻居便利店"_s, u"2016-08-24"_s, u"一号台"_s, u"全部"_s, u"2016-08-24  20:00:00"_s};
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"closing.pdf"_s);
    PdfPrinter paper(pdf);
    ASSERT_TRUE(layOutClosing(paper, header, day));
    const QString text = pdfText(pdf);
    for (const QString& figure :
         {u"好邻居便利店"_s, u"2016-08-24"_s, u"一号台"_s, u"现金"_s, u"7.00"_s, u"合计"_s, u"admin"_s, u"笔数：1"_s,
          u"总金额：7.00"_s, u"现金：7.00"_s, u"删除：1 笔 / 12.00"_s, u"修改：0 笔"_s})
        EXPECT_TRUE(text.contains(figure.normalized(QString::NormalizationForm_KC)))
            << figure.toStdString() << " not in:\n"
            << text.toStdString();

    // On an 80 mm thermal printer the stream carries the same closing, dot for dot.
    FakeReceiptPrinter fake;
    ASSERT_TRUE(fake.listening());
    ThermalSettings thermal;
    thermal.paperMillimetres = 80;
    thermal.connection.kind = RawConnection::Kind::Network;
    thermal.connection.target = u"127.0.0.1"_s;
    thermal.connection.port = fake.port();
    ThermalPrinter printer(thermal);
    ASSERT_TRUE(layOutClosing(printer, header, day)) << printer.lastError().toStdString();
    RasterPrinter drawn(thermal.widthDots());
    ASSERT_TRUE(layOutClosing(drawn, header, day));
    const DecodedEscPos stream = decodeEscPos(fake.received(), thermal.widthDots());
    EXPECT_TRUE(stream.error.isEmpty()) << stream.error.toStdString();
    EXPECT_EQ(stream.picture, drawn.strip().convertToFormat(QImage::Format_RGB32));
}

} // namespace
} // namespace quorrel::test
