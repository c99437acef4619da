// Payment methods through the real main window: the method window, the combo refilled when it
// closes, and the choice the receipt prints.

#include "support/AppDriver.h"

#include "gui/app/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace quorrel::test {
namespace {

class PaymentMethodWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    template <typename T = QWidget> T* mainUnit(const char16_t* name)
    {
        return Unit<T>(mainWindowWidget(), QString::fromUtf16(name));
    }
    // Opens the method window from the main window and runs `body` on it, then closes it.
    void inMethodWindow(const std::function<void(QWidget*)>& body)
    {
        inModal([this] { QTest::mouseClick(mainUnit<QPushButton>(u"按钮_付款方式"), Qt::LeftButton); }, body);
    }
    void select(QWidget* window, int row)
    {
        auto* list = Unit<QTreeView>(window, QStringLiteral("超级列表框1"));
        list->setCurrentIndex(list->model()->index(row, 1));
    }
    // The cashier picks the entry in the list, as a click in its popup does: the entry becomes
    // current, and the pick is announced even when it was current already.
    void pick(int index)
    {
        auto* combo = mainUnit<QComboBox>(u"组合框_付款方式");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    QStringList comboItems()
    {
        auto* combo = mainUnit<QComboBox>(u"组合框_付款方式");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
};

TEST_F(PaymentMethodWindowTest, MethodsAreAddedChangedAndDeletedOnTheSelectedRowAndOfferedAtOnce)
{
    ASSERT_NE(openMainWindow(), nullptr);
    ASSERT_TRUE(mainUnit(u"按钮_付款方式")->isEnabled());
    inMethodWindow([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorrel"));
        EXPECT_EQ(listedRows(window).size(), 4);
        auto* name = Unit<QLineEdit>(window, QStringLiteral("编辑框1"));
        click(window, u"按钮_添加");
        click(window, u"按钮_修改");
        click(window, u"按钮_删除");
        EXPECT_EQ(hooks().messageTexts(), (QStringList{QStringLiteral("不能为空"), QStringLiteral("请选择要修改的行！"),
                                                       QStringLiteral("请选择要删除的行！")}));
        hooks().clearMessages();
        name->setText(QStringLiteral("老王's 记账"));
        click(window, u"按钮_添加");
        EXPECT_EQ(listedRows(window).last(), QStringLiteral("5 老王's 记账"));

        select(window, 1);
        EXPECT_EQ(name->text(), QStringLiteral("微信支付"));
        name->clear();
        click(window, u"按钮_修改");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("不能为空")}) << "修改 may not blank a method";
        name->setText(QStringLiteral("微信"));
        click(window, u"按钮_修改");
        select(window, 0);
        click(window, u"按钮_删除");
        EXPECT_EQ(listedRows(window), (QStringList{QStringLiteral("1 微信"), QStringLiteral("2 支付宝"),
                                                   QStringLiteral("3 银行卡"), QStringLiteral("4 老王's 记账")}));
    });
    EXPECT_EQ(comboItems(), (QStringList{QStringLiteral("微信"), QStringLiteral("支付宝"), QStringLiteral("银行卡"),
                                         QStringLiteral("老王's 记账")}));
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_付款方式")->text(), QStringLiteral("现金")) << "the choice is kept";
}

TEST_F(PaymentMethodWindowTest, UncheckingTheChoicePrintsCashAgainAndIsRemembered)
{
    ASSERT_NE(openMainWindow(), nullptr);
    auto* choice = mainUnit<QCheckBox>(u"选择框_付款方式");
    ASSERT_TRUE(choice->isChecked());
    pick(2);
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_付款方式")->text(), QStringLiteral("支付宝"));

    QTest::mouseClick(choice, Qt::LeftButton);
    EXPECT_FALSE(mainUnit(u"组合框_付款方式")->isEnabled());
    EXPECT_FALSE(mainUnit(u"编辑框_付款方式")->isEnabled());
    EXPECT_EQ(mainUnit<QLineEdit>(u"编辑框_付款方式")->text(), QStringLiteral("现金"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 付款方式的选中 from 配置文件 where ID=1")), QStringLiteral("假"));

    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("2"));
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_打印小票"), Qt::LeftButton);
    waitForReceipts();
    ASSERT_NE(hooks().Printer(), nullptr);
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("付款方式:现金")), nullptr);

    ASSERT_NE(openMainWindow(), nullptr);
    EXPECT_FALSE(mainUnit<QCheckBox>(u"选择框_付款方式")->isChecked());
    EXPECT_FALSE(mainUnit(u"组合框_付款方式")->isEnabled());
}

TEST_F(PaymentMethodWindowTest, EveryPickIsTakenTheEntryAlreadyCurrentIncluded)
{
    ASSERT_NE(openMainWindow(), nullptr);
    auto* choice = mainUnit<QCheckBox>(u"选择框_付款方式");
    auto* shown = mainUnit<QLineEdit>(u"编辑框_付款方式");
    EXPECT_EQ(choice->text(), QStringLiteral("付款方式："));
    enterLine(QStringLiteral("糖"), QStringLiteral("1"), QStringLiteral("2"));
    pick(2);
    EXPECT_EQ(shown->text(), QStringLiteral("支付宝"));

    // Unticked the box says 现金 while the list still has 支付宝 current; ticked again, picking 支付宝
    // is taken.
    QTest::mouseClick(choice, Qt::LeftButton);
    QTest::mouseClick(choice, Qt::LeftButton);
    EXPECT_EQ(shown->text(), QStringLiteral("现金"));
    pick(2);
    EXPECT_EQ(shown->text(), QStringLiteral("支付宝"));

    // The method window refilled the list: its first entry is current, the box keeps 支付宝; picking
    // the first entry is taken too, and printed.
    inMethodWindow([&](QWidget* window) {
        Unit<QLineEdit>(window, QStringLiteral("编辑框1"))->setText(QStringLiteral("记账"));
        click(window, u"按钮_添加");
    });
    EXPECT_EQ(shown->text(), QStringLiteral("支付宝"));
    auto* combo = mainUnit<QComboBox>(u"组合框_付款方式");
    ASSERT_EQ(combo->currentIndex(), 0);
    const QString first = combo->itemText(0);
    ASSERT_NE(first, QStringLiteral("支付宝"));
    pick(0);
    EXPECT_EQ(shown->text(), first);
    QTest::mouseClick(mainUnit<QPushButton>(u"按钮_打印小票"), Qt::LeftButton);
    waitForReceipts();
    ASSERT_NE(hooks().Printer(), nullptr) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_NE(hooks().Printer()->written(QStringLiteral("付款方式:") + first), nullptr);
}

} // namespace
} // namespace quorrel::test
