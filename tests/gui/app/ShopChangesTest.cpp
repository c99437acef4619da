// A change made in one window reaches every other through the shop's own announcements, in the real
// program: the main window's wheel, lists and boxes show what is stored now, and what an ordinary
// user may not use is not there to be reached.

#include "support/AppDriver.h"

#include "core/shop/Session.h"
#include "gui/app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QWheelEvent>

namespace quorrel::test {
namespace {

class ShopChangesTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    void inSettings(const std::function<void(QWidget*)>& body)
    {
        inModal([this] { mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_软件设置"))->trigger(); }, body);
    }
    // One notch of the wheel over the name box, away from the cashier.
    void wheelOverName(int notches)
    {
        QWidget* name = Unit<QLineEdit>(mainWindowWidget(), QStringLiteral("编辑框_名称"));
        const QPointF at(5, 5);
        QWheelEvent event(at, name->mapToGlobal(at), QPoint(), QPoint(0, -notches * 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(name, &event);
    }
    QString mainText(const QString& box) { return Unit<QLineEdit>(mainWindowWidget(), box)->text(); }
};

TEST_F(ShopChangesTest, WhatTheSettingsWindowStoresIsWhatTheMainWindowOffersNext)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('糖', '3.00'), ('盐', '2.00')"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* offered = Unit<QComboBox>(main, QStringLiteral("组合框_名称"));
    offered->showPopup();
    offered->hidePopup();
    wheelOverName(1);
    wheelOverName(1);
    EXPECT_EQ(mainText(QStringLiteral("编辑框_名称")), QStringLiteral("盐"));

    inSettings([&](QWidget* settings) {
        Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
        auto* list = Unit<QTreeView>(settings, QStringLiteral("超级列表框1"));
        list->setCurrentIndex(list->model()->index(1, 1));
        Unit<QLineEdit>(settings, QStringLiteral("编辑框_单价"))->setText(QStringLiteral("2.8"));
        click(settings, u"按钮_修改");
        list->setCurrentIndex(list->model()->index(0, 1));
        click(settings, u"按钮_删除");
        // The shop's name and remark, saved here, are what the main window prints under.
        Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"))->setCurrentIndex(0);
        Unit<QLineEdit>(settings, QStringLiteral("编辑框_店名"))->setText(QStringLiteral("好邻居"));
        Unit<QPlainTextEdit>(settings, QStringLiteral("编辑框_备注"))->setPlainText(QStringLiteral("再见"));
        click(settings, u"按钮_保存");
    });
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("基本信息已经保存！")});
    // The wheel no longer offers the deleted product, and offers the new price of the other.
    wheelOverName(-1);
    EXPECT_EQ(mainText(QStringLiteral("编辑框_名称")), QStringLiteral("盐"));
    EXPECT_EQ(mainText(QStringLiteral("编辑框_单价")), QStringLiteral("2.80"));
    EXPECT_EQ(offered->count(), 1);
    EXPECT_EQ(mainText(QStringLiteral("编辑框_店名")), QStringLiteral("好邻居"));
    EXPECT_EQ(Unit<QPlainTextEdit>(main, QStringLiteral("编辑框_备注"))->toPlainText(), QStringLiteral("再见"));
}

TEST_F(ShopChangesTest, CustomersPaymentMethodsAndUsersAddedInTheirWindowsAreOfferedAtOnce)
{
    shop.exec(QStringLiteral("update 配置文件 set 客户='真', 电话='真' where ID=1"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* names = Unit<QComboBox>(main, QStringLiteral("组合框_客户"));
    auto* phones = Unit<QComboBox>(main, QStringLiteral("组合框_电话"));
    EXPECT_EQ(names->count(), 0);
    inModal([&] { click(main, u"按钮_设置客户"); },
            [&](QWidget* customers) {
                Unit<QLineEdit>(customers, QStringLiteral("编辑框_客户"))->setText(QStringLiteral("张三"));
                Unit<QLineEdit>(customers, QStringLiteral("编辑框_电话"))->setText(QStringLiteral("13800000001"));
                click(customers, u"按钮_添加");
                EXPECT_EQ(listedRows(customers), QStringList{QStringLiteral("1 张三 13800000001")});
            });
    EXPECT_EQ(names->findText(QStringLiteral("张三")), 0);
    EXPECT_EQ(phones->findText(QStringLiteral("13800000001")), 0);

    inModal([&] { click(main, u"按钮_付款方式"); },
            [&](QWidget* methods) {
                Unit<QLineEdit>(methods, QStringLiteral("编辑框1"))->setText(QStringLiteral("赊账"));
                click(methods, u"按钮_添加");
            });
    EXPECT_GE(Unit<QComboBox>(main, QStringLiteral("组合框_付款方式"))->findText(QStringLiteral("赊账")), 0);
    EXPECT_EQ(mainText(QStringLiteral("编辑框_付款方式")), QStringLiteral("现金")) << "the chosen method stays";

    EXPECT_EQ(app->currentSession().shop.users().add({QStringLiteral("小王"), QString(), QString(), kOrdinaryRole}),
              UserRule::Allowed);
    EXPECT_GE(Unit<QComboBox>(main, QStringLiteral("组合框_收银员"))->findText(QStringLiteral("小王")), 0);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(ShopChangesTest, AnOrdinaryUserCannotReachThePrintPageWithAnyKey)
{
    addUser(QStringLiteral("小王"), kOrdinaryRole, QString());
    ASSERT_NE(openMainWindow(QStringLiteral("小王")), nullptr);
    inSettings([&](QWidget* settings) {
        auto* tabs = Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"));
        EXPECT_EQ(tabs->count(), 2);
        EXPECT_EQ(settings->findChild<QWidget*>(QStringLiteral("页面_打印设置")), nullptr);
        EXPECT_EQ(settings->findChild<QWidget*>(QStringLiteral("编辑框_店名")), nullptr);
        for (int press = 0; press < 4; ++press) {
            QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
            EXPECT_NE(tabs->currentWidget()->objectName(), QStringLiteral("页面_打印设置"));
        }
    });
    // What it may not do is done by no path, the button's own request included.
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("1"));
    emit qobject_cast<MainWindow*>(mainWindowWidget())->saveOnlyRequested();
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("0"));
}

} // namespace
} // namespace quorrel::test
