// Taking the cash and saving the sale in the real main window, read back from the real database.

#include "support/AppDriver.h"
#include "support/Eventually.h"

#include "core/shop/Till.h"
#include "core/store/RecordSet.h"
#include "gui/app/MainWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/sales/Checkout.h"
#include "gui/tickets/TicketFormatWindow.h"
#include "mock/MockClock.h"
#include "support/SmallDisk.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QWheelEvent>

namespace quorrel::test {
namespace {

class CheckoutTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        // Receipts are the printing tests' business; here the sale is what matters.
        shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 提示再次打印='假' where ID=1"));
        MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }
    MainWindow* open() { return main = openMainWindow(); }
    template <typename T = QLineEdit> T* U(const char16_t* name) { return Unit<T>(main, QString::fromUtf16(name)); }
    int count(const QString& table) { return shop.scalar(QStringLiteral("select count(*) from ") + table).toInt(); }
    QStringList columns(const QString& sql, const QVariantList& params = {})
    {
        Database db;
        EXPECT_TRUE(db.open(shop.databasePath(), "19970605"));
        auto records = db.query(sql, params);
        QStringList cells;
        if (!records)
            return cells;
        for (int c = 1; c <= records->columnCount(); ++c)
            cells << records->text(c);
        return cells;
    }

    MainWindow* main = nullptr;
};

TEST_F(CheckoutTest, ChangeAppearsOnceTypingHasSettled)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    QLineEdit* received = U(u"编辑框_实收");
    QLineEdit* change = U(u"编辑框_找零");
    EXPECT_EQ(received->text(), QStringLiteral("3.30"));
    EXPECT_TRUE(eventuallyEqual([&] { return change->text(); }, QStringLiteral("0.00"), 5000));

    received->clear();
    QElapsedTimer typed;
    typed.start();
    typeText(received, QStringLiteral("10"));
    QApplication::processEvents();
    if (typed.elapsed() < Checkout::kSettleMilliseconds - 100) {
        EXPECT_NE(change->text(), QStringLiteral("6.70")) << "the change waits for the typing to settle";
    }
    EXPECT_TRUE(eventuallyEqual([&] { return change->text(); }, QStringLiteral("6.70"), 2000));

    received->setText(QStringLiteral("1"));
    EXPECT_TRUE(eventuallyEqual([&] { return change->text(); }, QStringLiteral("-2.30"), 2000));
    received->setText(QStringLiteral("100000000000001"));
    // Exact and in plain digits, where floating point gave 9.999999999999770e+13.
    EXPECT_TRUE(eventuallyEqual([&] { return change->text(); }, QStringLiteral("99999999999997.70"), 2000));
}

TEST_F(CheckoutTest, PickingAnAmountShowsTheChangeAtOnce)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("米"), QStringLiteral("1"), QStringLiteral("12.5"));
    auto* combo = U<QComboBox>(u"组合框_实收");
    const int fifty = combo->findText(QStringLiteral("50"));
    ASSERT_GE(fifty, 0);
    combo->setCurrentIndex(fifty);
    combo->activated(fifty);
    EXPECT_EQ(U(u"编辑框_实收")->text(), QStringLiteral("50"));
    EXPECT_EQ(U(u"编辑框_找零")->text(), QStringLiteral("37.50"));

    // The combo's own edit field shows the plain difference.
    combo->lineEdit()->clear();
    typeText(combo->lineEdit(), QStringLiteral("20"));
    EXPECT_EQ(U(u"编辑框_找零")->text(), QStringLiteral("7.5"));
}

TEST_F(CheckoutTest, WheelOverTheAmountComboStepsItsOwnTextOnly)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("米"), QStringLiteral("1"), QStringLiteral("5"));
    auto* combo = U<QComboBox>(u"组合框_实收");
    combo->setEditText(QStringLiteral("20"));
    auto wheel = [combo](int notches) {
        const QPointF at(5, 5);
        QWheelEvent event(at, combo->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &event);
    };
    wheel(-1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("21"));
    wheel(1);
    wheel(1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("19"));
    EXPECT_EQ(U(u"编辑框_实收")->text(), QStringLiteral("5.00")) << "the amount box above is not touched";
    combo->setEditText(QStringLiteral("0"));
    wheel(1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("0"));
}

