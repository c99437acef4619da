// The settings window through the real program: opened from the main window's menu, its print page,
// the role rules and the windows it opens.

#include "mock/MockClock.h"
#include "support/AppDriver.h"

#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "gui/app/MainWindow.h"
#include "gui/settings/SettingsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace quorrel::test {
namespace {

class SettingsWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
        MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 30)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }

    // Opens "软件设置" from the main window's menu and runs `body` on the modal window, then closes it.
    void inSettings(const std::function<void(QWidget*)>& body)
    {
        QAction* item = mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_软件设置"));
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        inModal([item] { item->trigger(); },
                [&](QWidget* window) {
                    ASSERT_NE(qobject_cast<SettingsWindow*>(window), nullptr);
                    body(window);
                });
    }

    // The class of the modal window `click` opens from inside the settings window.
    QString windowOpenedBy(QWidget* settings, const char16_t* button)
    {
        QString opened;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != settings) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        QTest::mouseClick(Unit<QPushButton>(settings, QString::fromUtf16(button)), Qt::LeftButton);
        return opened;
    }

    QString stored(const QString& column)
    {
        return shop.scalar(QStringLiteral("select ") + column + QStringLiteral(" from 配置文件 where ID=1"));
    }
    PrintSettings print() { return app->currentSession().shop.settings().printSettings().value_or({}); }
};

template <typename T = QLineEdit> T* U(QWidget* window, const char16_t* name)
{
    return Unit<T>(window, QString::fromUtf16(name));
}

