#include "support/WindowTour.h"

#include "support/Eventually.h"

#include "gui/app/MainWindow.h"
#include "mock/MockClock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

namespace quorrel::test {

namespace {

// An edit box over the text of its combo box, so that only the combo's arrow shows beside it.
const Overlays kMainOverlays = {{QStringLiteral("编辑框_名称"), QStringLiteral("组合框_名称")},
                                {QStringLiteral("编辑框_实收"), QStringLiteral("组合框_实收")},
                                {QStringLiteral("编辑框_付款方式"), QStringLiteral("组合框_付款方式")},
                                {QStringLiteral("编辑框_收银员"), QStringLiteral("组合框_收银员")},
                                {QStringLiteral("编辑框_客户"), QStringLiteral("组合框_客户")},
                                {QStringLiteral("编辑框_电话"), QStringLiteral("组合框_电话")}};
// The row of buttons overlaps by a few pixels at their edges, their texts clear of each other.
const Overlays kRecordsOverlays = {{QStringLiteral("按钮_查看详情"), QStringLiteral("按钮_查询")},
                                   {QStringLiteral("按钮_导出表"), QStringLiteral("按钮_查看详情")},
                                   {QStringLiteral("按钮_管理数据"), QStringLiteral("按钮_导出表")}};
const Overlays kDetailOverlays = {{QStringLiteral("编辑框_折扣"), QStringLiteral("组合框_折扣")}};

} // namespace

void WindowTour::SetUp()
{
    AppTest::SetUp();
    MockClock::setFixed(QDateTime(QDate(2026, 12, 28), QTime(23, 59, 59)));
    shop.writeFactory();
    shop.exec(QStringLiteral("update 配置文件 set 店名='好邻居便利店（幸福路店）', 显示打印完毕='假' where ID=1"));
    shop.exec(QStringLiteral("insert into 客户资料 (姓名, 电话) values ('张三丰', '13800000001')"));
    addUser(QStringLiteral("收银员小李"), QStringLiteral("普通用户"), QString());
}

void WindowTour::TearDown()
{
    MockClock::reset();
    AppTest::TearDown();
}

void WindowTour::trigger(QWidget* window, const char16_t* action)
{
    window->findChild<QAction*>(QString::fromUtf16(action))->trigger();
}

void WindowTour::inWindow(const std::function<void()>& open, const std::function<void(QWidget*)>& body)
{
    QWidget* before = QApplication::activeModalWidget();
    bool visited = false;
    const auto visitNew = [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (visited || !window || window == before)
            return visited;
        visited = true;
        body(window);
        window->close();
        return true;
    };
    QObject pending;                           // ends the timer's call when this returns
    QTimer::singleShot(0, &pending, visitNew); // inside the window's own event loop
    open();
    if (!visited)
        (void)QTest::qWaitFor(visitNew, 5000); // a window only shown
    EXPECT_TRUE(visited) << "no window came up";
}

void WindowTour::visitEveryWindow(const Visit& visit)
{
    ASSERT_TRUE(startProgram());
    visit(QStringLiteral("LoginWindow"), loginWindowWidget(), {});
    ASSERT_TRUE(logIn(QStringLiteral("admin"), QString()));
    auto* main = qobject_cast<MainWindow*>(mainWindowWidget());
    ASSERT_NE(main, nullptr);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));

    enterLine(QStringLiteral("进口特级初榨橄榄油礼盒装"), QStringLiteral("3"), QStringLiteral("12345.67"));
    click(main, u"按钮_仅保存小票");
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("3.5"));
    click(main, u"按钮_仅保存小票");
    enterLine(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("3.5"));
    enterLine(QStringLiteral("全麦面包"), QStringLiteral("1"), QStringLiteral("12.8"));
    Unit<QLineEdit>(main, QStringLiteral("编辑框_实收"))->setText(QStringLiteral("50"));
    ASSERT_TRUE(eventuallyEqual([&] { return Unit<QLineEdit>(main, QStringLiteral("编辑框_找零"))->text(); },
                                QStringLiteral("30.20")));
    click(main, u"按钮_客户栏");
    visit(QStringLiteral("MainWindow"), main, kMainOverlays);

    inWindow([&] { trigger(main, u"菜单_统计销售"); },
             [&](QWidget* records) {
                 auto* list = Unit<QTreeView>(records, QStringLiteral("超级列表框1"));
                 ASSERT_EQ(list->model()->rowCount(), 2);
                 list->setCurrentIndex(list->model()->index(0, 0));
                 visit(QStringLiteral("SalesRecordsWindow"), records, kRecordsOverlays);
                 inWindow([&] { click(records, u"按钮_查看详情"); },
                          [&](QWidget* detail) { visit(QStringLiteral("SaleDetailWindow"), detail, kDetailOverlays); });
                 inWindow([&] { click(records, u"按钮_查询"); },
                          [&](QWidget* search) {
                              Unit<QCheckBox>(search, QStringLiteral("选择框_时间"))->click();
                              visit(QStringLiteral("SearchWindow"), search, {});
                          });
             });
    inWindow([&] { trigger(main, u"菜单_日结"); },
             [&](QWidget* closing) { visit(QStringLiteral("DaySummaryWindow"), closing, {}); });
    inWindow([&] { trigger(main, u"菜单_软件设置"); },
             [&](QWidget* settings) {
                 auto* pages = Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"));
                 visit(QStringLiteral("SettingsWindow-1"), settings, {});
                 inWindow([&] { click(settings, u"按钮5"); },
                          [&](QWidget* logo) { visit(QStringLiteral("LogoWindow"), logo, {}); });
                 inWindow([&] { click(settings, u"按钮_选择打印机"); },
                          [&](QWidget* printer) { visit(QStringLiteral("PrinterSelectWindow"), printer, {}); });
                 inWindow([&] { click(settings, u"按钮1"); },
                          [&](QWidget* format) { visit(QStringLiteral("TicketFormatWindow"), format, {}); });
                 pages->setCurrentIndex(1);
                 visit(QStringLiteral("SettingsWindow-2"), settings, {});
                 pages->setCurrentIndex(2);
                 visit(QStringLiteral("SettingsWindow-3"), settings, {});
                 inWindow([&] { click(settings, u"按钮_添加1"); },
                          [&](QWidget* add) { visit(QStringLiteral("AddUserWindow"), add, {}); });
                 auto* users = Unit<QTreeView>(settings, QStringLiteral("超级列表框2"));
                 users->setCurrentIndex(users->model()->index(1, 0));
                 inWindow([&] { click(settings, u"按钮_修改1"); },
                          [&](QWidget* edit) { visit(QStringLiteral("EditUserWindow"), edit, {}); });
             });
    inWindow([&] { click(main, u"按钮_付款方式"); },
             [&](QWidget* methods) { visit(QStringLiteral("PaymentMethodWindow"), methods, {}); });
    inWindow([&] { click(main, u"按钮_设置客户"); },
             [&](QWidget* customers) { visit(QStringLiteral("CustomerWindow"), customers, {}); });
    inWindow([&] { click(main, u"按钮_打印预览"); },
             [&](QWidget* preview) { visit(QStringLiteral("PreviewWindow"), preview, {}); });
}

} // namespace quorrel::test
