// The program on a shop kept by a PostgreSQL server of the test's own: the first start on an empty
// database, a sale rung up while the server is gone, and the owner of another till at work.

#include "support/AppDriver.h"
#include "support/Eventually.h"
#include "support/PostgresServer.h"

#include "core/records/SalesRecordsModel.h"
#include "core/shop/Session.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "core/store/SchemaUpgrade.h"
#include "core/store/ServerSchema.h"
#include "gui/app/MainWindow.h"
#include "gui/app/SingleInstance.h"
#include "gui/records/SalesRecordsWindow.h"
#include "mock/MockClock.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest/QTest>

namespace quorrel::test {
namespace {

class ServerTillTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        PostgresServer& server = sharedPostgres();
        if (!server.unavailable().isEmpty())
            GTEST_SKIP() << server.unavailable().toStdString();
        static int made = 0;
        database = server.createDatabase(QStringLiteral("till%1").arg(++made));
        ASSERT_FALSE(database.isEmpty());
        // This till's lock lies in the user's data folder: a folder of the test's own.
        ASSERT_TRUE(userData.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(userData.path()));
        MockClock::setFixed(QDateTime(QDate(2016, 8, 24), QTime(9, 5, 7)));
    }
    void TearDown() override
    {
        MockClock::reset();
        AppTest::TearDown();
        qunsetenv("XDG_DATA_HOME");
    }
    QString scalar(const QString& sql)
    {
        Database db;
        EXPECT_TRUE(db.open(database, "19970605")) << db.lastError().toStdString();
        auto records = db.query(sql);
        return records ? records->text(1) : QStringLiteral("(failed)");
    }

    QTemporaryDir userData;
};

TEST_F(ServerTillTest, TheFirstStartOnAnEmptyServerAsksAndMakesTheShop)
{
    hooks().answerNext(MessageAnswer::No);
    EXPECT_TRUE(startProgram());
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库")});
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from pg_tables where tablename = '销售记录'")),
              QStringLiteral("0"));
    hooks().clearMessages();
    endProgram();

    hooks().answerNext(MessageAnswer::Yes);
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("连接数据库失败！是否置入新的数据库"), QStringLiteral("初始化成功！")}));
    // The factory shop: admin (logged in above), the shop's name, the four payment methods.
    EXPECT_EQ(Unit<QLineEdit>(main, QStringLiteral("编辑框_店名"))->text(), QStringLiteral("我的小店"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 付款方式")), QStringLiteral("4"));
    // Made in one transaction: a second attempt fails whole. Later rows continue after the factory's.
    Database again;
    ASSERT_TRUE(again.open(database, "19970605")) << again.lastError().toStdString();
    EXPECT_EQ(schemaVersion(again), schema::kSchemaVersion);
    EXPECT_FALSE(server::createShop(again));
    ASSERT_TRUE(again.execute(QStringLiteral("insert into 付款方式 (方式) values ('会员卡')")));
    EXPECT_EQ(scalar(QStringLiteral("select max(ID) from 付款方式")), QStringLiteral("5"));
    const QString lock = SingleInstance::lockPathFor(database);
    EXPECT_TRUE(lock.startsWith(userData.path())) << lock.toStdString();
    EXPECT_TRUE(QFile::exists(lock));
}

TEST_F(ServerTillTest, ASaleRungWhileTheServerIsGoneIsStoredOnceAtTheNextTryAndListedThere)
{
    hooks().answerNext(MessageAnswer::Yes);
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    hooks().clearMessages();
    auto* name = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    auto* lines = Unit<QTreeView>(main, QStringLiteral("超级列表框1"));
    enterLine(QStringLiteral("糖"), QStringLiteral("3"), QStringLiteral("1.1"));
    enterLine(QStringLiteral("盐"), QStringLiteral("1"), QStringLiteral("2"));

    PostgresServer& server = sharedPostgres();
    ASSERT_TRUE(server.stop());
    QTest::keyClick(name, Qt::Key_F5);
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages().first().text, QStringLiteral("无法连接数据库服务器，本单未保存。"));
    EXPECT_EQ(hooks().messages().first().caption, QStringLiteral("提示："));
    EXPECT_EQ(lines->model()->rowCount(), 2) << "the lines stay for another try";
    EXPECT_TRUE(!hooks().Printer() || hooks().Printer()->documents() == 0) << "nothing printed for a sale not stored";
    hooks().clearMessages();

    ASSERT_TRUE(server.start());
    QTest::keyClick(name, Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(lines->model()->rowCount(), 0);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售详情")), QStringLiteral("2"));
    EXPECT_EQ(scalar(QStringLiteral("select 销售票号 from 销售记录")), QStringLiteral("1608240000001"));

    // A server restarted while the till stood idle: the next sale goes through at the first F5.
    hooks().clearMessages();
    ASSERT_TRUE(server.stop());
    ASSERT_TRUE(server.start());
    enterLine(QStringLiteral("茶"), QStringLiteral("1"), QStringLiteral("5"));
    QTest::keyClick(name, Qt::Key_F5);
    waitForReceipts();
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("打印完毕")});
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("2"));

    // The records window lists them, and leaves backup and restore to the server's own tools.
    Session session;
    ASSERT_TRUE(session.db.open(database, "19970605")) << session.db.lastError().toStdString();
    session.currentRole = QStringLiteral("管理员");
    SalesRecordsWindow records(session);
    records.show();
    EXPECT_EQ(records.model().rowCount(), 2);
    for (const char16_t* button : {u"按钮_管理数据", u"按钮_数据恢复"}) {
        hooks().clearMessages();
        QTest::mouseClick(Unit<QPushButton>(&records, QString::fromUtf16(button)), Qt::LeftButton);
        ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
        EXPECT_TRUE(hooks().messages().first().text.contains(QStringLiteral("pg_dump")));
        EXPECT_TRUE(hooks().messages().first().text.contains(QStringLiteral("pg_restore")));
    }
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("2"));
}

TEST_F(ServerTillTest, WhatTheOwnerChangesOnAnotherTillReachesThisTillsWindowWithinASecond)
{
    hooks().answerNext(MessageAnswer::Yes);
    MainWindow* main = openMainWindow();
    ASSERT_NE(main, nullptr);
    auto* name = Unit<QLineEdit>(main, QStringLiteral("编辑框_名称"));
    auto* shopName = Unit<QLineEdit>(main, QStringLiteral("编辑框_店名"));
    ASSERT_EQ(shopName->text(), QStringLiteral("我的小店"));

    QProcess other;
    other.start(QStringLiteral(OTHER_TILL_PATH), {QStringLiteral("owner"), database, QStringLiteral("Kiwi"),
                                                  QStringLiteral("1.20"), QStringLiteral("二号店")});
    ASSERT_TRUE(other.waitForFinished(30000));
    ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(other.readAllStandardOutput()), QStringLiteral("基本信息已经保存！\n"));

    EXPECT_TRUE(eventuallyEqual([&] { return shopName->text(); }, QStringLiteral("二号店"), 1000));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Ki"));
    EXPECT_EQ(name->text(), QStringLiteral("Kiwi"));
    EXPECT_EQ(Unit<QLineEdit>(main, QStringLiteral("编辑框_单价"))->text(), QStringLiteral("1.20"));
    auto* offered = Unit<QComboBox>(main, QStringLiteral("组合框_名称"));
    offered->showPopup();
    offered->hidePopup();
    EXPECT_GE(offered->findText(QStringLiteral("Kiwi")), 0);
}

} // namespace
} // namespace quorrel::test
