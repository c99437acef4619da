// The login window through the real program: start-up, database creation, login and direct login.

#include "support/AppDriver.h"

#include "core/store/FactoryDatabase.h"
#include "gui/app/SingleInstance.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

constexpr QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                         QFile::ExeOther;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LoginWindowTest : public AppTest
{
protected:
    QComboBox* nameBox() { return Unit<QComboBox>(loginWindowWidget(), QStringLiteral("组合框_用户名")); }
    QLineEdit* passwordBox() { return Unit<QLineEdit>(loginWindowWidget(), QStringLiteral("编辑框_密码")); }
    QCheckBox* directBox() { return Unit<QCheckBox>(loginWindowWidget(), QStringLiteral("选择框1")); }
    void clickLogin()
    {
        QTest::mouseClick(Unit<QPushButton>(loginWindowWidget(), QStringLiteral("按钮_登录")), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QString setting(const QString& column)
    {
        return shop.scalar(QStringLiteral("select ") + column + QStringLiteral(" from 配置文件 where ID=1"));
    }
};

TEST_F(LoginWindowTest, FreshStartWritesTheFactoryDatabaseAndAdminLogsInWithAnEmptyPassword)
{
    hooks().answerNext(MessageAnswer::Yes);
    ASSERT_TRUE(startProgram());
    ASSERT_EQ(hooks().messages().size(), 2);
    EXPECT_EQ(hooks().messages()[0].text, QStringLiteral("连接数据库失败！是否置入新的数据库"));
    EXPECT_EQ(hooks().messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::None);
    EXPECT_EQ(hooks().messages()[1].text, QStringLiteral("初始化成功！"));
    EXPECT_EQ(readFile(shop.databasePath()), factoryDatabaseImage()) << "the file must be the factory image unchanged";
    EXPECT_EQ(QFile::permissions(shop.databasePath()) & kEveryone, QFile::ReadOwner | QFile::WriteOwner)
        << "every sale and the password hashes are the owner's alone";

    QWidget* login = loginWindowWidget();
    ASSERT_TRUE(login->isVisible());
    EXPECT_EQ(login->windowTitle(), QStringLiteral("登录"));
    EXPECT_EQ(nameBox()->currentText(), QStringLiteral("admin"));
    EXPECT_FALSE(nameBox()->isEditable()) << "only listed names can be picked";

    clickLogin();
    QWidget* main = mainWindowWidget();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：admin(管理员)"));
    EXPECT_EQ(app->currentSession().currentUser, QStringLiteral("admin"));
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("管理员"));
    EXPECT_EQ(hooks().messages().size(), 2) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(LoginWindowTest, AnsweringNoStartsANewCopyAndEndsThisOne)
{
    hooks().answerNext(MessageAnswer::No);
    EXPECT_FALSE(startProgram());
    ASSERT_EQ(hooks().started().size(), 1);
    EXPECT_EQ(hooks().started()[0].first(), QCoreApplication::applicationFilePath());
    EXPECT_FALSE(QFile::exists(shop.databasePath())) << "nothing is written without a Yes";
    SingleInstance next(shop.lockPath());
    EXPECT_EQ(next.acquire(), SingleInstance::Result::Acquired) << "the new copy is not refused as a second one";
}

TEST_F(LoginWindowTest, AStartRemovesWhatAnInterruptedBackupResetOrRestoreLeftAndWaitsForAHandOver)
{
    shop.writeFactory();
    const QString db = shop.databasePath();
    auto make = [](const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("left") == 4) << path.toStdString();
    };
    // A staged restore, a file being replaced, a kept copy that is still the database (killed
    // between keeping and replacing), and a backup being written elsewhere, noted beside the database.
    QTemporaryDir elsewhere;
    const QStringList leftovers{db + u".restore-a1B2c3"_s, shop.filePath(u".ZoZ.mdb.x9y8.part"_s),
                                shop.filePath(u".ZoZ.mdb.x9y8.part-journal"_s),
                                elsewhere.filePath(u".backup.mdb.k3l4.part"_s)};
    for (const QString& path : leftovers)
        make(path);
    ASSERT_EQ(::link(QFile::encodeName(db).constData(), QFile::encodeName(db + u".bak-240305143021"_s).constData()), 0);
    QFile note(db + u".unfinished"_s);
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write((u"+"_s + leftovers.last() + u"\n"_s).toUtf8());
    note.close();
    // What is not the program's own stays: a kept copy of an earlier restore, a user's file.
    make(db + u".bak-230101000000"_s);
    make(elsewhere.filePath(u"backup.mdb"_s));

    // The copy before this one lets go of the lock a moment after starting this one.
    SingleInstance ending(shop.lockPath());
    ASSERT_EQ(ending.acquire(), SingleInstance::Result::Acquired);
    SingleInstance starting(shop.lockPath());
    EXPECT_EQ(starting.acquire(), SingleInstance::Result::HeldByAnotherCopy) << "a second copy is refused at once";
    std::thread handOver([&ending] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ending.release();
    });
    EXPECT_EQ(starting.acquire(5000), SingleInstance::Result::Acquired) << "a new copy waits for the hand-over";
    handOver.join();
    starting.release();

    ASSERT_TRUE(startProgram());
    EXPECT_EQ(QDir(shop.filePath(QString())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"ZoZ.mdb"_s, u"ZoZ.mdb.bak-230101000000"_s, u"ZoZ.mdb.lock"_s}));
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u"backup.mdb"_s});
    EXPECT_TRUE(logIn(u"admin"_s, QString()));
}

