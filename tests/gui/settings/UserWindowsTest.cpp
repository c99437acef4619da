// Users and permissions through the real windows: the settings window's user page, the add and edit
// windows, and logging in afterwards.

#include "support/AppDriver.h"

#include "core/shop/Session.h"
#include "core/store/Gbk.h"
#include "gui/app/MainWindow.h"
#include "gui/settings/SettingsWindow.h"

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

class UserWindowsTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        shop.writeFactory();
    }

    // The settings window on its user page.
    void inUserPage(const std::function<void(QWidget*)>& body)
    {
        inModal([this] { mainWindowWidget()->findChild<QAction*>(QStringLiteral("菜单_软件设置"))->trigger(); },
                [&](QWidget* settings) {
                    Unit<QTabWidget>(settings, QStringLiteral("高级选择夹1"))->setCurrentIndex(2);
                    body(settings);
                });
    }
    void selectUser(QWidget* settings, const QString& name)
    {
        auto* list = Unit<QTreeView>(settings, QStringLiteral("超级列表框2"));
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 1), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->setCurrentIndex(found.first());
    }
    void fill(QWidget* window, const QString& name, const QString& password, const QString& confirmation,
              const QString& role)
    {
        Unit<QLineEdit>(window, QStringLiteral("编辑框_yhm"))->setText(name);
        Unit<QLineEdit>(window, QStringLiteral("编辑框_mm"))->setText(password);
        Unit<QLineEdit>(window, QStringLiteral("编辑框8"))->setText(confirmation);
        auto* role_ = Unit<QComboBox>(window, QStringLiteral("组合框_qx"));
        role_->setCurrentIndex(role_->findText(role));
    }
    QString userColumn(const QString& name, const QString& column)
    {
        return shop.scalar(QStringLiteral("select ") + column + QStringLiteral(" from 用户登录 where 用户名=?"),
                           {name});
    }
};

TEST_F(UserWindowsTest, AddingChecksTheBoxesInOrderAndRefusesWhatCouldNeverLogIn)
{
    ASSERT_NE(openMainWindow(), nullptr);
    inUserPage([&](QWidget* settings) {
        EXPECT_EQ(listedRows(settings, QStringLiteral("超级列表框2")), QStringList{QStringLiteral("1 admin 管理员")});
        inModal([&] { click(settings, u"按钮_添加1"); },
                [&](QWidget* add) {
                    EXPECT_EQ(add->windowTitle(), QStringLiteral("Quorrel"));
                    EXPECT_EQ(Unit<QComboBox>(add, QStringLiteral("组合框_qx"))->currentText(),
                              QStringLiteral("管理员"));
                    EXPECT_EQ(Unit<QLineEdit>(add, QStringLiteral("编辑框_mm"))->echoMode(), QLineEdit::Password);
                    const struct
                    {
                        const char16_t *name, *password, *confirmation, *message;
                    } refused[] = {
                        {u"", u"1", u"1", u"用户不能为空！"},
                        {u"小王", u"", u"1", u"密码不能为空！"},
                        {u"小王", u"1", u"", u"请输入确认密码！"},
                        {u"小王", u"1", u"2", u"密码输入不一致，请重新输入！！"},
                        {u"小王", u"a'b", u"a'b", u"密码里存在注入语句!"},
                        {u"小王", u"😀", u"😀", u"密码含有无法使用的字符！"},
                        {u"ADMIN", u"1", u"1", u"用户名已存在！"},
                        // Blanks only look empty, and "admin " looks like admin.
                        {u"  \u3000", u"1", u"1", u"用户名不能为空！"},
                        {u"admin ", u"1", u"1", u"用户名已存在！"},
                        {u" Admin", u"1", u"1", u"用户名已存在！"},
                    };
                    for (const auto& c : refused) {
                        hooks().clearMessages();
                        fill(add, QString::fromUtf16(c.name), QString::fromUtf16(c.password),
                             QString::fromUtf16(c.confirmation), QStringLiteral("普通用户"));
                        click(add, u"按钮1");
                        EXPECT_EQ(hooks().messageTexts(), QStringList{QString::fromUtf16(c.message)});
                    }
                    hooks().clearMessages();
                    fill(add, QStringLiteral(" 老王's "), QStringLiteral("8888"), QStringLiteral("8888"),
                         QStringLiteral("普通用户"));
                    click(add, u"按钮1");
                    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
                });
        EXPECT_EQ(listedRows(settings, QStringLiteral("超级列表框2")),
                  (QStringList{QStringLiteral("1 admin 管理员"), QStringLiteral("2 老王's 普通用户")}))
            << "stored without the blanks around it";
    });
    EXPECT_EQ(userColumn(QStringLiteral("老王's"), QStringLiteral("密码")), passwordDigest(QStringLiteral("8888")));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 用户登录")), QStringLiteral("2"));
}