TEST_F(SettingsWindowTest, AdministratorSeesThePrintPageAsStored)
{
    shop.exec(QStringLiteral("update 配置文件 set 店名='好邻居', 备注='再见', 纸张边距='2.9', 打印偏差='-1.5', "
                             "提示再次打印='真', 打印单价='假' where ID=1"));
    ASSERT_NE(openMainWindow(), nullptr);
    inSettings([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorrel"));
        auto* tabs = U<QTabWidget>(window, u"高级选择夹1");
        ASSERT_EQ(tabs->count(), 3);
        EXPECT_EQ(tabs->tabText(0), QStringLiteral("打印设置"));
        EXPECT_EQ(tabs->tabText(1), QStringLiteral("设置常用商品名"));
        EXPECT_EQ(tabs->tabText(2), QStringLiteral("设置用户（收银员）"));
        EXPECT_TRUE(tabs->isTabVisible(0));
        EXPECT_EQ(tabs->currentIndex(), 0);
        EXPECT_EQ(U(window, u"编辑框_店名")->text(), QStringLiteral("好邻居"));
        EXPECT_EQ(U<QPlainTextEdit>(window, u"编辑框_备注")->toPlainText(), QStringLiteral("再见"));
        EXPECT_EQ(U(window, u"编辑框_边距")->text(), QStringLiteral("2.9")) << "shown as stored";
        EXPECT_EQ(U(window, u"编辑框_偏差")->text(), QStringLiteral("-1.5"));
        EXPECT_EQ(U(window, u"编辑框3")->text(), QStringLiteral("160824")) << "the date format's sample";
        EXPECT_TRUE(U<QCheckBox>(window, u"选择框_显示打印完毕")->isChecked());
        EXPECT_TRUE(U<QCheckBox>(window, u"选择框_提示再次打印")->isChecked());
        EXPECT_FALSE(U<QCheckBox>(window, u"选择框_打印单价")->isChecked());
        EXPECT_TRUE(U<QCheckBox>(window, u"选择框_保存销售记录")->isChecked());
        // Page units are placed from the tab control's corner, below its tab strip.
        for (const char16_t* unit : {u"编辑框_店名", u"按钮_保存"}) {
            const QRect place(U<QWidget>(window, unit)->mapTo(tabs, QPoint(0, 0)), U<QWidget>(window, unit)->size());
            EXPECT_TRUE(tabs->rect().contains(place)) << QString::fromUtf16(unit).toStdString();
            EXPECT_GT(place.top(), tabs->tabBar()->geometry().bottom()) << QString::fromUtf16(unit).toStdString();
        }
        // Two units lie beyond the window's right edge and are never seen.
        for (const char16_t* unit : {u"按钮2", u"选择框_保存销售记录"})
            EXPECT_GE(U<QWidget>(window, unit)->x(), window->width()) << QString::fromUtf16(unit).toStdString();
    });
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(SettingsWindowTest, SaveStoresTheTextsAsTypedAndHoldsTheMarginsCutToWholeNumbers)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    inSettings([&](QWidget* window) {
        U(window, u"编辑框_店名")->setText(QStringLiteral("老王's \"小店\""));
        U<QPlainTextEdit>(window, u"编辑框_备注")->setPlainText(QStringLiteral("谢谢\n再来"));
        U(window, u"编辑框_边距")->setText(QStringLiteral("2.9"));
        U(window, u"编辑框_偏差")->setText(QStringLiteral("-1.5"));
        QTest::mouseClick(U<QPushButton>(window, u"按钮_保存"), Qt::LeftButton);
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("基本信息已经保存！")});
        EXPECT_EQ(hooks().messages()[0].ownerClass, QStringLiteral("quorrel::SettingsWindow"));
    });
    EXPECT_EQ(stored(QStringLiteral("店名")), QStringLiteral("老王's \"小店\""));
    EXPECT_EQ(stored(QStringLiteral("备注")), QStringLiteral("谢谢\n再来"));
    EXPECT_EQ(stored(QStringLiteral("纸张边距")), QStringLiteral("2.9"));
    EXPECT_EQ(stored(QStringLiteral("打印偏差")), QStringLiteral("-1.5"));
    EXPECT_EQ(print().paperMargin, 2);
    EXPECT_EQ(print().printOffset, -1);
    EXPECT_EQ(U(main, u"编辑框_店名")->text(), QStringLiteral("老王's \"小店\""));
    EXPECT_EQ(U<QPlainTextEdit>(main, u"编辑框_备注")->toPlainText(), QStringLiteral("谢谢\n再来"));

    // A margin that is no number is stored as typed and held as the number its leading digits form;
    // a huge one is held within bounds.
    hooks().clearMessages();
    inSettings([&](QWidget* window) {
        U(window, u"编辑框_边距")->setText(QStringLiteral("12毫米"));
        U(window, u"编辑框_偏差")->setText(QStringLiteral("99999999999"));
        QTest::mouseClick(U<QPushButton>(window, u"按钮_保存"), Qt::LeftButton);
    });
    EXPECT_EQ(stored(QStringLiteral("纸张边距")), QStringLiteral("12毫米"));
    EXPECT_EQ(print().paperMargin, 12);
    EXPECT_EQ(print().printOffset, 1000);
}

