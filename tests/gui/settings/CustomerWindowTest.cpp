// The customer window through the real main window: keeping customers and the whole or partial
// search by name or telephone number.

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

class CustomerWindowTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }
    void inCustomerWindow(const std::function<void(QWidget*)>& body)
    {
        auto* button = Unit<QPushButton>(mainWindowWidget(), QStringLiteral("按钮_设置客户"));
        ASSERT_TRUE(button->isEnabled());
        inModal([button] { button->click(); }, body);
    }
    void set(QWidget* window, const char16_t* box, const QString& text)
    {
        Unit<QLineEdit>(window, QString::fromUtf16(box))->setText(text);
    }
    QStringList search(QWidget* window, const QString& name, const QString& phone, bool partial)
    {
        set(window, u"编辑框3", name);
        set(window, u"编辑框4", phone);
        Unit<QCheckBox>(window, QStringLiteral("选择框1"))->setChecked(partial);
        click(window, u"按钮__查询");
        return listedRows(window);
    }
};

TEST_F(CustomerWindowTest, CustomersAreKeptOnTheSelectedRowAndFoundWholeOrByPart)
{
    ASSERT_NE(openMainWindow(), nullptr);
    inCustomerWindow([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorrel"));
        click(window, u"按钮_添加");
        click(window, u"按钮_修改");
        click(window, u"按钮_删除");
        EXPECT_EQ(hooks().messageTexts(),
                  (QStringList{QStringLiteral("客户和电话不能都为空！"), QStringLiteral("请选择要修改的行！"),
                               QStringLiteral("请选择要删除的行！")}));
        hooks().clearMessages();
        for (const auto& [name, phone] : {std::pair{u"张三", u"13800000001"}, std::pair{u"李四", u"13912345678"},
                                          std::pair{u"老王's", u"021-1380"}, std::pair{u"百分", u"50%折"}}) {
            set(window, u"编辑框_客户", QString::fromUtf16(name));
            set(window, u"编辑框_电话", QString::fromUtf16(phone));
            click(window, u"按钮_添加");
        }
        EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
        EXPECT_EQ(listedRows(window).size(), 4);

        EXPECT_TRUE(search(window, QString(), QStringLiteral("138"), false).isEmpty()) << "a whole number only";
        EXPECT_EQ(search(window, QString(), QStringLiteral("138"), true),
                  (QStringList{QStringLiteral("1 张三 13800000001"), QStringLiteral("2 老王's 021-1380")}));
        EXPECT_EQ(search(window, QString(), QStringLiteral("13912345678"), false),
                  QStringList{QStringLiteral("1 李四 13912345678")});
        EXPECT_EQ(search(window, QStringLiteral("老王's"), QStringLiteral("138"), false),
                  QStringList{QStringLiteral("1 老王's 021-1380")})
            << "the name box takes precedence";
        EXPECT_EQ(search(window, QString(), QStringLiteral("%"), true), QStringList{QStringLiteral("1 百分 50%折")})
            << "a typed % is no wildcard";
        EXPECT_EQ(search(window, QString(), QString(), false).size(), 4);

        auto* list = Unit<QTreeView>(window, QStringLiteral("超级列表框1"));
        list->setCurrentIndex(list->model()->index(1, 1));
        EXPECT_EQ(Unit<QLineEdit>(window, QStringLiteral("编辑框_电话"))->text(), QStringLiteral("13912345678"));
        set(window, u"编辑框_客户", QString());
        click(window, u"按钮_修改");
        list->setCurrentIndex(list->model()->index(0, 1));
        // Deleting asks first; No keeps the customer.
        hooks().clearMessages();
        hooks().answerNext(MessageAnswer::No);
        click(window, u"按钮_删除");
        EXPECT_EQ(listedRows(window).size(), 4);
        hooks().answerNext(MessageAnswer::Yes);
        click(window, u"按钮_删除");
        ASSERT_EQ(hooks().messages().size(), 2);
        for (const ShownMessage& shown : hooks().messages()) {
            EXPECT_EQ(shown.text, QStringLiteral("确定要删除吗？"));
            EXPECT_EQ(shown.caption, QStringLiteral("注意"));
        }
        EXPECT_EQ(listedRows(window),
                  (QStringList{QStringLiteral("1  13912345678"), QStringLiteral("2 老王's 021-1380"),
                               QStringLiteral("3 百分 50%折")}));
    });
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 客户资料 where 姓名='张三'")), QStringLiteral("0"));
}