TEST_F(UserWindowsTest, EditingKeepsAnUntouchedPasswordAndTheNewPasswordAloneLogsIn)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QStringLiteral("old"));
    ASSERT_NE(openMainWindow(), nullptr);
    inUserPage([&](QWidget* settings) {
        hooks().clearMessages();
        click(settings, u"按钮_修改1");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("请选择要修改的行！")});
        EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示："));

        selectUser(settings, QStringLiteral("小王"));
        inModal([&] { click(settings, u"按钮_修改1"); },
                [&](QWidget* edit) {
                    EXPECT_EQ(Unit<QLineEdit>(edit, QStringLiteral("编辑框_yhm"))->text(), QStringLiteral("小王"));
                    EXPECT_EQ(Unit<QComboBox>(edit, QStringLiteral("组合框_qx"))->currentText(),
                              QStringLiteral("普通用户"));
                    // Only the role changes: the password stays.
                    hooks().clearMessages();
                    fill(edit, QStringLiteral("小王"), QString(), QString(), QStringLiteral("管理员"));
                    click(edit, u"按钮1");
                    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});
                    EXPECT_EQ(userColumn(QStringLiteral("小王"), QStringLiteral("密码")),
                              passwordDigest(QStringLiteral("old")));
                    // A mistyped confirmation changes nothing; an empty name is refused.
                    hooks().clearMessages();
                    fill(edit, QStringLiteral("小王"), QStringLiteral("new"), QStringLiteral("nwe"),
                         QStringLiteral("管理员"));
                    click(edit, u"按钮1");
                    fill(edit, QString(), QStringLiteral("new"), QStringLiteral("new"), QStringLiteral("管理员"));
                    click(edit, u"按钮1");
                    EXPECT_EQ(hooks().messageTexts(), (QStringList{QStringLiteral("密码输入不一致，请重新输入！！"),
                                                                   QStringLiteral("用户不能为空！")}));
                    fill(edit, QStringLiteral("小王"), QStringLiteral("new"), QStringLiteral("new"),
                         QStringLiteral("管理员"));
                    click(edit, u"按钮1");
                });
        EXPECT_TRUE(listedRows(settings, QStringLiteral("超级列表框2")).contains(QStringLiteral("2 小王 管理员")));
    });
    ASSERT_TRUE(startProgram());
    hooks().clearMessages();
    EXPECT_FALSE(logIn(QStringLiteral("小王"), QStringLiteral("old")));
    EXPECT_TRUE(logIn(QStringLiteral("小王"), QStringLiteral("new")));
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("管理员"));
}