TEST_F(SettingsWindowTest, FlagTogglesAreStoredAtTheClickAndTheNextReceiptFollowsThem)
{
    shop.exec(QStringLiteral("update 配置文件 set 显示打印完毕='假' where ID=1"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(print().printUnitPrice);
    inSettings([&](QWidget* window) {
        U(window, u"编辑框_店名")->setText(QStringLiteral("还没保存"));
        QTest::mouseClick(U<QCheckBox>(window, u"选择框_打印单价"), Qt::LeftButton);
        QTest::mouseClick(U<QCheckBox>(window, u"选择框_提示再次打印"), Qt::LeftButton);
        EXPECT_EQ(U(window, u"编辑框_店名")->text(), QStringLiteral("还没保存")) << "typed text is kept";
    });
    EXPECT_EQ(stored(QStringLiteral("打印单价")), QStringLiteral("假"));
    EXPECT_EQ(stored(QStringLiteral("提示再次打印")), QStringLiteral("真"));
    EXPECT_EQ(stored(QStringLiteral("店名")), QStringLiteral("我的小店")) << "only 保存设置 stores the name";
    EXPECT_FALSE(print().printUnitPrice);
    EXPECT_TRUE(print().askPrintAgain);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    // The next receipt has no unit price column.
    ASSERT_TRUE(app->currentSession().shop.settings().setFlag(setting::kAskPrintAgain, false));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    enterLine(QStringLiteral("糖"), QStringLiteral("2"), QStringLiteral("3"));
    QTest::mouseClick(U<QPushButton>(main, u"按钮_打印小票"), Qt::LeftButton);
    waitForReceipts();
    RecordingPrinter* printer = hooks().Printer();
    ASSERT_NE(printer, nullptr) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_NE(printer->written(QStringLiteral("糖")), nullptr);
    EXPECT_EQ(printer->written(QStringLiteral("单价")), nullptr);
}

TEST_F(SettingsWindowTest, AFailedToggleOrSaveIsReportedAndTheBoxShowsWhatIsStored)
{
    ASSERT_NE(openMainWindow(), nullptr);
    inSettings([&](QWidget* window) {
        shop.exec(QStringLiteral("alter table 配置文件 rename to 配置文件_改名"));
        auto* box = U<QCheckBox>(window, u"选择框_打印单价");
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(box->isChecked()) << "put back: the column still holds 真";
        EXPECT_TRUE(print().printUnitPrice);
        QTest::mouseClick(U<QPushButton>(window, u"按钮_保存"), Qt::LeftButton);
        QTest::mouseClick(U<QPushButton>(window, u"按钮_取消直接登录"), Qt::LeftButton);
        EXPECT_EQ(hooks().messageTexts(), (QStringList{QStringLiteral("数据添加失败"), QStringLiteral("数据添加失败!"),
                                                       QStringLiteral("数据执行失败！！")}));
        shop.exec(QStringLiteral("alter table 配置文件_改名 rename to 配置文件"));
    });
}

TEST_F(SettingsWindowTest, OrdinaryUserSeesNoPrintPageCannotEditTheListsButCanCancelDirectLogin)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QString());
    addUser(QStringLiteral("小李"), QStringLiteral("收银"), QString()); // neither role counts as ordinary
    shop.exec(QStringLiteral("update 配置文件 set 直接登录='1' where ID=1"));
    for (const QString& name : {QStringLiteral("小王"), QStringLiteral("小李")}) {
        shop.exec(QStringLiteral("update 配置文件 set 用户登录=? where ID=1"), {name});
        ASSERT_TRUE(startProgram());
        ASSERT_NE(mainWindowWidget(), nullptr);
        hooks().clearMessages();
        inSettings([&](QWidget* window) {
            auto* tabs = U<QTabWidget>(window, u"高级选择夹1");
            EXPECT_EQ(tabs->count(), 2) << name.toStdString();
            EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("页面_常用商品"));
            for (const char16_t* unit :
                 {u"按钮_添加", u"按钮_修改", u"按钮_删除", u"按钮_添加1", u"按钮_修改1", u"按钮_删除1"})
                EXPECT_FALSE(U<QWidget>(window, unit)->isEnabled()) << QString::fromUtf16(unit).toStdString();
            tabs->setCurrentIndex(1);
            QTest::mouseClick(U<QPushButton>(window, u"按钮_取消直接登录"), Qt::LeftButton);
            EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("设置成功！")});
            EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示"));
        });
        EXPECT_EQ(stored(QStringLiteral("直接登录")), QStringLiteral("0"));
        shop.exec(QStringLiteral("update 配置文件 set 直接登录='1' where ID=1"));
    }
}

TEST_F(SettingsWindowTest, OpensTheLogoTicketFormatAndPrinterWindows)
{
    ASSERT_NE(openMainWindow(), nullptr);
    inSettings([&](QWidget* window) {
        EXPECT_EQ(windowOpenedBy(window, u"按钮5"), QStringLiteral("quorrel::LogoWindow"));
        EXPECT_EQ(windowOpenedBy(window, u"按钮1"), QStringLiteral("quorrel::TicketFormatWindow"));
        EXPECT_EQ(windowOpenedBy(window, u"按钮_选择打印机"), QStringLiteral("quorrel::PrinterSelectWindow"));
    });
}

} // namespace
} // namespace quorrel::test