TEST_F(LoginWindowTest, WrongPasswordIsRefusedAndTheWindowStaysWithTheName)
{
    shop.writeFactory();
    ASSERT_TRUE(startProgram());
    EXPECT_FALSE(logIn(QStringLiteral("admin"), QStringLiteral("secret")));
    ASSERT_EQ(hooks().messages().size(), 1);
    const ShownMessage& shown = hooks().messages().first();
    EXPECT_EQ(shown.text, QStringLiteral("请输入正确的密码！"));
    EXPECT_EQ(shown.caption, QStringLiteral("提示："));
    EXPECT_EQ(shown.ownerClass, QStringLiteral("quorrel::LoginWindow"));
    EXPECT_TRUE(loginWindowWidget()->isVisible());
    EXPECT_EQ(nameBox()->currentText(), QStringLiteral("admin"));

    // The next attempt with the right password goes through.
    passwordBox()->clear();
    clickLogin();
    EXPECT_NE(mainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, PasswordWithAQuoteIsRefusedBeforeAnyQuery)
{
    shop.writeFactory();
    ASSERT_TRUE(startProgram());
    // With the connection gone any query would report "查询失败！": only the quote check may speak.
    app->currentSession().db.close();
    for (const QString& password : {QStringLiteral("a'b"), QStringLiteral("x\"y")}) {
        hooks().clearMessages();
        passwordBox()->setText(password);
        clickLogin();
        ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
        EXPECT_EQ(hooks().messages()[0].text, QStringLiteral("密码里存在注入语句!"));
        EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Information);
    }
    // A clean password now reaches the query, which fails on the closed connection.
    hooks().clearMessages();
    passwordBox()->setText(QStringLiteral("abc"));
    clickLogin();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("查询失败！")});
    EXPECT_EQ(mainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, TickingDirectLoginLogsTheUserInDirectlyNextTime)
{
    shop.writeFactory();
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QStringLiteral("8888"));
    ASSERT_TRUE(startProgram());
    QTest::mouseClick(directBox(), Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("直接登录")), QStringLiteral("1"));
    ASSERT_TRUE(logIn(QStringLiteral("小王"), QStringLiteral("8888")));
    EXPECT_EQ(setting(QStringLiteral("用户登录")), QStringLiteral("小王"));

    ASSERT_TRUE(startProgram());
    ASSERT_NE(mainWindowWidget(), nullptr) << "the main window opens without a password";
    EXPECT_FALSE(loginWindowWidget()->isVisible());
    EXPECT_EQ(mainWindowWidget()->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：小王(普通用户)"));
    EXPECT_TRUE(hooks().messages().isEmpty());
}