TEST_F(CheckoutTest, ChangeIsWorkedOutFromTheDiscountedTotal)
{
    ASSERT_NE(open(), nullptr);
    QTest::mouseClick(U<QCheckBox>(u"选择框_折扣"), Qt::LeftButton);
    U<QComboBox>(u"组合框_折扣")->setCurrentText(QStringLiteral("8"));
    enterLine(QStringLiteral("油"), QStringLiteral("1"), QStringLiteral("10"));
    U(u"编辑框_实收")->setText(QStringLiteral("10"));
    EXPECT_TRUE(eventuallyEqual([&] { return U(u"编辑框_找零")->text(); }, QStringLiteral("2.00"), 2000));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 金额 from 销售记录")), QStringLiteral("10.00"))
        << "the header keeps the total before discount";
    EXPECT_EQ(shop.scalar(QStringLiteral("select 折后 from 销售详情")), QStringLiteral("8.00"));
}

TEST_F(CheckoutTest, PrintingSavesTheSaleWithItsLinesUnderTheNextTicketNumber)
{
    ASSERT_NE(open(), nullptr);
    U<QPlainTextEdit>(u"编辑框_备注")->setPlainText(QStringLiteral("欢迎再来"));
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    enterLine(QStringLiteral("A01-可乐"), QStringLiteral("2"), QStringLiteral("2.5"));
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000000"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    EXPECT_EQ(U<QTreeView>(u"超级列表框1")->model()->rowCount(), 0);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000001"));
    ASSERT_EQ(count(QStringLiteral("销售记录")), 1);
    const QStringList header = columns(QStringLiteral("select * from 销售记录"));
    EXPECT_EQ(header, (QStringList{QStringLiteral("1"), QStringLiteral("1608240000001"),
                                   QStringLiteral("2016-08-24 09:05:07"), QStringLiteral("5"), QStringLiteral("8.30"),
                                   QStringLiteral("admin"), QStringLiteral("欢迎再来 "), QStringLiteral("现金"),
                                   QStringLiteral("8.30"), QStringLiteral("0.00"), tillName()}))
        << "with how it was paid and where";
    ASSERT_EQ(count(QStringLiteral("销售详情")), 2);
    EXPECT_EQ(columns(QStringLiteral("select * from 销售详情 where ID=1")),
              (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("糖"), QStringLiteral("3"),
                           QStringLiteral("1.10"), QStringLiteral("3.30"), QStringLiteral("3.30"),
                           QStringLiteral(" 欢迎再来"), QStringLiteral("10")}));
    EXPECT_EQ(columns(QStringLiteral("select 关联, 名称, 折后 from 销售详情 where ID=2")),
              (QStringList{QStringLiteral("1"), QStringLiteral("可乐"), QStringLiteral("5.00")}));
    // Totals and the amount received stay until the next line.
    EXPECT_EQ(U<QLabel>(u"标签_总金额")->text(), QStringLiteral("8.30"));

    // The next sale takes the next number and points its lines at its own header.
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    QTest::mouseClick(U<QPushButton>(u"按钮_打印小票"), Qt::LeftButton);
    waitForReceipts();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录 where ID=2")), QStringLiteral("1608240000002"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 关联 from 销售详情 where 名称='盐'")), QStringLiteral("2"));
}

TEST_F(CheckoutTest, ASaleIsStoredOnceAndAnEmptyListNever)
{
    ASSERT_NE(open(), nullptr);
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    QTest::mouseClick(U<QPushButton>(u"按钮_仅保存小票"), Qt::LeftButton);
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("没有可以打印的数据！"), QStringLiteral("没有可以保存的数据！")}));
    EXPECT_EQ(count(QStringLiteral("销售记录")), 0);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000000"));

    // The second click of a double click, and saving after printing, find the sale already stored.
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("100"));
    auto* saveOnly = U<QPushButton>(u"按钮_仅保存小票");
    QTest::mouseClick(saveOnly, Qt::LeftButton);
    QTest::mouseClick(saveOnly, Qt::LeftButton);
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    QTest::mouseClick(saveOnly, Qt::LeftButton);
    EXPECT_EQ(count(QStringLiteral("销售记录")), 2);
    EXPECT_EQ(count(QStringLiteral("销售详情")), 2);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000002"));
}

