#include "support/AppDriver.h"

#include "gui/app/LoginWindow.h"
#include "gui/app/MainWindow.h"
#include "core/store/Gbk.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace quorrel::test {

void TypeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void AppTest::TearDown()
{
    EndProgram();
    HookedTest::TearDown();
}

bool AppTest::StartProgram()
{
    EndProgram();
    app = std::make_unique<AppController>(shop.DatabasePath(), shop.LockPath());
    QObject::connect(app.get(), &AppController::finished, [this] { ++finishedCount; });
    const bool running = app->Start();
    QApplication::processEvents(); // the main window of a direct login opens from the event loop
    return running;
}

void AppTest::EndProgram()
{
    app.reset();
    QApplication::processEvents();
}

bool AppTest::LogIn(const QString& name, const QString& password)
{
    QWidget* login = LoginWindowWidget();
    auto* combo = Unit<QComboBox>(login, QStringLiteral("组合框_用户名"));
    auto* passwordBox = Unit<QLineEdit>(login, QStringLiteral("编辑框_密码"));
    if (!combo || !passwordBox)
        return false;
    combo->showPopup(); // refills the list from the users table
    combo->hidePopup();
    const int index = combo->findText(name);
    EXPECT_GE(index, 0) << "user not listed: " << name.toStdString();
    combo->setCurrentIndex(index);
    passwordBox->setText(password);
    QTest::mouseClick(Unit<QPushButton>(login, QStringLiteral("按钮_登录")), Qt::LeftButton);
    QApplication::processEvents();
    return MainWindowWidget() != nullptr;
}

MainWindow* AppTest::OpenMainWindow(const QString& name, const QString& password)
{
    EXPECT_TRUE(StartProgram());
    EXPECT_TRUE(LogIn(name, password));
    auto* main = qobject_cast<MainWindow*>(MainWindowWidget());
    if (main) {
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main));
    }
    return main;
}

void AppTest::EnterLine(const QString& name, const QString& quantity, const QString& price)
{
    QWidget* main = MainWindowWidget();
    auto* nameBox = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    nameBox->setText(name);
    Unit<QLineEdit>(main, QStringLiteral("编辑框_数量"))->setText(quantity);
    Unit<QLineEdit>(main, QStringLiteral("编辑框_单价"))->setText(price);
    QTest::keyClick(nameBox, Qt::Key_Return);
}

void AppTest::AddUser(const QString& name, const QString& role, const QString& password)
{
    shop.Exec(QStringLiteral("insert into [用户登录] (用户名,权限,密码 )values (?,?,?)"),
              {name, role, PasswordDigest(password)});
}

QWidget* AppTest::LoginWindowWidget() const
{
    return app ? app->Login() : nullptr;
}

QWidget* AppTest::MainWindowWidget() const
{
    return app ? app->Main() : nullptr;
}

} // namespace quorrel::test