TEST_F(LoginWindowTest, BoxClickedTwiceStillSwitchesDirectLoginOnButKeepsTheRememberedName)
{
    shop.writeFactory();
    ASSERT_TRUE(startProgram());
    QTest::mouseClick(directBox(), Qt::LeftButton);
    QTest::mouseClick(directBox(), Qt::LeftButton);
    EXPECT_FALSE(directBox()->isChecked());
    ASSERT_TRUE(logIn(QStringLiteral("admin"), QString()));
    EXPECT_EQ(setting(QStringLiteral("直接登录")), QStringLiteral("1"));
    EXPECT_EQ(setting(QStringLiteral("用户登录")), QString());

    // Nobody remembered: the login window shows again, pre-filled with admin.
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(mainWindowWidget(), nullptr);
    EXPECT_TRUE(loginWindowWidget()->isVisible());
    EXPECT_EQ(nameBox()->currentText(), QStringLiteral("admin"));

    // A name remembered earlier is logged in directly.
    endProgram();
    shop.exec(QStringLiteral("update 配置文件 set 用户登录='admin' where ID=1"));
    ASSERT_TRUE(startProgram());
    ASSERT_NE(mainWindowWidget(), nullptr);
    EXPECT_EQ(app->currentSession().currentUser, QStringLiteral("admin"));
}

TEST_F(LoginWindowTest, RememberedNameIsPrefilledWhenDirectLoginIsOff)
{
    shop.writeFactory();
    addUser(QStringLiteral("小李"), QStringLiteral("普通用户"), QString());
    shop.exec(QStringLiteral("update 配置文件 set 用户登录='小李', 直接登录='0' where ID=1"));
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(mainWindowWidget(), nullptr);
    EXPECT_EQ(nameBox()->currentText(), QStringLiteral("小李"));
    clickLogin();
    ASSERT_NE(mainWindowWidget(), nullptr) << "a login without touching the box uses the pre-filled name";
    EXPECT_EQ(app->currentSession().currentUser, QStringLiteral("小李"));
}

TEST_F(LoginWindowTest, LookAlikeNamesLogInAsTheRowWhosePasswordWasChecked)
{
    shop.writeFactory();
    addUser(QStringLiteral("zhang"), QStringLiteral("普通用户"), QStringLiteral("123"));
    addUser(QStringLiteral("ZHANG"), QStringLiteral("管理员"), QStringLiteral("456"));

    // zhang's password gives zhang's role, never the administrator's whose name looks the same.
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(logIn(QStringLiteral("zhang"), QStringLiteral("123")));
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("普通用户"));
    EXPECT_EQ(mainWindowWidget()->windowTitle(), QStringLiteral("Quorrelv1.0          收银员：zhang(普通用户)"));
    EXPECT_FALSE(mainWindowWidget()->findChild<QPushButton*>(QStringLiteral("按钮_仅保存小票"))->isEnabled());
    const qint64 zhangId = app->currentSession().currentUserId;
    EXPECT_EQ(shop.scalar(QStringLiteral("select 权限 from 用户登录 where ID=?"), {zhangId}),
              QStringLiteral("普通用户"));

    // The administrator's password does not open zhang's name, and ZHANG logs in as ZHANG.
    ASSERT_TRUE(startProgram());
    EXPECT_FALSE(logIn(QStringLiteral("zhang"), QStringLiteral("456")));
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("请输入正确的密码！")});
    hooks().clearMessages();
    ASSERT_TRUE(logIn(QStringLiteral("ZHANG"), QStringLiteral("456")));
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("管理员"));
    EXPECT_NE(app->currentSession().currentUserId, zhangId);

    // Two rows with one name: each password opens its own row, with that row's role.
    endProgram();
    addUser(QStringLiteral("李"), QStringLiteral("管理员"), QStringLiteral("a"));
    addUser(QStringLiteral("李"), QStringLiteral("普通用户"), QStringLiteral("b"));
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(logIn(QStringLiteral("李"), QStringLiteral("b")));
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("普通用户"));

    // A remembered name logs in directly as the row spelled exactly so.
    endProgram();
    shop.exec(QStringLiteral("update 配置文件 set 用户登录='zhang', 直接登录='1' where ID=1"));
    ASSERT_TRUE(startProgram());
    ASSERT_NE(mainWindowWidget(), nullptr);
    EXPECT_EQ(app->currentSession().currentRole, QStringLiteral("普通用户"));
    EXPECT_EQ(app->currentSession().currentUserId, zhangId);
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();
}

