// The common products page of the settings window through the real program: the list read as it is
// shown, price checks and normalisation, and the main window's product list following at once.

#include "support/AppDriver.h"

#include "gui/app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace quorrel::test {
namespace {

class ProductsPageTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    void inProductsPage(const std::function<void(QWidget*)>& body)
    {
        inModal([this] { mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_软件设置"))->trigger(); },
                [&](QWidget* settings) {
                    Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
                    body(settings);
                });
    }
    void type(QWidget* window, const QString& name, const QString& price)
    {
        Unit<QLineEdit>(window, QStringLiteral("编辑框_名称"))->setText(name);
        Unit<QLineEdit>(window, QStringLiteral("编辑框_单价"))->setText(price);
    }
};

TEST_F(ProductsPageTest, AddedProductsAreStoredAsMoneyAndOfferedInTheMainWindowAtOnce)
{
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    inProductsPage([&](QWidget* settings) {
        EXPECT_TRUE(listedRows(settings).isEmpty());
        const struct
        {
            const char16_t *name, *price, *message;
        } refused[] = {{u"", u"3", u"商品名称不能为空！"},
                       {u"糖", u"", u"商品价格不能为空！"},
                       {u"糖", u"3,50", u"商品价格必须是数字！"},
                       {u"糖", u"abc", u"商品价格必须是数字！"}};
        for (const auto& c : refused) {
            hooks().clearMessages();
            type(settings, QString::fromUtf16(c.name), QString::fromUtf16(c.price));
            click(settings, u"按钮_添加");
            EXPECT_EQ(hooks().messageTexts(), QStringList{QString::fromUtf16(c.message)});
        }
        hooks().clearMessages();
        type(settings, QStringLiteral("糖"), QStringLiteral("3"));
        click(settings, u"按钮_添加");
        type(settings, QStringLiteral("老王's 酱"), QStringLiteral("１２.345"));
        click(settings, u"按钮_添加");
        EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
        EXPECT_EQ(listedRows(settings),
                  (QStringList{QStringLiteral("1 糖 3.00"), QStringLiteral("2 老王's 酱 12.34")}));
        EXPECT_TRUE(Unit<QLineEdit>(settings, QStringLiteral("编辑框_名称"))->text().isEmpty());
    });
    EXPECT_EQ(shop.scalar(QStringLiteral("select 单价 from 商品名称 where 名称='糖'")), QStringLiteral("3.00"));
    auto* offered = Unit<QComboBox>(main, QStringLiteral("组合框_名称"));
    offered->showPopup();
    offered->hidePopup();
    EXPECT_GE(offered->findText(QStringLiteral("糖"), Qt::MatchContains), 0);
}

TEST_F(ProductsPageTest, ChangeAndDeleteActOnTheRowSelectedInThisList)
{
    shop.exec(QStringLiteral("insert into 商品名称 (名称, 单价) values ('糖', '3.00'), ('盐', '2.00')"));
    ASSERT_NE(openMainWindow(), nullptr);
    inProductsPage([&](QWidget* settings) {
        click(settings, u"按钮_修改");
        click(settings, u"按钮_删除");
        EXPECT_EQ(hooks().messageTexts(),
                  (QStringList{QStringLiteral("请选择要修改的行！"), QStringLiteral("请选择要删除的行！")}));
        EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示："));
        hooks().clearMessages();

        auto* list = Unit<QTreeView>(settings, QStringLiteral("超级列表框1"));
        list->setCurrentIndex(list->model()->index(1, 1));
        EXPECT_EQ(Unit<QLineEdit>(settings, QStringLiteral("编辑框_单价"))->text(), QStringLiteral("2.00"));
        type(settings, QStringLiteral("海盐"), QString());
        click(settings, u"按钮_修改");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("商品价格不能为空！")}) << "修改 may not blank it";
        type(settings, QStringLiteral("海盐"), QStringLiteral("2.5"));
        click(settings, u"按钮_修改");
        EXPECT_EQ(listedRows(settings), (QStringList{QStringLiteral("1 糖 3.00"), QStringLiteral("2 海盐 2.50")}));

        // After the refill nothing is selected: a second 删除 needs a new choice.
        hooks().clearMessages();
        click(settings, u"按钮_删除");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("请选择要删除的行！")});
        list->setCurrentIndex(list->model()->index(0, 1));
        click(settings, u"按钮_删除");
        EXPECT_EQ(listedRows(settings), QStringList{QStringLiteral("1 海盐 2.50")});
    });
}

TEST_F(ProductsPageTest, ALongListIsReadAsItIsShown)
{
    shop.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                             "insert into 商品名称 (名称, 单价) select '商品' || i, '1.00' from n"));
    ASSERT_NE(openMainWindow(), nullptr);
    inProductsPage([&](QWidget* settings) {
        QAbstractItemModel* model = Unit<QTreeView>(settings, QStringLiteral("超级列表框1"))->model();
        const int first = model->rowCount();
        EXPECT_GT(first, 0);
        EXPECT_LT(first, 3000) << "only what is shown is read";
        while (model->canFetchMore({}))
            model->fetchMore({});
        ASSERT_EQ(model->rowCount(), 3000);
        EXPECT_EQ(model->index(2999, 0).data().toString(), QStringLiteral("3000"));
        EXPECT_EQ(model->index(2999, 1).data().toString(), QStringLiteral("商品3000"));
    });
}

} // namespace
} // namespace quorrel::test