TEST_F(CustomerWindowTest, MainWindowLookupsAreSwitchedOnByTheirBoxesAndStayPaired)
{
    shop.exec(
        QStringLiteral("insert into 客户资料 (姓名, 电话) values ('张三', '13800000001'), ('李四', '13912345678')"));
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* phoneBox = Unit<QCheckBox>(main, QStringLiteral("选择框_电话"));
    auto* nameBox = Unit<QCheckBox>(main, QStringLiteral("选择框_客户"));
    auto* phones = Unit<QComboBox>(main, QStringLiteral("组合框_电话"));
    auto* names = Unit<QComboBox>(main, QStringLiteral("组合框_客户"));
    auto* phone = Unit<QLineEdit>(main, QStringLiteral("编辑框_电话"));
    auto* name = Unit<QLineEdit>(main, QStringLiteral("编辑框_客户"));
    ASSERT_FALSE(phoneBox->isChecked());
    QTest::mouseClick(Unit<QPushButton>(main, QStringLiteral("按钮_客户栏")), Qt::LeftButton);

    // With only the telephone lookup on, a number picked shows no name.
    QTest::mouseClick(phoneBox, Qt::LeftButton);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 电话 from 配置文件 where ID=1")), QStringLiteral("真"));
    ASSERT_TRUE(phones->isEnabled());
    EXPECT_TRUE(phone->isEnabled());
    EXPECT_EQ(phones->currentIndex(), -1) << "filling the list picks nobody";
    phones->setCurrentIndex(1);
    EXPECT_EQ(phone->text(), QStringLiteral("13912345678"));
    EXPECT_EQ(name->text(), QString());

    // Both on: either list shows the picked customer's own number and name, even when the lists
    // were filled at different times and no longer hold the same customers in the same places.
    shop.exec(QStringLiteral("delete from 客户资料 where 姓名='张三'"));
    QTest::mouseClick(nameBox, Qt::LeftButton);
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(names->count(), 1);
    phones->setCurrentIndex(1);
    phones->setCurrentIndex(0);
    EXPECT_EQ(name->text(), QStringLiteral("张三"));
    names->setCurrentIndex(0);
    EXPECT_EQ(phone->text(), QStringLiteral("13912345678"));
    EXPECT_EQ(name->text(), QStringLiteral("李四"));

    QTest::mouseClick(phoneBox, Qt::LeftButton);
    EXPECT_FALSE(phones->isEnabled());
    EXPECT_EQ(phone->text(), QStringLiteral("13912345678")) << "switching off keeps the texts";
    // Ticked again, the boxes still show one customer: not the old list's first number beside
    // another customer's name.
    QTest::mouseClick(phoneBox, Qt::LeftButton);
    EXPECT_EQ(phone->text(), QStringLiteral("13912345678"));
    EXPECT_EQ(name->text(), QStringLiteral("李四"));
    QTest::mouseClick(phoneBox, Qt::LeftButton);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 电话 from 配置文件 where ID=1")), QStringLiteral("假"));
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    // The next start finds the name lookup on and switches it on as a click does: both units
    // enabled and the list filled; the telephone lookup stays off.
    endProgram();
    main = openMainWindow();
    ASSERT_NE(main, nullptr);
    nameBox = Unit<QCheckBox>(main, QStringLiteral("选择框_客户"));
    EXPECT_TRUE(nameBox->isChecked());
    EXPECT_TRUE(Unit<QLineEdit>(main, QStringLiteral("编辑框_客户"))->isEnabled());
    EXPECT_EQ(Unit<QComboBox>(main, QStringLiteral("组合框_客户"))->count(), 1);
    EXPECT_FALSE(Unit<QComboBox>(main, QStringLiteral("组合框_电话"))->isEnabled());
    EXPECT_EQ(shop.scalar(QStringLiteral("select 客户 from 配置文件 where ID=1")), QStringLiteral("真"));
}

} // namespace
} // namespace quorrel::test