TEST_F(LoginWindowTest, UserListIsRefilledEachTimeItDropsDown)
{
    shop.writeFactory();
    ASSERT_TRUE(startProgram());
    nameBox()->showPopup();
    nameBox()->hidePopup();
    EXPECT_EQ(nameBox()->count(), 1);
    addUser(QStringLiteral("小王"), QStringLiteral("普通用户"), QString());
    addUser(QStringLiteral("小李"), QStringLiteral("管理员"), QString());
    nameBox()->showPopup();
    nameBox()->hidePopup();
    ASSERT_EQ(nameBox()->count(), 3);
    EXPECT_EQ(nameBox()->itemText(0), QStringLiteral("admin"));
    EXPECT_EQ(nameBox()->itemText(1), QStringLiteral("小王"));
    EXPECT_EQ(nameBox()->itemText(2), QStringLiteral("小李"));
    EXPECT_EQ(nameBox()->currentText(), QStringLiteral("admin")) << "the chosen name survives the refill";
}

TEST_F(LoginWindowTest, FileWithAnotherKeyIsRefusedAndTheProgramKeepsRunning)
{
    shop.writeDatabaseWithKey("12345678");
    ASSERT_TRUE(startProgram());
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages()[0].text, QStringLiteral("连接数据库失败！！"));
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(loginWindowWidget()->isVisible());

    // Nothing pre-filled: the box still holds its defined text and can be emptied.
    nameBox()->setEditText(QString());
    hooks().clearMessages();
    clickLogin();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("用户名不能为空！")});
    EXPECT_EQ(hooks().messages()[0].caption, QStringLiteral("提示"));

    nameBox()->setEditText(QStringLiteral("admin"));
    hooks().clearMessages();
    clickLogin();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("查询失败！")});
    EXPECT_EQ(mainWindowWidget(), nullptr);
}

TEST_F(LoginWindowTest, SecondCopyIsRefusedBeforeAnyWindowShows)
{
    SingleInstance first(shop.lockPath());
    ASSERT_EQ(first.acquire(), SingleInstance::Result::Acquired);
    EXPECT_FALSE(startProgram());
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("程序已经运行!")});
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::None);
    EXPECT_FALSE(loginWindowWidget()->isVisible());
    EXPECT_FALSE(QFile::exists(shop.databasePath())) << "the second copy must not touch the data";
}

TEST_F(LoginWindowTest, QuitButtonAndClosingTheWindowEndTheProgram)
{
    shop.writeFactory();
    ASSERT_TRUE(startProgram());
    QTest::mouseClick(Unit<QPushButton>(loginWindowWidget(), QStringLiteral("按钮_退出")), Qt::LeftButton);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(app->currentSession().db.isOpen());

    ASSERT_TRUE(startProgram());
    finishedCount = 0;
    loginWindowWidget()->close();
    EXPECT_EQ(finishedCount, 1);
}

TEST_F(LoginWindowTest, PlainOrDamagedFilesAreRefusedLikeAnotherKey)
{
    shop.writeDatabaseWithKey(QByteArray()); // readable by anyone: not the shop's file
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("连接数据库失败！！")});

    endProgram();
    hooks().clearMessages();
    {
        QFile file(shop.databasePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("these are a shopping list, not a database\n");
    }
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("连接数据库失败！！")});
    EXPECT_TRUE(loginWindowWidget()->isVisible());
}

} // namespace
} // namespace quorrel::test