// With the keyboard alone: type in the name, Tab, the password, Tab, its confirmation, Tab over the
// role, Tab to the window's first button and press it.
TEST_F(UserWindowsTest, TabLeadsFromTheNameThroughBothPasswordsToTheButtons)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QStringLiteral("old"));
    ASSERT_NE(openMainWindow(), nullptr);
    const auto typeInByKeyboard = [](QWidget* window, const QString& name, const QString& password) {
        auto* nameBox = Unit<QLineEdit>(window, QStringLiteral("编辑框_yhm"));
        nameBox->setFocus(Qt::TabFocusReason);
        nameBox->clear();
        typeText(nameBox, name);
        for (const QString& text : {password, password, QString(), QString()}) {
            QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
            typeText(window->focusWidget(), text);
        }
        EXPECT_EQ(window->focusWidget()->objectName(), QStringLiteral("按钮1"));
        QTest::keyClick(window->focusWidget(), Qt::Key_Space);
    };
    inUserPage([&](QWidget* settings) {
        inModal([&] { click(settings, u"按钮_添加1"); },
                [&](QWidget* add) { typeInByKeyboard(add, QStringLiteral("老王"), QStringLiteral("8888")); });
        selectUser(settings, QStringLiteral("小王"));
        hooks().clearMessages();
        inModal([&] { click(settings, u"按钮_修改1"); },
                [&](QWidget* edit) { typeInByKeyboard(edit, QStringLiteral("小王"), QStringLiteral("new")); });
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("修改成功！下次登录生效！")});
    });
    EXPECT_EQ(userColumn(QStringLiteral("老王"), QStringLiteral("密码")), passwordDigest(QStringLiteral("8888")));
    EXPECT_EQ(userColumn(QStringLiteral("小王"), QStringLiteral("密码")), passwordDigest(QStringLiteral("new")));
}

TEST_F(UserWindowsTest, TheLoggedInUserAndTheLastAdministratorAreKeptOthersGoOnlyOnYes)
{
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QString());
    addUser(QStringLiteral("老板"), QStringLiteral("管理员"), QString());
    shop.exec(QStringLiteral("update 配置文件 set 用户登录='小王' where ID=1"));
    ASSERT_NE(openMainWindow(QStringLiteral("老板")), nullptr);
    inUserPage([&](QWidget* settings) {
        hooks().clearMessages();
        selectUser(settings, QStringLiteral("老板"));
        click(settings, u"按钮_删除1");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("当前用户(老板)正在使用，无法删除！")});
        EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示"));

        hooks().clearMessages();
        selectUser(settings, QStringLiteral("小王"));
        hooks().answerNext(MessageAnswer::No);
        click(settings, u"按钮_删除1");
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("真的要删除用户 小王 吗？")});
        EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("注意"));
        EXPECT_EQ(listedRows(settings, QStringLiteral("超级列表框2")).size(), 3);
        hooks().answerNext(MessageAnswer::Yes);
        click(settings, u"按钮_删除1");
        EXPECT_EQ(listedRows(settings, QStringLiteral("超级列表框2")),
                  (QStringList{QStringLiteral("1 admin 管理员"), QStringLiteral("2 老板 管理员")}));

        // admin may go while 老板 remains; then 老板 is the last administrator and cannot be made ordinary.
        selectUser(settings, QStringLiteral("admin"));
        hooks().answerNext(MessageAnswer::Yes);
        click(settings, u"按钮_删除1");
        EXPECT_EQ(listedRows(settings, QStringLiteral("超级列表框2")), QStringList{QStringLiteral("1 老板 管理员")});
        selectUser(settings, QStringLiteral("老板"));
        hooks().clearMessages();
        inModal([&] { click(settings, u"按钮_修改1"); },
                [&](QWidget* edit) {
                    fill(edit, QStringLiteral("老板"), QString(), QString(), QStringLiteral("普通用户"));
                    click(edit, u"按钮1");
                });
        EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("至少保留一个管理员！")});
    });
    EXPECT_EQ(userColumn(QStringLiteral("老板"), QStringLiteral("权限")), QStringLiteral("管理员"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select 用户登录 from 配置文件 where ID=1")), QString())
        << "the deleted user is no longer remembered for direct login";
}

} // namespace
} // namespace quorrel::test
