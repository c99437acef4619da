// The login window through the real program: start-up, database creation, login and direct login.

#include "support/AppDriver.h"

#include "gui/app/SingleInstance.h"
#include "core/store/FactoryDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace quorrel::test {
namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LoginWindowTest : public AppTest
{
protected:
    QComboBox* NameBox() { return Unit<QComboBox>(LoginWindowWidget(), QStringLiteral("组合框_用户名")); }
    QLineEdit* PasswordBox() { return Unit<QLineEdit>(LoginWindowWidget(), QStringLiteral("编辑框_密码")); }
    QCheckBox* DirectBox() { return Unit<QCheckBox>(LoginWindowWidget(), QStringLiteral("选择框1")); }
    void ClickLogin()
    {
        QTest::mouseClick(Unit<QPushButton>(LoginWindowWidget(), QStringLiteral("按钮_登录")), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QString Setting(const QString& column)
    {
        return shop.Scalar(QStringLiteral("select ") + column + QStringLiteral(" from 配置文件 where ID=1"));
    }
};

TEST_F(LoginWindowTest, FreshStartWritesTheFactoryDatabaseAndAdminLogsInWithAnEmptyPassword)
{
    hooks().AnswerNext(MessageAnswer::Yes);
    ASSERT_TRUE(StartProgram());
    ASSERT_EQ(hooks().Messages().size(), 2);
    EXPECT_EQ(hooks().Messages()[0].text, QStringLiteral("连接数据库失败！是否置入新的数据库"));
    EXPECT_EQ(hooks().Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(hooks().Messages()[0].icon, MessageIcon::None);
    EXPECT_EQ(hooks().Messages()[1].text, QStringLiteral("初始化成功！"));
    EXPECT_EQ(ReadFile(shop.DatabasePath()), FactoryDatabaseImage()) << "the file must be the factory image unchanged";

    QWidget* login = LoginWindowWidget();
    ASSERT_TRUE(login->isVisible());
    EXPECT_EQ(login->windowTitle(), QStringLiteral("登录"));
    EXPECT_EQ(NameBox()->currentText(), QStringLiteral("admin"));
    EXPECT_FALSE(NameBox()->isEditable()) << "only listed names can be picked";

    ClickLogin();
    QWidget* main = MainWindowWidget();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：admin(管理员)"));
    EXPECT_EQ(app->CurrentSession().currentUser, QStringLiteral("admin"));
    EXPECT_EQ(app->CurrentSession().currentRole, QStringLiteral("管理员"));
    EXPECT_EQ(hooks().Messages().size(), 2) << hooks().MessageTexts().join(u'|').toStdString();
}

TEST_F(LoginWindowTest, AnsweringNoStartsANewCopyAndEndsThisOne)
{
    hooks().AnswerNext(MessageAnswer::No);
    EXPECT_FALSE(StartProgram());
    ASSERT_EQ(hooks().Started().size(), 1);
    EXPECT_EQ(hooks().Started()[0].first(), QCoreApplication::applicationFilePath());
    EXPECT_FALSE(QFile::exists(shop.DatabasePath())) << "nothing is written without a Yes";
    SingleInstance next(shop.LockPath());
    EXPECT_TRUE(next.Acquire()) << "the new copy is not refused as a second one";
}

TEST_F(LoginWindowTest, WrongPasswordIsRefusedAndTheWindowStaysWithTheName)
{
    shop.WriteFactory();
    ASSERT_TRUE(StartProgram());
    EXPECT_FALSE(LogIn(QStringLiteral("admin"), QStringLiteral("secret")));
    ASSERT_EQ(hooks().Messages().size(), 1);
    const ShownMessage& shown = hooks().Messages().first();
    EXPECT_EQ(shown.text, QStringLiteral("请输入正确的密码！"));
    EXPECT_EQ(shown.caption, QStringLiteral("提示："));
    EXPECT_EQ(shown.ownerClass, QStringLiteral("quorrel::LoginWindow"));
    EXPECT_TRUE(LoginWindowWidget()->isVisible());
    EXPECT_EQ(NameBox()->currentText(), QStringLiteral("admin"));

    // The next attempt with the right password goes through.
    PasswordBox()->clear();
    ClickLogin();
    EXPECT_NE(MainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, PasswordWithAQuoteIsRefusedBeforeAnyQuery)
{
    shop.WriteFactory();
    ASSERT_TRUE(StartProgram());
    // With the connection gone any query would report "查询失败！": only the quote check may speak.
    app->CurrentSession().db.Close();
    for (const QString& password : {QStringLiteral("a'b"), QStringLiteral("x\"y")}) {
        hooks().ClearMessages();
        PasswordBox()->setText(password);
        ClickLogin();
        ASSERT_EQ(hooks().Messages().size(), 1) << hooks().MessageTexts().join(u'|').toStdString();
        EXPECT_EQ(hooks().Messages()[0].text, QStringLiteral("密码里存在注入语句!"));
        EXPECT_EQ(hooks().Messages()[0].icon, MessageIcon::Information);
    }
    // A clean password now reaches the query, which fails on the closed connection.
    hooks().ClearMessages();
    PasswordBox()->setText(QStringLiteral("abc"));
    ClickLogin();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("查询失败！")});
    EXPECT_EQ(MainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, TickingDirectLoginLogsTheUserInDirectlyNextTime)
{
    shop.WriteFactory();
    AddUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QStringLiteral("8888"));
    ASSERT_TRUE(StartProgram());
    QTest::mouseClick(DirectBox(), Qt::LeftButton);
    EXPECT_EQ(Setting(QStringLiteral("直接登录")), QStringLiteral("1"));
    ASSERT_TRUE(LogIn(QStringLiteral("小王"), QStringLiteral("8888")));
    EXPECT_EQ(Setting(QStringLiteral("用户登录")), QStringLiteral("小王"));

    ASSERT_TRUE(StartProgram());
    ASSERT_NE(MainWindowWidget(), nullptr) << "the main window opens without a password";
    EXPECT_FALSE(LoginWindowWidget()->isVisible());
    EXPECT_EQ(MainWindowWidget()->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：小王(普通用户)"));
    EXPECT_TRUE(hooks().Messages().isEmpty());
}

TEST_F(LoginWindowTest, BoxClickedTwiceStillSwitchesDirectLoginOnButKeepsTheRememberedName)
{
    shop.WriteFactory();
    ASSERT_TRUE(StartProgram());
    QTest::mouseClick(DirectBox(), Qt::LeftButton);
    QTest::mouseClick(DirectBox(), Qt::LeftButton);
    EXPECT_FALSE(DirectBox()->isChecked());
    ASSERT_TRUE(LogIn(QStringLiteral("admin"), QString()));
    EXPECT_EQ(Setting(QStringLiteral("直接登录")), QStringLiteral("1"));
    EXPECT_EQ(Setting(QStringLiteral("用户登录")), QString());

    // Nobody remembered: the login window shows again, pre-filled with admin.
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(MainWindowWidget(), nullptr);
    EXPECT_TRUE(LoginWindowWidget()->isVisible());
    EXPECT_EQ(NameBox()->currentText(), QStringLiteral("admin"));

    // A name remembered earlier is logged in directly.
    EndProgram();
    shop.Exec(QStringLiteral("update 配置文件 set 用户登录='admin' where ID=1"));
    ASSERT_TRUE(StartProgram());
    ASSERT_NE(MainWindowWidget(), nullptr);
    EXPECT_EQ(app->CurrentSession().currentUser, QStringLiteral("admin"));
}

TEST_F(LoginWindowTest, RememberedNameIsPrefilledWhenDirectLoginIsOff)
{
    shop.WriteFactory();
    AddUser(QStringLiteral("小李"), QStringLiteral("普通用户"), QString());
    shop.Exec(QStringLiteral("update 配置文件 set 用户登录='小李', 直接登录='0' where ID=1"));
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(MainWindowWidget(), nullptr);
    EXPECT_EQ(NameBox()->currentText(), QStringLiteral("小李"));
    ClickLogin();
    ASSERT_NE(MainWindowWidget(), nullptr) << "a login without touching the box uses the pre-filled name";
    EXPECT_EQ(app->CurrentSession().currentUser, QStringLiteral("小李"));
}

TEST_F(LoginWindowTest, UserListIsRefilledEachTimeItDropsDown)
{
    shop.WriteFactory();
    ASSERT_TRUE(StartProgram());
    NameBox()->showPopup();
    NameBox()->hidePopup();
    EXPECT_EQ(NameBox()->count(), 1);
    AddUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QString());
    AddUser(QStringLiteral("小李"), QStringLiteral("管理员"), QString());
    NameBox()->showPopup();
    NameBox()->hidePopup();
    ASSERT_EQ(NameBox()->count(), 3);
    EXPECT_EQ(NameBox()->itemText(0), QStringLiteral("admin"));
    EXPECT_EQ(NameBox()->itemText(1), QStringLiteral("小王"));
    EXPECT_EQ(NameBox()->itemText(2), QStringLiteral("小李"));
    EXPECT_EQ(NameBox()->currentText(), QStringLiteral("admin")) << "the chosen name survives the refill";
}

TEST_F(LoginWindowTest, FileWithAnotherKeyIsRefusedAndTheProgramKeepsRunning)
{
    shop.WriteDatabaseWithKey("12345678");
    ASSERT_TRUE(StartProgram());
    ASSERT_EQ(hooks().Messages().size(), 1);
    EXPECT_EQ(hooks().Messages()[0].text, QStringLiteral("连接数据库失败！！"));
    EXPECT_EQ(hooks().Messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(LoginWindowWidget()->isVisible());

    // Nothing pre-filled: the box still holds its defined text and can be emptied.
    NameBox()->setEditText(QString());
    hooks().ClearMessages();
    ClickLogin();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("用户名不能为空！")});
    EXPECT_EQ(hooks().Messages()[0].caption, QStringLiteral("提示"));

    NameBox()->setEditText(QStringLiteral("admin"));
    hooks().ClearMessages();
    ClickLogin();
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("查询失败！")});
    EXPECT_EQ(MainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, SecondCopyIsRefusedBeforeAnyWindowShows)
{
    SingleInstance first(shop.LockPath());
    ASSERT_TRUE(first.Acquire());
    EXPECT_FALSE(StartProgram());
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("程序已经运行!")});
    EXPECT_EQ(hooks().Messages()[0].icon, MessageIcon::None);
    EXPECT_FALSE(LoginWindowWidget()->isVisible());
    EXPECT_FALSE(QFile::exists(shop.DatabasePath())) << "the second copy must not touch the data";
}

TEST_F(LoginWindowTest, QuitButtonAndClosingTheWindowEndTheProgram)
{
    shop.WriteFactory();
    ASSERT_TRUE(StartProgram());
    QTest::mouseClick(Unit<QPushButton>(LoginWindowWidget(), QStringLiteral("按钮_退出")), Qt::LeftButton);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(app->CurrentSession().db.IsOpen());

    ASSERT_TRUE(StartProgram());
    finishedCount = 0;
    LoginWindowWidget()->close();
    EXPECT_EQ(finishedCount, 1);
}

TEST_F(LoginWindowTest, PlainOrDamagedFilesAreRefusedLikeAnotherKey)
{
    shop.WriteDatabaseWithKey(QByteArray()); // readable by anyone: not the shop's file
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("连接数据库失败！！")});

    EndProgram();
    hooks().ClearMessages();
    {
        QFile file(shop.DatabasePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("these are a shopping list, not a database\n");
    }
    ASSERT_TRUE(StartProgram());
    EXPECT_EQ(hooks().MessageTexts(), QStringList{QStringLiteral("连接数据库失败！！")});
    EXPECT_TRUE(LoginWindowWidget()->isVisible());
}

} // namespace
} // namespace quorrel::test
