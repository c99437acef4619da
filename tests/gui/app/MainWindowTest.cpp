// The main window shell through the real program: opening, roles, settings, clock, hot keys, menu.

#include "support/AppDriver.h"
#include "support/Eventually.h"

#include "gui/app/MainWindow.h"
#include "mock/MockClock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

namespace quorrel::test {
namespace {

class MainWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
    }

    // Starts the program and logs admin in; the main window is then active.
    template <typename T> T* mainUnit(const char16_t* name)
    {
        return Unit<T>(mainWindowWidget(), QString::fromUtf16(name));
    }
};

TEST_F(MainWindowTest, AdministratorGetsTheFullWindowFilledFromTheSettings)
{
    shop.exec(QStringLiteral("update 配置文件 set 店名='好邻居便利店', 备注='多谢光临' where ID=1"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：admin(管理员)"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_店名")->text(), QStringLiteral("好邻居便利店"));
    EXPECT_EQ(mainUnit<QPlainTextEdit>(u"编辑框_备注")->toPlainText(), QStringLiteral("多谢光临"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_收银员")->text(), QStringLiteral("admin"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_付款方式")->text(), QStringLiteral("现金"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_数量")->text(), QStringLiteral("1"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_单价")->text(), QStringLiteral("0.00"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_找零")->text(), QStringLiteral("0.00"));
    for (const char16_t* unit : {u"编辑框_收银员", u"组合框_收银员", u"按钮_仅保存小票"})
        EXPECT_TRUE(mainUnit<QWidget>(unit)->isEnabled()) << QString::fromUtf16(unit).toStdString();
    EXPECT_FALSE(mainUnit<QPushButton>(u"按钮_修改")->isEnabled());
    EXPECT_FALSE(mainUnit<QPushButton>(u"按钮_删除")->isEnabled());

    auto* methods = mainUnit<QComboBox>(u"组合框_付款方式");
    ASSERT_GE(methods->count(), 1);
    EXPECT_EQ(methods->itemText(0), QStringLiteral("现金"));
    auto* cashiers = mainUnit<QComboBox>(u"组合框_收银员");
    ASSERT_EQ(cashiers->count(), 1);
    EXPECT_EQ(cashiers->itemText(0), QStringLiteral("admin"));
    EXPECT_EQ(cashiers->itemData(0).toLongLong(), 1);

    auto* list = mainUnit<QTreeView>(u"超级列表框1");
    ASSERT_EQ(list->model()->columnCount(), 6);
    const QStringList titles{QStringLiteral("ID"),   QStringLiteral("        商品名称"),
                             QStringLiteral("数量"), QStringLiteral("单价"),
                             QStringLiteral("总价"), QStringLiteral("折后")};
    const int widths[] = {50, 210, 80, 80, 100, 95};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        EXPECT_EQ(list->columnWidth(c), widths[c]);
    }
    auto* discounts = mainUnit<QComboBox>(u"组合框_折扣");
    ASSERT_EQ(discounts->count(), 89);
    EXPECT_EQ(discounts->itemText(0), QStringLiteral("10"));
    EXPECT_EQ(discounts->itemText(88), QStringLiteral("1.0"));
    EXPECT_EQ(discounts->findText(QStringLiteral("8.8")), -1);
    EXPECT_EQ(discounts->findText(QStringLiteral("7.0")), -1);
    EXPECT_TRUE(mainUnit<QLineEdit>(u"编辑框_名称")->hasFocus());
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(MainWindowTest, UnitsStandWhereTheLayoutPutsThem)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    struct Place
    {
        const char16_t* name;
        QRect rect;
        const char16_t* parent;
    };
    const Place places[] = {
        {u"超级列表框1", {13, 200, 636, 272}, u"centralwidget"},
        {u"编辑框_名称", {64, 122, 159, 24}, u"centralwidget"},
        {u"组合框_名称", {64, 122, 176, 20}, u"centralwidget"},
        {u"按钮_添加商品", {482, 96, 136, 24}, u"外形框2"},
        {u"编辑框_单号", {48, 16, 144, 23}, u"外形框2"},
        {u"标签_打折后", {288, 8, 80, 24}, u"外形框1"},
        {u"外形框2", {13, 64, 637, 128}, u"centralwidget"},
        {u"外形框1", {11, 472, 376, 40}, u"centralwidget"},
        {u"编辑框_实收", {371, 535, 86, 20}, u"centralwidget"},
        {u"按钮_打印小票", {522, 576, 128, 64}, u"centralwidget"},
        {u"编辑框_备注", {56, 568, 296, 72}, u"centralwidget"},
        {u"组合框_电话", {936, 32, 112, 20}, u"centralwidget"},
    };
    for (const Place& place : places) {
        auto* unit = mainUnit<QWidget>(place.name);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->geometry(), place.rect) << QString::fromUtf16(place.name).toStdString();
        EXPECT_EQ(unit->parentWidget()->objectName(), QString::fromUtf16(place.parent));
    }
    // The name box lies over its combo box, the amount box over its own.
    auto* nameBox = mainUnit<QWidget>(u"编辑框_名称");
    EXPECT_EQ(nameBox->parentWidget()->childAt(QPoint(70, 130)), nameBox);
    auto* receivedBox = mainUnit<QWidget>(u"编辑框_实收");
    EXPECT_EQ(receivedBox->parentWidget()->childAt(QPoint(380, 540)), receivedBox);
}

