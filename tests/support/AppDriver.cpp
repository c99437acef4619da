#include "support/AppDriver.h"

#include "core/store/Gbk.h"
#include "gui/app/LoginWindow.h"
#include "gui/app/MainWindow.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "support/Eventually.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace quorrel::test {

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void AppTest::TearDown()
{
    endProgram();
    HookedTest::TearDown();
}

bool AppTest::startProgram()
{
    endProgram();
    app = std::make_unique<AppController>(database.isEmpty() ? shop.databasePath() : database);
    QObject::connect(app.get(), &AppController::finished, [this] { ++finishedCount; });
    const bool running = app->start();
    QApplication::processEvents(); // the main window of a direct login opens from the event loop
    return running;
}

void AppTest::endProgram()
{
    app.reset();
    QApplication::processEvents();
}

bool AppTest::logIn(const QString& name, const QString& password)
{
    QWidget* login = loginWindowWidget();
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
    return mainWindowWidget() != nullptr;
}

MainWindow* AppTest::openMainWindow(const QString& name, const QString& password)
{
    EXPECT_TRUE(startProgram());
    EXPECT_TRUE(logIn(name, password));
    auto* main = qobject_cast<MainWindow*>(mainWindowWidget());
    if (main) {
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main));
    }
    return main;
}

void AppTest::waitForReceipts(int timeoutMs)
{
    EXPECT_TRUE(eventuallyEqual([] { return ReceiptPrinting::receiptsUnderWay(); }, 0, timeoutMs));
}

void AppTest::enterLine(const QString& name, const QString& quantity, const QString& price)
{
    QWidget* main = mainWindowWidget();
    auto* nameBox = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    nameBox->setText(name);
    Unit<QLineEdit>(main, QStringLiteral("编辑框_数量"))->setText(quantity);
    Unit<QLineEdit>(main, QStringLiteral("编辑框_单价"))->setText(price);
    QTest::keyClick(nameBox, Qt::Key_Return);
}

void AppTest::addUser(const QString& name, const QString& role, const QString& password)
{
    shop.exec(QStringLiteral("insert into [用户登录] (用户名,权限,密码 )values (?,?,?)"),
              {name, role, passwordDigest(password)});
}

QWidget* AppTest::loginWindowWidget() const
{
    return app ? app->login() : nullptr;
}

QWidget* AppTest::mainWindowWidget() const
{
    return app ? app->main() : nullptr;
}

QAction* menuItem(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no menu item " << text.toStdString();
    return nullptr;
}

QStringList listedRows(QWidget* window, const QString& list)
{
    auto* view = Unit<QTreeView>(window, list);
    QStringList rows;
    if (!view)
        return rows;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(u' ');
    }
    return rows;
}

void AppTest::inModal(const std::function<void()>& open, const std::function<void(QWidget*)>& body)
{
    QWidget* before = QApplication::activeModalWidget();
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window, before);
        ran = true;
        body(window);
        window->close();
    });
    open();
    EXPECT_TRUE(ran);
}

void AppTest::click(QWidget* window, const char16_t* button)
{
    QTest::mouseClick(Unit<QPushButton>(window, QString::fromUtf16(button)), Qt::LeftButton);
}

} // namespace quorrel::test
