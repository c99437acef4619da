// What the role of the logged-in user allows, window by window, through the real program: the
// administrator ("管理员"), the ordinary user ("普通用户") and a user whose role is any other text,
// who counts as an ordinary user. Each user logs in with a password through the login window.

#include "mock/MockClock.h"
#include "support/AppDriver.h"

#include "core/records/StoredLinesModel.h"
#include "gui/app/MainWindow.h"
#include "gui/records/SaleDetailWindow.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/settings/SettingsWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>

#include <functional>

namespace quorrel::test {
namespace {

struct RoleCase
{
    QString user;
    QString role;
    bool administrator;
};

class RoleRulesTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        MockClock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
        for (const RoleCase& user : users)
            addUser(user.user, user.role, QStringLiteral("pw"));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }

    // Runs `check` once for each user, logged in afresh through the login window.
    void asEachUser(const std::function<void(const RoleCase&)>& check)
    {
        for (const RoleCase& user : users) {
            SCOPED_TRACE(user.role.toStdString());
            ASSERT_NE(openMainWindow(user.user, QStringLiteral("pw")), nullptr);
            hooks().clearMessages();
            check(user);
            endProgram();
        }
    }

    void expectEnabled(QWidget* window, std::initializer_list<const char16_t*> units, bool enabled)
    {
        for (const char16_t* unit : units)
            EXPECT_EQ(Unit<QWidget>(window, QString::fromUtf16(unit))->isEnabled(), enabled)
                << QString::fromUtf16(unit).toStdString();
    }

    // "查询统计" › "统计销售", the records window it opens, with today's sale selected.
    SalesRecordsWindow* openRecordsWithSaleSelected()
    {
        mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_统计销售"))->trigger();
        auto* records = qobject_cast<SalesRecordsWindow*>(QApplication::activeModalWidget());
        EXPECT_NE(records, nullptr);
        if (records) {
            auto* list = Unit<QTreeView>(records, QStringLiteral("超级列表框1"));
            list->setCurrentIndex(list->model()->index(0, 1));
        }
        return records;
    }
    void storeTodaysSale()
    {
        shop.exec(QStringLiteral("insert into 销售记录 (销售票号,销售时间,数量,金额,收银员,备注) values "
                                 "('2403050000001','2024-03-05 09:00:00','1','2.50','admin','')"));
        shop.exec(QStringLiteral("insert into 销售详情 (关联,名称,数量,单价,金额,折后,备注) values "
                                 "((select max(ID) from 销售记录),'茶','1','2.50','2.50','2.50','')"));
    }

    const QList<RoleCase> users{{QStringLiteral("店长"), QStringLiteral("管理员"), true},
                                {QStringLiteral("小王"), QStringLiteral("普通用户"), false},
                                {QStringLiteral("小李"), QStringLiteral("收银"), false}};
};

TEST_F(RoleRulesTest, MainWindowLetsOnlyAnAdministratorChangeTheCashierOrSaveWithoutPrinting)
{
    asEachUser([&](const RoleCase& user) {
        expectEnabled(mainWindowWidget(), {u"编辑框_收银员", u"组合框_收银员", u"按钮_仅保存小票"}, user.administrator);
        expectEnabled(mainWindowWidget(), {u"按钮_打印小票", u"按钮_打印预览", u"按钮_添加商品"}, true);
    });
}

TEST_F(RoleRulesTest, SettingsWindowShowsThePrintPageAndTheListButtonsToAnAdministratorOnly)
{
    asEachUser([&](const RoleCase& user) {
        inModal(
            [&] { mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_软件设置"))->trigger(); },
            [&](QWidget* window) {
                ASSERT_NE(qobject_cast<SettingsWindow*>(window), nullptr);
                auto* tabs = Unit<QTabWidget>(window, QStringLiteral("高级选择夹1"));
                // An ordinary user's window has no print page at all.
                EXPECT_EQ(tabs->count(), user.administrator ? 3 : 2);
                EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("页面_打印设置")) != nullptr, user.administrator);
                EXPECT_EQ(tabs->currentWidget()->objectName(),
                          user.administrator ? QStringLiteral("页面_打印设置") : QStringLiteral("页面_常用商品"));
                expectEnabled(window,
                              {u"按钮_添加", u"按钮_修改", u"按钮_删除", u"按钮_添加1", u"按钮_修改1", u"按钮_删除1"},
                              user.administrator);
                expectEnabled(window, {u"按钮_取消直接登录"}, true);
            });
    });
}

TEST_F(RoleRulesTest, RecordsWindowLetsOnlyAnAdministratorExportResetRestoreOrDeleteASale)
{
    storeTodaysSale();
    asEachUser([&](const RoleCase& user) {
        SalesRecordsWindow* records = openRecordsWithSaleSelected();
        ASSERT_NE(records, nullptr);
        expectEnabled(records, {u"按钮_导出表", u"按钮_管理数据", u"按钮_数据恢复"}, user.administrator);
        expectEnabled(records, {u"按钮_查询", u"按钮_搜索", u"按钮_查看详情"}, true);
        if (user.administrator) // asked first; No keeps the sale
            hooks().answerNext(MessageAnswer::No);
        menuItem(records->popupMenu(), QStringLiteral("删除记录"))->trigger();
        ASSERT_EQ(hooks().messages().size(), 1);
        EXPECT_EQ(hooks().messages()[0].text,
                  user.administrator ? QStringLiteral("确定要删除吗？") : QStringLiteral("只有管理员才有删除权限！"));
        EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
        records->close();
    });
}

TEST_F(RoleRulesTest, SaleDetailWindowLetsOnlyAnAdministratorChangeOrExportTheLines)
{
    storeTodaysSale();
    asEachUser([&](const RoleCase& user) {
        SalesRecordsWindow* records = openRecordsWithSaleSelected();
        ASSERT_NE(records, nullptr);
        QTest::mouseClick(Unit<QPushButton>(records, QStringLiteral("按钮_查看详情")), Qt::LeftButton);
        auto* detail = qobject_cast<SaleDetailWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(detail, nullptr);
        EXPECT_EQ(detail->model().rowCount(), 1);
        expectEnabled(detail, {u"按钮_添加", u"按钮_修改", u"按钮_删除", u"按钮_导出"}, user.administrator);
        expectEnabled(detail, {u"按钮_关闭"}, true);
        detail->close();
        records->close();
    });
}

} // namespace
} // namespace quorrel::test