TEST_F(MainWindowTest, OrdinaryUserCannotChangeTheCashierOrSaveWithoutPrinting)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QStringLiteral("1"));
    MainWindow* main = openMainWindow(QStringLiteral("小王"), QStringLiteral("1"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：小王(普通用户)"));
    for (const char16_t* unit : {u"编辑框_收银员", u"组合框_收银员", u"按钮_仅保存小票"})
        EXPECT_FALSE(mainUnit<QWidget>(unit)->isEnabled()) << QString::fromUtf16(unit).toStdString();
    EXPECT_TRUE(mainUnit<QWidget>(u"按钮_打印小票")->isEnabled());
    EXPECT_TRUE(mainUnit<QWidget>(u"按钮_添加商品")->isEnabled());
    EXPECT_EQ(mainUnit<QComboBox>(u"组合框_收银员")->count(), 2);
}

TEST_F(MainWindowTest, CheckBoxStatesFollowTheSettingsRow)
{
    shop.exec(QStringLiteral("update 配置文件 set 折扣='真', 付款方式的选中='假', 电话='真', 客户='假' where ID=1"));
    shop.exec(QStringLiteral("insert into 客户资料 (姓名, 电话) values ('张三', '13800000001')"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(mainUnit<QCheckBox>(u"选择框_折扣")->isChecked());
    EXPECT_TRUE(mainUnit<QComboBox>(u"组合框_折扣")->isEnabled());
    EXPECT_FALSE(mainUnit<QCheckBox>(u"选择框_付款方式")->isChecked());
    EXPECT_FALSE(mainUnit<QLineEdit>(u"编辑框_付款方式")->isEnabled());
    EXPECT_FALSE(mainUnit<QComboBox>(u"组合框_付款方式")->isEnabled());
    EXPECT_TRUE(mainUnit<QCheckBox>(u"选择框_电话")->isChecked());
    EXPECT_TRUE(mainUnit<QComboBox>(u"组合框_电话")->isEnabled());
    EXPECT_EQ(mainUnit<QComboBox>(u"组合框_电话")->itemText(0), QStringLiteral("13800000001"));
    EXPECT_EQ(mainUnit<QComboBox>(u"组合框_客户")->count(), 0) << "the name list is filled when switched on";
    EXPECT_FALSE(mainUnit<QCheckBox>(u"选择框_客户")->isChecked());
    EXPECT_FALSE(mainUnit<QComboBox>(u"组合框_客户")->isEnabled());
    // A shop that uses the phone lookup sees the customer area at once.
    EXPECT_TRUE(mainUnit<QPushButton>(u"按钮_客户栏")->isChecked());
    EXPECT_GT(main->width(), 1136);

    const PrintSettings print = *app->currentSession().shop.settings().printSettings();
    EXPECT_TRUE(print.showPrintFinished);
    EXPECT_FALSE(print.askPrintAgain);
    EXPECT_TRUE(print.printUnitPrice);
    EXPECT_FALSE(print.printLogo);
    EXPECT_EQ(print.paperMargin, 0);
}

TEST_F(MainWindowTest, FlagsThatAreNeitherOnNorOffLeaveTheDefinedStateAndMarginsAreCut)
{
    shop.exec(QStringLiteral(
        "update 配置文件 set 折扣='yes', 付款方式的选中='', 纸张边距='12.9', 打印偏差='-3.7' where ID=1"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(mainUnit<QCheckBox>(u"选择框_折扣")->isChecked());
    EXPECT_TRUE(mainUnit<QComboBox>(u"组合框_折扣")->isEnabled());
    EXPECT_TRUE(mainUnit<QLineEdit>(u"编辑框_付款方式")->isEnabled());
    EXPECT_EQ(app->currentSession().shop.settings().paperMargin(), 12);
    EXPECT_EQ(app->currentSession().shop.settings().printOffset(), -3);
    // The customer area stays folded away when neither lookup is in use, and opens on demand.
    EXPECT_EQ(main->width(), 662);
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_客户栏"), Qt::LeftButton);
    EXPECT_GT(main->width(), 1136);
    EXPECT_TRUE(mainUnit<QWidget>(u"按钮_设置客户")->isVisibleTo(main));
}

TEST_F(MainWindowTest, HugeStoredMarginsAndOffsetsAreReadWithinBounds)
{
    const struct
    {
        const char* margin;
        const char* offset;
        int expectedMargin;
        int expectedOffset;
    } cases[] = {{"99999999999", "1e308", 1000, 1000},
                 {"-99999999999", "-1e308", -1000, -1000},
                 {"1000.9", "-999.9", 1000, -999},
                 {"abc", "", 0, 0}};
    for (const auto& c : cases) {
        endProgram();
        shop.exec(QStringLiteral("update 配置文件 set 纸张边距=?, 打印偏差=? where ID=1"),
                  {QString::fromLatin1(c.margin), QString::fromLatin1(c.offset)});
        ASSERT_NE(openMainWindow(), nullptr);
        EXPECT_EQ(app->currentSession().shop.settings().paperMargin(), c.expectedMargin) << c.margin;
        EXPECT_EQ(app->currentSession().shop.settings().printOffset(), c.expectedOffset) << c.offset;
        EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
    }
}

TEST_F(MainWindowTest, ClockAndTicketNumberComeFromTheProgramClock)
{
    MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* time = mainUnit<QLineEdit>(u"编辑框_时间");
    EXPECT_EQ(time->text(), QStringLiteral("2016-08-24  09:05:07"));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_单号")->text(), QStringLiteral("1608240000000"));
    MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 8)));
    EXPECT_TRUE(eventuallyEqual([&] { return time->text(); }, QStringLiteral("2016-08-24  09:05:08"), 3000));
}

TEST_F(MainWindowTest, EnterAndF5RunTheirCommandsOnlyWhileTheWindowIsActive)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    QSignalSpy add(main, &MainWindow::addLineRequested);
    QSignalSpy print(main, &MainWindow::printRequested);
    auto* quantity = mainUnit<QLineEdit>(u"编辑框_数量");
    QSignalSpy confirmed(quantity, &QLineEdit::returnPressed);
    quantity->setFocus();

    QTest::keyClick(quantity, Qt::Key_Return);
    QTest::keyClick(quantity, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(add.count(), 2);
    EXPECT_EQ(confirmed.count(), 0) << "Enter never reaches the focused box";
    QTest::keyClick(mainUnit<QPlainTextEdit>(u"编辑框_备注"), Qt::Key_Return);
    EXPECT_EQ(add.count(), 3);
    EXPECT_EQ(mainUnit<QPlainTextEdit>(u"编辑框_备注")->toPlainText().count(u'\n'), 0);
    QTest::keyClick(quantity, Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(print.count(), 1);

    // Another window active: the keys are its own.
    QDialog other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(&other, Qt::Key_F5);
    waitForReceipts();
    QTest::keyClick(&other, Qt::Key_Return);
    EXPECT_EQ(add.count(), 3);
    EXPECT_EQ(print.count(), 1);
    other.close();

    // Back in the main window they work again.
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(quantity, Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(print.count(), 2);
}

TEST_F(MainWindowTest, TabWalksTheEntryBoxesInTheOrderACashierFillsThem)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* name = mainUnit<QLineEdit>(u"编辑框_名称");
    name->setFocus();
    const char16_t* order[] = {u"编辑框_数量", u"编辑框_单价", u"选择框_折扣"};
    for (const char16_t* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromUtf16(next));
    }
    // The combo boxes under the name, cashier and payment boxes take no focus of their own.
    EXPECT_EQ(mainUnit<QWidget>(u"组合框_名称")->focusPolicy(), Qt::NoFocus);
    auto* received = mainUnit<QLineEdit>(u"编辑框_实收");
    received->setFocus();
    QTest::keyClick(received, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), mainUnit<QComboBox>(u"组合框_实收"))
        << "the amount combo's own field is reached with the keyboard";
}

TEST_F(MainWindowTest, ButtonsRunTheSameCommandsAsTheKeys)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    QSignalSpy add(main, &MainWindow::addLineRequested);
    QSignalSpy print(main, &MainWindow::printRequested);
    QSignalSpy saveOnly(main, &MainWindow::saveOnlyRequested);
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_添加商品"), Qt::LeftButton);
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_打印小票"), Qt::LeftButton);
    waitForReceipts();
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_仅保存小票"), Qt::LeftButton);
    EXPECT_EQ(add.count(), 1);
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(saveOnly.count(), 1);
}

