// The records window on a real shop file: today's listing, exact totals, quick find, deleting a
// sale, printing it again, and the way in from the main window's menu.

#include "RecordsFixture.h"

#include "core/records/SalesRecordsModel.h"
#include "core/store/Schema.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/app/MainWindow.h"
#include "gui/app/SingleInstance.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/records/SalesRecordsWindow.h"
#include "support/Eventually.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace quorrel::test {
namespace {

using Kind = RecordingPrinter::Kind;

QAction* popupItem(SalesRecordsWindow* window, const QString& text)
{
    return menuItem(window->popupMenu(), text);
}

TEST_F(RecordsTest, TodayFromMidnightToThisSecondNewestFirstWithExactTotals)
{
    storeSale(QStringLiteral("2403040000009"), QStringLiteral("2024-03-04 23:59:59"), QStringLiteral("5"),
              QStringLiteral("99.00"));
    storeSale(QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 00:00:00"), QStringLiteral("1.5"),
              QStringLiteral("1234567.89"));
    storeSale(QStringLiteral("2403050000002"), QStringLiteral("2024-03-05 14:30:20"), QStringLiteral("2"),
              QStringLiteral("10.00"), QStringLiteral("小王"));
    storeSale(QStringLiteral("2403050000003"), QStringLiteral("2024-03-05 14:30:21"), QStringLiteral("7"),
              QStringLiteral("1.00"));
    openRecords();

    EXPECT_EQ(shownColumn(0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(shownColumn(1), (QStringList{QStringLiteral("2403050000002"), QStringLiteral("2403050000001")}));
    EXPECT_EQ(shownColumn(2),
              (QStringList{QStringLiteral("2024年3月5日14时30分20秒"), QStringLiteral("2024年3月5日")}));
    EXPECT_EQ(shownColumn(5), (QStringList{QStringLiteral("小王"), QStringLiteral("admin")}));
    // Single precision would make 1234567.875 of the first amount.
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_销售数量")), QStringLiteral("3.5"));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("1234577.89"));
    EXPECT_FALSE(Unit<QPushButton>(window.get(), QStringLiteral("按钮_查看详情"))->isEnabled());
    selectRow(1);
    EXPECT_TRUE(Unit<QPushButton>(window.get(), QStringLiteral("按钮_查看详情"))->isEnabled());
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(RecordsTest, TotalsReadAnyStoredNumberExactlyOrNameTheSaleTheyCannotAdd)
{
    storeSale(QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("1"),
              QStringLiteral("1e20"));
    storeSale(QStringLiteral("2403050000002"), QStringLiteral("2024-03-05 09:00:00"), QStringLiteral("2"),
              QStringLiteral("10.005"));
    openRecords();
    EXPECT_EQ(shownColumn(1).size(), 2);
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("100000000000000000010.01"));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_销售数量")), QStringLiteral("3"));
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    // More digits than can be added exactly: the window names the sale instead of a wrong total.
    window.reset();
    storeSale(QStringLiteral("2403050000003"), QStringLiteral("2024-03-05 10:00:00"), QStringLiteral("1"),
              QStringLiteral("1e40"));
    openRecords();
    EXPECT_EQ(shownColumn(1).size(), 3) << "the list stays whole";
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), SalesRecordsWindow::kNoTotal);
    EXPECT_EQ(hooks().messageTexts(), QStringList{SalesRecordsWindow::kUnreadableTotal.arg(
                                          QStringLiteral("2403050000003"), QStringLiteral("1e40"))});
}

TEST_F(RecordsTest, EmptyDayShowsZeroTotals)
{
    storeSale(QStringLiteral("1"), QStringLiteral("2024-03-04 10:00:00"), QStringLiteral("5"), QStringLiteral("9.00"));
    openRecords();
    EXPECT_TRUE(shownColumn(1).isEmpty());
    EXPECT_EQ(label(QStringLiteral("标签_销售数量")), QStringLiteral("0"));
    EXPECT_EQ(label(QStringLiteral("标签_总金额")), QStringLiteral("0.00"));
}

TEST_F(RecordsTest, QuickFindAcrossDaysTakesWildcardsLiterally)
{
    storeSale(QStringLiteral("2301010001234"), QStringLiteral("2023-01-01 08:00:00"), QStringLiteral("1"),
              QStringLiteral("1.10"));
    storeSale(QStringLiteral("2403050001234"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("2"),
              QStringLiteral("2.20"));
    storeSale(QStringLiteral("2403050000099"), QStringLiteral("2024-03-05 09:00:00"), QStringLiteral("4"),
              QStringLiteral("4.40"));
    storeSale(QStringLiteral("24%_9"), QStringLiteral("2024-03-05 09:00:00"), QStringLiteral("8"),
              QStringLiteral("8.80"));
    openRecords();
    auto* box = Unit<QLineEdit>(window.get(), QStringLiteral("编辑框_查单号"));
    auto* find = Unit<QPushButton>(window.get(), QStringLiteral("按钮_搜索"));

    QTest::mouseClick(find, Qt::LeftButton);
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("内容不能为空！")});
    EXPECT_EQ(shownColumn(1).size(), 3) << "an empty find leaves the list as it was";