TEST_F(CheckoutTest, AChangeStillSettlingIsWorkedOutBeforeTheReceipt)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    U(u"编辑框_实收")->setText(QStringLiteral("10"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    RecordingPrinter* printer = hooks().Printer();
    ASSERT_NE(printer, nullptr);
    EXPECT_NE(printer->written(QStringLiteral("实收现金:10")), nullptr);
    EXPECT_NE(printer->written(QStringLiteral("找零:6.70")), nullptr);
    EXPECT_EQ(U(u"编辑框_找零")->text(), QStringLiteral("6.70"));
}

TEST_F(CheckoutTest, QuotesInNamesRemarksAndCashiersAreStoredAsTyped)
{
    ASSERT_NE(open(), nullptr);
    U(u"编辑框_收银员")->setText(QStringLiteral("O'Neil"));
    U<QPlainTextEdit>(u"编辑框_备注")->setPlainText(QStringLiteral("it's \"fine\""));
    enterLine(QStringLiteral("Joe's 'best' tea"), QStringLiteral("1"), QStringLiteral("3"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 名称 from 商品名称")), QStringLiteral("Joe's 'best' tea"));
    QTest::mouseClick(U<QPushButton>(u"按钮_仅保存小票"), Qt::LeftButton);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 收银员 from 销售记录")), QStringLiteral("O'Neil"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 备注 from 销售记录")), QStringLiteral("it's \"fine\" "));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 名称 from 销售详情")), QStringLiteral("Joe's 'best' tea"));
    // And it completes like any other product.
    QTest::keyClick(U(u"编辑框_名称"), 'J');
    EXPECT_EQ(U(u"编辑框_名称")->text(), QStringLiteral("Joe's 'best' tea"));
}

TEST_F(CheckoutTest, FailedSaveStoresNothingAndKeepsTheLines)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    // Lines can no longer be stored: the header must not be left behind alone.
    shop.exec(QStringLiteral("alter table 销售详情 rename to 销售详情_old"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("添加失败！")});
    EXPECT_EQ(count(QStringLiteral("销售记录")), 0);
    EXPECT_EQ(U<QTreeView>(u"超级列表框1")->model()->rowCount(), 2);

    // Once the table is back the same sale is stored whole.
    shop.exec(QStringLiteral("alter table 销售详情_old rename to 销售详情"));
    hooks().clearMessages();
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_TRUE(hooks().messages().isEmpty());
    EXPECT_EQ(count(QStringLiteral("销售记录")), 1);
    EXPECT_EQ(count(QStringLiteral("销售详情")), 2);
}

// A printer whose jobs never come out, as one that is switched off or out of paper.
class DeadPrinter : public RecordingPrinter
{
public:
    bool endDocument() override
    {
        RecordingPrinter::endDocument();
        return false;
    }
};

TEST_F(CheckoutTest, ASaleIsStoredOnceBeforeItsReceiptAndAFailedPrintKeepsIt)
{
    ASSERT_NE(open(), nullptr);
    // The preview shows the number the sale will be stored and printed under.
    enterLine(QStringLiteral("糖"), QStringLiteral("2"), QStringLiteral("1.5"));
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000000"));
    EXPECT_EQ(main->findChild<Checkout*>()->nextReceipt().ticketNumber, QStringLiteral("1608240000001"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    RecordingPrinter* printer = hooks().Printer();
    ASSERT_NE(printer, nullptr);
    EXPECT_NE(printer->written(QStringLiteral("单号：1608240000001")), nullptr);
    EXPECT_NE(printer->written(QStringLiteral("时间：2016-08-24  09:05:07")), nullptr);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 || ' ' || 销售时间 from 销售记录")),
              QStringLiteral("1608240000001 2016-08-24 09:05:07"));

    // A printer that fails: the sale is stored once and the cashier is told where to print it again.
    ReceiptPrinting::setPrinterFactory([] { return std::make_unique<DeadPrinter>(); });
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages()[0].text, Checkout::kNotPrinted);
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(count(QStringLiteral("销售记录")), 2);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录 where ID=2")), QStringLiteral("1608240000002"));
    EXPECT_EQ(U<QTreeView>(u"超级列表框1")->model()->rowCount(), 0);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000002"));
}

