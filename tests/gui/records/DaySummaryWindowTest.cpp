// Closing the day in the real program: two sales rung up and paid differently, the 日结 window's
// lists and labels, a deletion from the records window moving one of them, and a reprint carrying
// how the sale was paid.

#include "support/AppDriver.h"

#include "gui/app/MainWindow.h"
#include "gui/records/DaySummaryWindow.h"
#include "mock/MockClock.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

namespace quorrel::test {
namespace {

class DaySummaryWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假', 提示再次打印='假', 付款方式的选中='真' "
                                 "where ID=1"));
        MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }
    // Rings up one line paid with `method`, `received` handed over, and presses F5.
    void sell(const QString& name, const QString& price, const QString& method, const QString& received)
    {
        QWidget* main = mainWindowWidget();
        enterLine(name, QStringLiteral("1"), price);
        auto* methods = Unit<QComboBox>(main, QStringLiteral("组合框_付款方式"));
        methods->setCurrentIndex(methods->findText(method));
        emit methods->activated(methods->currentIndex()); // as the cashier's pick
        Unit<QLineEdit>(main, QStringLiteral("编辑框_实收"))->setText(received);
        QTest::keyClick(Unit<QLineEdit>(main, QStringLiteral("编辑框_名称")), Qt::Key_F5);
        waitForReceipts();
    }
    void inDaySummary(const std::function<void(QWidget*)>& body)
    {
        inModal([this] { mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_日结"))->trigger(); }, body);
    }
    static QString label(QWidget* window, const char16_t* name)
    {
        return Unit<QLabel>(window, QString::fromUtf16(name))->text();
    }
};

TEST_F(DaySummaryWindowTest, TwoSalesByTheirMethodsThenOneDeletedAndTheOtherPrintedAgain)
{
    ASSERT_NE(openMainWindow(), nullptr);
    sell(QStringLiteral("糖"), QStringLiteral("7"), QStringLiteral("现金"), QStringLiteral("50"));
    sell(QStringLiteral("茶"), QStringLiteral("12"), QStringLiteral("微信支付"), QStringLiteral("12"));
    ASSERT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(shop.scalar(QStringLiteral("select 付款方式||' '||实收||' '||找零 from 销售记录 where ID=1")),
              QStringLiteral("现金 50 43.00"));

    inDaySummary([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("日结"));
        EXPECT_EQ(listedRows(window), (QStringList{QStringLiteral("现金 1 7.00"), QStringLiteral("微信支付 1 12.00"),
                                                   QStringLiteral("合计 2 19.00")}));
        EXPECT_EQ(listedRows(window, QStringLiteral("超级列表框2")), QStringList{QStringLiteral("admin 2 19.00")});
        EXPECT_EQ(label(window, u"标签_笔数"), QStringLiteral("2"));
        EXPECT_EQ(label(window, u"标签_总金额"), QStringLiteral("19.00"));
        EXPECT_EQ(label(window, u"标签_现金"), QStringLiteral("7.00"));
        EXPECT_EQ(label(window, u"标签_删除"), QStringLiteral("0 笔 / 0.00"));
        EXPECT_EQ(Unit<QComboBox>(window, QStringLiteral("组合框_收银员"))->itemText(0), QStringLiteral("全部"));
        QTest::mouseClick(Unit<QPushButton>(window, QStringLiteral("按钮_打印")), Qt::LeftButton);
        waitForReceipts();
        ASSERT_NE(hooks().Printer(), nullptr);
        EXPECT_NE(hooks().Printer()->written(QStringLiteral("现金：7.00")), nullptr)
            << "printed on the receipt printer";
    });

    // The cash sale is deleted in the records window; the other is printed again from there.
    mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_统计销售"))->trigger();
    QWidget* records = QApplication::activeModalWidget();
    ASSERT_NE(records, nullptr);
    auto* list = Unit<QTreeView>(records, QStringLiteral("超级列表框1"));
    ASSERT_EQ(list->model()->rowCount(), 2);
    const int cashRow = list->model()->index(0, 1).data().toString().endsWith(u'1') ? 0 : 1;
    list->setCurrentIndex(list->model()->index(cashRow, 1));
    hooks().answerNext(MessageAnswer::Yes);
    menuItem(records->findChild<QMenu*>(QStringLiteral("菜单")), QStringLiteral("删除记录"))->trigger();
    list->setCurrentIndex(list->model()->index(0, 1));
    menuItem(records->findChild<QMenu*>(QStringLiteral("菜单")), QStringLiteral("打印记录"))->trigger();
    waitForReceipts();
    ASSERT_NE(hooks().Printer(), nullptr);
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("付款方式:微信支付")), nullptr);
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("实收现金:12")), nullptr);
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("找零:0.00")), nullptr);
    records->close();
    QApplication::processEvents();

    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售变更 where 动作='删除销售'")), QStringLiteral("1"));
    inDaySummary([&](QWidget* window) {
        EXPECT_EQ(listedRows(window),
                  (QStringList{QStringLiteral("微信支付 1 12.00"), QStringLiteral("合计 1 12.00")}));
        EXPECT_EQ(label(window, u"标签_现金"), QStringLiteral("0.00"));
        EXPECT_EQ(label(window, u"标签_删除"), QStringLiteral("1 笔 / 7.00"));
    });
}

TEST_F(DaySummaryWindowTest, AnOrdinaryUserClosesTheirOwnSalesOnly)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QString());
    ASSERT_NE(openMainWindow(), nullptr);
    sell(QStringLiteral("糖"), QStringLiteral("7"), QStringLiteral("现金"), QStringLiteral("7"));
    ASSERT_NE(openMainWindow(QStringLiteral("小王")), nullptr);
    sell(QStringLiteral("茶"), QStringLiteral("3"), QStringLiteral("现金"), QStringLiteral("3"));
    inDaySummary([&](QWidget* window) {
        auto* cashiers = Unit<QComboBox>(window, QStringLiteral("组合框_收银员"));
        EXPECT_EQ(cashiers->count(), 1);
        EXPECT_EQ(cashiers->currentText(), QStringLiteral("小王"));
        EXPECT_EQ(label(window, u"标签_总金额"), QStringLiteral("3.00"));
    });
}

} // namespace
} // namespace quorrel::test