    typeText(box, QStringLiteral("1234"));
    QTest::mouseClick(find, Qt::LeftButton);
    QStringList found = shownColumn(1);
    found.sort();
    EXPECT_EQ(found, (QStringList{QStringLiteral("2301010001234"), QStringLiteral("2403050001234")}));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_销售数量")), QStringLiteral("3"));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("3.30"));

    for (const QString& literal : {QStringLiteral("%"), QStringLiteral("_")}) {
        box->setText(literal);
        QTest::mouseClick(find, Qt::LeftButton);
        EXPECT_EQ(shownColumn(1), QStringList{QStringLiteral("24%_9")}) << literal.toStdString();
    }
}

TEST_F(RecordsTest, TotalsFollowTheRowsAndAnOlderFindsTotalsNeverOverwriteANewerOnes)
{
    ASSERT_TRUE(session.db.execute(
        QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
                       "insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) "
                       "select 'A' || i, '2024-03-01 08:00:00', '1', '1.00', 'admin', '' from n")));
    storeSale(QStringLiteral("B1"), QStringLiteral("2024-03-02 08:00:00"), QStringLiteral("2"), QStringLiteral("2.50"));
    storeSale(QStringLiteral("B2"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("3"), QStringLiteral("7.00"));
    openRecords();
    EXPECT_EQ(label(QStringLiteral("标签_总金额")), QStringLiteral("7.00"));
    QStringList shown; // both labels each time totals are shown
    QObject::connect(window.get(), &SalesRecordsWindow::totalsShown, window.get(), [&] {
        shown << label(QStringLiteral("标签_销售数量")) + u'/' + label(QStringLiteral("标签_总金额"));
    });
    auto* box = Unit<QLineEdit>(window.get(), QStringLiteral("编辑框_查单号"));
    auto* find = Unit<QPushButton>(window.get(), QStringLiteral("按钮_搜索"));

    // The rows are there at once; the totals follow. Nothing runs between the two finds, so the
    // first one's totals are still being summed when the second is asked for.
    box->setText(QStringLiteral("A"));
    find->click();
    EXPECT_GT(window->model().rowCount(), 0);
    EXPECT_EQ(label(QStringLiteral("标签_销售数量")), SalesRecordsWindow::kCountingTotals);
    EXPECT_EQ(label(QStringLiteral("标签_总金额")), SalesRecordsWindow::kCountingTotals);
    box->setText(QStringLiteral("B"));
    find->click();
    EXPECT_EQ(shownColumn(1), (QStringList{QStringLiteral("B1"), QStringLiteral("B2")}));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("9.50"));
    EXPECT_EQ(label(QStringLiteral("标签_销售数量")), QStringLiteral("5"));
    QApplication::processEvents();
    EXPECT_EQ(shown, QStringList{QStringLiteral("5/9.50")}) << "the first find's totals were dropped";

    // A find without rows shows zero at once, and so drops the totals still to come.
    box->setText(QStringLiteral("A"));
    find->click();
    box->setText(QStringLiteral("没有"));
    find->click();
    EXPECT_EQ(label(QStringLiteral("标签_销售数量")), QStringLiteral("0"));
    EXPECT_EQ(label(QStringLiteral("标签_总金额")), QStringLiteral("0.00"));
    box->setText(QStringLiteral("B2"));
    find->click();
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("7.00"));
    QApplication::processEvents();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("5/9.50"), QStringLiteral("0/0.00"), QStringLiteral("3/7.00")}));
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(RecordsTest, AdministratorDeletesSaleWithItsLinesAfterAsking)
{
    storeSale(QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("1"),
              QStringLiteral("1.00"), QStringLiteral("admin"), {{QStringLiteral("甲"), QStringLiteral("1")}});
    const qint64 middle = storeSale(QStringLiteral("2403050000002"), QStringLiteral("2024-03-05 09:00:00"),
                                    QStringLiteral("2"), QStringLiteral("2.00"), QStringLiteral("admin"),
                                    {{QStringLiteral("乙"), QStringLiteral("1")}, {QStringLiteral("丙")}});
    const qint64 newest = storeSale(QStringLiteral("2403050000003"), QStringLiteral("2024-03-05 10:00:00"),
                                    QStringLiteral("4"), QStringLiteral("4.00"));
    openRecords();
    QAction* remove = popupItem(window.get(), QStringLiteral("删除记录"));

    remove->trigger();
    EXPECT_EQ(hooks().messages().value(0).text, QStringLiteral("请选择要删除的行！"));

    selectRow(1);
    hooks().answerNext(MessageAnswer::No);
    remove->trigger();
    EXPECT_EQ(shownColumn(1).size(), 3);
    EXPECT_EQ(hooks().messages().last().caption, QStringLiteral("注意"));

    hooks().answerNext(MessageAnswer::Yes);
    remove->trigger();
    EXPECT_EQ(shownColumn(0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(shownColumn(1), (QStringList{QStringLiteral("2403050000003"), QStringLiteral("2403050000001")}));
    EXPECT_EQ(totalsLabel(QStringLiteral("标签_总金额")), QStringLiteral("5.00"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售详情 where 关联=?"), {middle}), QStringLiteral("0"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售详情")), QStringLiteral("1"));

    // The newest sale's number is not given out again, also by a program started afresh.
    selectRow(0);
    hooks().answerNext(MessageAnswer::Yes);
    remove->trigger();
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录 where ID=?"), {newest}), QStringLiteral("0"));
    Database reopened;
    ASSERT_TRUE(reopened.open(shop.databasePath(), schema::kDatabaseKey));
    EXPECT_EQ(lastTicketNumber(reopened, kTicketFormatDatePrefix), QStringLiteral("2403050000003"));
    EXPECT_EQ(startupTicketNumber(kTicketFormatDatePrefix, *lastTicketNumber(reopened, kTicketFormatDatePrefix),
                                  QDate(2024, 3, 5)),
              QStringLiteral("2403050000003"));
}

TEST_F(RecordsTest, OrdinaryUserIsRefusedDeleteExportAndDataButtons)
{
    storeSale(QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("1"),
              QStringLiteral("1.00"));
    openRecords(QStringLiteral("普通用户"));
    for (const QString& name :
         {QStringLiteral("按钮_导出表"), QStringLiteral("按钮_管理数据"), QStringLiteral("按钮_数据恢复")})
        EXPECT_FALSE(Unit<QPushButton>(window.get(), name)->isEnabled()) << name.toStdString();
    selectRow(0);
    popupItem(window.get(), QStringLiteral("删除记录"))->trigger();
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages().first().text, QStringLiteral("只有管理员才有删除权限！"));
    EXPECT_EQ(hooks().messages().first().caption, QStringLiteral("提示"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
}

TEST_F(RecordsTest, ReprintPrintsTheStoredSaleAndStoresNothing)
{
    storeSale(QStringLiteral("2403050000042"), QStringLiteral("2024-03-05 09:05:07"), QStringLiteral("3"),
              QStringLiteral("10.50"), QStringLiteral("小李"),
              {{QStringLiteral("可乐"), QStringLiteral("3"), QStringLiteral("3.50"), QStringLiteral("10.50"),
                QStringLiteral("9.98")}},
              QStringLiteral("多谢 "));
    openRecords();
    selectRow(0);
    popupItem(window.get(), QStringLiteral("打印记录"))->trigger();
    ASSERT_TRUE(eventuallyEqual([] { return ReceiptPrinting::receiptsUnderWay(); }, 0));
    RecordingPrinter* printer = hooks().Printer();

    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->documents(), 1);
    QStringList written;
    for (const auto& op : printer->ofKind(Kind::WriteAt))
        written << op.text;
    for (const auto& op : printer->ofKind(Kind::WriteLines))
        written << op.text;
    const QString all = written.join(u'|');
    for (const QString& expected :
         {QStringLiteral("2403050000042"), QStringLiteral("2024-03-05  09:05:07"), QStringLiteral("小李"),
          QStringLiteral("可乐"), QStringLiteral("9.98"), QStringLiteral("多谢")})
        EXPECT_TRUE(all.contains(expected)) << expected.toStdString() << " not in " << all.toStdString();
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
}

class RecordsMenuTest : public AppTest
{};

TEST_F(RecordsMenuTest, StatisticsMenuOpensTodaysRecords)
{
    shop.writeFactory();
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* item = main->findChild<QAction*>(QStringLiteral("菜单_统计销售"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    auto* records = main->findChild<SalesRecordsWindow*>();
    ASSERT_NE(records, nullptr);
    EXPECT_TRUE(records->isVisible());
    EXPECT_TRUE(records->isModal());
    EXPECT_EQ(records->windowTitle(), QStringLiteral("Quorrel"));
    EXPECT_EQ(records->model().rowCount(), 0);
    records->close();
}

TEST_F(RecordsMenuTest, AResetStartsANewCopyAndEndsThisOne)
{
    shop.writeFactory();
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    main->findChild<QAction*>(QStringLiteral("菜单_统计销售"))->trigger();
    auto* records = main->findChild<SalesRecordsWindow*>();
    ASSERT_NE(records, nullptr);
    hooks().answerNext(MessageAnswer::Yes);
    hooks().chooseNextFile(shop.filePath(QStringLiteral("backup.mdb")));
    QTest::mouseClick(Unit<QPushButton>(records, QStringLiteral("按钮_管理数据")), Qt::LeftButton);
    // QTRY_COMPARE would not fail a GoogleTest test: its failure goes to Qt Test's own log only.
    EXPECT_TRUE(QTest::qWaitFor([this] { return finishedCount == 1; }));
    ASSERT_EQ(hooks().started().size(), 1);
    EXPECT_EQ(hooks().started().first().first(), QCoreApplication::applicationFilePath());
    EXPECT_TRUE(QFileInfo::exists(shop.filePath(QStringLiteral("backup.mdb"))));
    SingleInstance next(shop.lockPath());
    EXPECT_EQ(next.acquire(), SingleInstance::Result::Acquired) << "the new copy must not find this one running";
}

} // namespace
} // namespace quorrel::test