TEST_F(CheckoutTest, WithTheDatabaseOnAFullDiskNothingIsPrintedAndNoNumberIsUsedUp)
{
    SmallDisk disk(8 << 20);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    const QString path = disk.filePath(QStringLiteral("ZoZ.mdb"));
    shop.exec(QStringLiteral("update 配置文件 set 直接登录='1', 用户登录='admin' where ID=1"));
    ASSERT_TRUE(QFile::copy(shop.databasePath(), path));
    app = std::make_unique<AppController>(path); // the program on the small disk, logged in directly
    ASSERT_TRUE(app->start());
    QApplication::processEvents();
    main = app->main();
    ASSERT_NE(main, nullptr) << hooks().messageTexts().join(u'|').toStdString();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    hooks().clearMessages();

    // The disk fills up to its last byte.
    QFile filler(disk.filePath(QStringLiteral("filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    U(u"编辑框_名称")->setFocus();
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("添加失败！")});
    EXPECT_TRUE(hooks().Printer() == nullptr || hooks().Printer()->documents() == 0) << "nothing printed";
    EXPECT_EQ(U<QTreeView>(u"超级列表框1")->model()->rowCount(), 1) << "the lines stay";
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000000"));

    // Room again: the same sale goes under the number it was to have.
    ASSERT_TRUE(QFile::remove(filler.fileName()));
    hooks().clearMessages();
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    ASSERT_NE(hooks().Printer(), nullptr);
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("单号：1608240000001")), nullptr);
    endProgram();
}

TEST_F(CheckoutTest, TicketNumbersContinueAcrossARestartAndAChangeOfDay)
{
    ASSERT_NE(open(), nullptr);
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录")), QStringLiteral("1608240000001"));

    MockClock::setFixed(QDateTime(QDate(2016, 9, 1), QTime(8, 0, 0)));
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1609010000001"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::keyClick(U(u"编辑框_名称"), Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录 where ID=2")), QStringLiteral("1609010000002"));

    // The custom-prefix format keeps six digits of the counter across a restart.
    endProgram();
    shop.exec(QStringLiteral("update 配置文件 set 全局单号格式='1'"));
    shop.exec(QStringLiteral("insert into 销售记录 (销售票号) values ('0000001000123')"));
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("0000000000123"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::mouseClick(U<QPushButton>(u"按钮_仅保存小票"), Qt::LeftButton);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("0000000000124"));
}

TEST_F(CheckoutTest, TicketFormatWindowSwitchesTheFormatAndTheMainWindowFollows)
{
    shop.exec(QStringLiteral("insert into 销售记录 (销售票号) values ('0000000000005')"));
    shop.exec(QStringLiteral("update 配置文件 set 全局单号格式='1'"));
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("0000000000005"));

    TicketFormatWindow window(app->currentSession().shop.settings(), main);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorrel"));
    auto* custom = Unit<QCheckBox>(&window, QStringLiteral("选择框1"));
    auto* date = Unit<QCheckBox>(&window, QStringLiteral("选择框2"));
    auto* customBox = Unit<QLineEdit>(&window, QStringLiteral("编辑框1"));
    auto* dateBox = Unit<QLineEdit>(&window, QStringLiteral("编辑框2"));
    EXPECT_TRUE(custom->isChecked());
    EXPECT_FALSE(date->isChecked());
    EXPECT_EQ(customBox->text(), QStringLiteral("000000"));
    EXPECT_EQ(dateBox->text(), QStringLiteral("160824"));

    // The pair: exactly one is ticked, and only its box is in use.
    QTest::mouseClick(date, Qt::LeftButton);
    EXPECT_FALSE(custom->isChecked());
    EXPECT_TRUE(dateBox->isEnabled());
    EXPECT_FALSE(customBox->isEnabled());
    QTest::mouseClick(date, Qt::LeftButton);
    EXPECT_TRUE(custom->isChecked());
    EXPECT_TRUE(customBox->isEnabled());
    QTest::mouseClick(custom, Qt::LeftButton);
    EXPECT_TRUE(date->isChecked());

    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮1")), Qt::LeftButton);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 全局单号格式 from 配置文件")), QStringLiteral("2"));
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("1608240000005"));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：admin(管理员)"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("1"));
    QTest::mouseClick(U<QPushButton>(u"按钮_仅保存小票"), Qt::LeftButton);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录 where ID=2")), QStringLiteral("1608240000006"));

    // Back to the custom prefix: seven zeros and the last six digits of the last number.
    QTest::mouseClick(custom, Qt::LeftButton);
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮1")), Qt::LeftButton);
    EXPECT_EQ(U(u"编辑框_单号")->text(), QStringLiteral("0000000000006"));

    // "取消" after "确定" keeps what was stored.
    QTest::mouseClick(date, Qt::LeftButton);
    QTest::mouseClick(Unit<QPushButton>(&window, QStringLiteral("按钮2")), Qt::LeftButton);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 全局单号格式 from 配置文件")), QStringLiteral("1"));
}

} // namespace
} // namespace quorrel::test
