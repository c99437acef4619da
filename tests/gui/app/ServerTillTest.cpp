// The program on a shop kept by a PostgreSQL server of the test's own: the first start on an empty
// database, the owner at another till, and a sale rung up while the server is gone.

#include "support/AppDriver.h"
#include "support/Eventually.h"
#include "support/PostgresServer.h"

#include "core/records/SalesRecordsModel.h"
#include "core/shop/Session.h"
#include "core/store/Schema.h"
#include "gui/app/MainWindow.h"
#include "gui/app/SingleInstance.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/settings/SettingsWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest/QTest>

namespace quorrel::test {
namespace {

using ServerTillTest = AppTest;

TEST_F(ServerTillTest, ATillOnAnEmptyServerMakesTheShopFollowsTheOtherTillsAndKeepsASaleTheServerMissed)
{
    PostgresServer& server = sharedPostgres();
    if (!server.unavailable().isEmpty())
        GTEST_SKIP() << server.unavailable().toStdString();
    database = server.createDatabase(QStringLiteral("till"));
    ASSERT_FALSE(database.isEmpty());
    // This till's lock lies in the user's data folder: a folder of the test's own.
    const QTemporaryDir userData;
    qputenv("XDG_DATA_HOME", QFile::encodeName(userData.path()));
    const auto noUserData = qScopeGuard([this] {
        endProgram();
        qunsetenv("XDG_DATA_HOME");
    });

    hooks().answerNext(MessageAnswer::No);
    EXPECT_TRUE(startProgram());
    endProgram();
    hooks().answerNext(MessageAnswer::Yes);
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    // Asked again at the second start: the No made nothing.
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库"),
                           QStringLiteral("连接数据库失败！是否置入新的数据库"), QStringLiteral("初始化成功！")}));
    const QString lock = SingleInstance::lockPathFor(database);
    EXPECT_TRUE(lock.startsWith(userData.path()) && QFile::exists(lock)) << lock.toStdString();

    // The owner, at another till on the same server, renames the shop and adds a product.
    Session other;
    ASSERT_TRUE(other.db.open(database, schema::kDatabaseKey)) << other.db.lastError().toStdString();
    other.currentUserId = 1;
    other.currentRole = QStringLiteral("管理员");
    SettingsWindow settings(other);
    settings.show();
    Unit<QLineEdit>(&settings, QStringLiteral("编辑框_店名"))->setText(QStringLiteral("二号店"));
    QTest::mouseClick(Unit<QPushButton>(&settings, QStringLiteral("按钮_保存")), Qt::LeftButton);
    Unit<QTabWidget>(&settings, QStringLiteral("高级选择夹1"))->setCurrentIndex(1);
    Unit<QLineEdit>(&settings, QStringLiteral("编辑框_名称"))->setText(QStringLiteral("Kiwi"));
    Unit<QLineEdit>(&settings, QStringLiteral("编辑框_单价"))->setText(QStringLiteral("1.20"));
    QTest::mouseClick(Unit<QPushButton>(&settings, QStringLiteral("按钮_添加")), Qt::LeftButton);
    settings.close();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    auto* shopName = Unit<QLineEdit>(main, QStringLiteral("编辑框_店名"));
    EXPECT_TRUE(eventuallyEqual([&] { return shopName->text(); }, QStringLiteral("二号店"), 1000));
    auto* name = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Ki"));
    EXPECT_EQ(name->text(), QStringLiteral("Kiwi"));
    EXPECT_EQ(Unit<QLineEdit>(main, QStringLiteral("编辑框_单价"))->text(), QStringLiteral("1.20"));

    // A sale rung while the server is gone keeps its lines for the next F5, which stores it.
    enterLine(QStringLiteral("Kiwi"), QStringLiteral("1"), QStringLiteral("1.20"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));
    auto* lines = Unit<QTreeView>(main, QStringLiteral("超级列表框1"));
    hooks().clearMessages();
    ASSERT_TRUE(server.stop());
    QTest::keyClick(name, Qt::Key_F5);
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages().first().text, QStringLiteral("无法连接数据库服务器，本单未保存。"));
    EXPECT_EQ(hooks().messages().first().caption, QStringLiteral("提示："));
    EXPECT_EQ(lines->model()->rowCount(), 2) << "the lines stay for another try";
    EXPECT_TRUE(!hooks().Printer() || hooks().Printer()->documents() == 0) << "nothing printed for a sale not stored";
    ASSERT_TRUE(server.start());
    QTest::keyClick(name, Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(lines->model()->rowCount(), 0);

    // The records window lists it once, and leaves backup and restore to the server's own tools.
    SalesRecordsWindow records(other);
    records.show();
    EXPECT_EQ(records.model().rowCount(), 1);
    for (const char16_t* button : {u"按钮_管理数据", u"按钮_数据恢复"}) {
        hooks().clearMessages();
        QTest::mouseClick(Unit<QPushButton>(&records, QString::fromUtf16(button)), Qt::LeftButton);
        ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
        const QString said = hooks().messages().first().text;
        EXPECT_TRUE(said.contains(QStringLiteral("pg_dump")) && said.contains(QStringLiteral("pg_restore")));
    }
}

} // namespace
} // namespace quorrel::test