TEST_F(MainWindowTest, CalculatorAndNotepadStartTheDesktopProgramsOrSaySoWhenMissing)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    QTemporaryDir bin;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8());
    mainUnit<QAction>(u"菜单_计算器")->trigger();
    mainUnit<QAction>(u"菜单_记事本")->trigger();
    EXPECT_TRUE(hooks().started().isEmpty());
    ASSERT_EQ(hooks().messages().size(), 2);
    EXPECT_TRUE(hooks().messages()[0].text.contains(QStringLiteral("计算器")));
    EXPECT_TRUE(hooks().messages()[1].text.contains(QStringLiteral("记事本")));

    for (const char* name : {"xcalc", "gedit"}) {
        QFile program(bin.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\n");
        program.close();
        program.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    mainUnit<QAction>(u"菜单_计算器")->trigger();
    mainUnit<QAction>(u"菜单_记事本")->trigger();
    qputenv("PATH", oldPath);
    ASSERT_EQ(hooks().started().size(), 2);
    EXPECT_EQ(hooks().started()[0].first(), bin.filePath(QStringLiteral("xcalc")));
    EXPECT_EQ(hooks().started()[1].first(), bin.filePath(QStringLiteral("gedit")));
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheProgramAndClosesTheDatabase)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(mainWindowWidget(), nullptr);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(app->currentSession().db.isOpen());
}

} // namespace
} // namespace quorrel::test
