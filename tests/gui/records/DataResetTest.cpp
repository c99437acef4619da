// Backup with reset, and restore, through the records window's buttons on a real shop file; the
// export buttons' dialog; the upgrade of a file written by an earlier release.

#include "RecordsFixture.h"

#include "core/records/SalesRecordsModel.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/widgets/FileDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>

namespace quorrel::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class DataResetTest : public RecordsTest
{
protected:
    void SetUp() override
    {
        RecordsTest::SetUp();
        storeSale(QStringLiteral("2403050000001"), QStringLiteral("2024-03-05 08:00:00"), QStringLiteral("1"),
                  QStringLiteral("1.00"), QStringLiteral("admin"), {{QStringLiteral("茶"), QStringLiteral("1")}});
        openRecords();
    }
    void click(const QString& name) { QTest::mouseClick(Unit<QPushButton>(window.get(), name), Qt::LeftButton); }
};

TEST_F(DataResetTest, ResetBacksUpByteForByteThenPutsTheFactoryDatabaseInPlace)
{
    const QByteArray before = bytesOf(shop.databasePath());
    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    hooks().answerNext(MessageAnswer::Yes);
    hooks().chooseNextFile(shop.filePath(QStringLiteral("240305查询结果"))); // the suffix is added
    click(QStringLiteral("按钮_管理数据"));

    EXPECT_EQ(FileDialog::lastSaveRequest().presetName, QStringLiteral("240305查询结果"));
    EXPECT_EQ(FileDialog::lastSaveRequest().defaultSuffix, QStringLiteral(".mdb"));
    EXPECT_EQ(hooks().messageTexts(),
              (QStringList{QStringLiteral("确定初始化吗,并备份数据吗 ？"), QStringLiteral("初始化完成，并已备份！")}));
    EXPECT_EQ(bytesOf(shop.filePath(QStringLiteral("240305查询结果.mdb"))), before);
    EXPECT_EQ(bytesOf(shop.databasePath()), factoryDatabaseImage());
    EXPECT_EQ(restart.count(), 1);
    EXPECT_FALSE(session.db.isOpen());
}

TEST_F(DataResetTest, RefusesTheDatabaseItselfACancelAndADeclinedReplacement)
{
    const QByteArray before = bytesOf(shop.databasePath());
    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    QFile::link(shop.databasePath(), shop.filePath(QStringLiteral("link.mdb")));
    QFile existing(shop.filePath(QStringLiteral("old.mdb")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("keep") == 4);
    existing.close();

    for (const QString& target : {shop.databasePath(), shop.filePath(QStringLiteral("link.mdb")), QString(),
                                  shop.filePath(QStringLiteral("old.mdb"))}) {
        hooks().clearMessages();
        hooks().answerNext(MessageAnswer::Yes);
        hooks().chooseNextFile(target);
        if (target.endsWith(QStringLiteral("old.mdb")))
            hooks().answerNext(MessageAnswer::No); // do not replace it
        else if (!target.isEmpty())
            hooks().answerNext(MessageAnswer::Yes); // agreeing to replace the database is not enough
        click(QStringLiteral("按钮_管理数据"));
        EXPECT_EQ(hooks().messageTexts().last(), target.isEmpty() || target.endsWith(QStringLiteral("old.mdb"))
                                                     ? QStringLiteral("保存失败！")
                                                     : QStringLiteral("初始化错误！"))
            << target.toStdString();
    }
    EXPECT_EQ(restart.count(), 0);
    EXPECT_TRUE(session.db.isOpen()) << "nothing closed the database";
    EXPECT_EQ(bytesOf(shop.databasePath()), before);
    EXPECT_EQ(bytesOf(shop.filePath(QStringLiteral("old.mdb"))), QByteArray("keep"));
    window->model().refresh();
    EXPECT_EQ(window->model().rowCount(), 1);

    // The export's dialog brings its own filter and suffix after the backup's.
    hooks().chooseNextFile(QString());
    click(QStringLiteral("按钮_导出表"));
    EXPECT_EQ(FileDialog::lastSaveRequest().filter, QStringLiteral("*.xls (*.xls)"));
    EXPECT_EQ(FileDialog::lastSaveRequest().defaultSuffix, QStringLiteral(".xls"));
    EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("保存失败！"));
}

TEST_F(DataResetTest, RestoreRefusesOtherFilesAndBringsBackABackup)
{
    hooks().answerNext(MessageAnswer::Yes);
    hooks().chooseNextFile(shop.filePath(QStringLiteral("backup.mdb")));
    click(QStringLiteral("按钮_管理数据"));
    // The program starts afresh on the factory database.
    window.reset();
    ASSERT_TRUE(session.db.open(shop.databasePath(), schema::kDatabaseKey));
    openRecords();
    ASSERT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售记录")), QStringLiteral("0"));
    const QByteArray factory = bytesOf(shop.databasePath());

    QFile text(shop.filePath(QStringLiteral("notes.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a database") > 0);
    text.close();
    hooks().clearMessages();
    hooks().chooseNextFile(text.fileName());
    click(QStringLiteral("按钮_数据恢复"));
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("所选文件不是有效的数据库，未恢复！")});

    hooks().chooseNextFile(shop.filePath(QStringLiteral("backup.mdb")));
    hooks().answerNext(MessageAnswer::No);
    click(QStringLiteral("按钮_数据恢复"));
    EXPECT_EQ(bytesOf(shop.databasePath()), factory);
    EXPECT_TRUE(session.db.isOpen());

    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    hooks().chooseNextFile(shop.filePath(QStringLiteral("backup.mdb")));
    hooks().answerNext(MessageAnswer::Yes);
    click(QStringLiteral("按钮_数据恢复"));
    EXPECT_EQ(restart.count(), 1);
    EXPECT_EQ(bytesOf(shop.filePath(QStringLiteral("ZoZ.mdb.bak-240305143020"))), factory);
    EXPECT_EQ(shop.scalar(QStringLiteral("select 销售票号 from 销售记录")), QStringLiteral("2403050000001"));
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from 销售详情")), QStringLiteral("1"));
    EXPECT_EQ(QDir(QFileInfo(shop.databasePath()).absolutePath())
                  .entryList({QStringLiteral("*restore*")}, QDir::Files)
                  .size(),
              0)
        << "no staged copy is left behind";
}

TEST_F(DataResetTest, ExportOfAnEmptyListSaysSo)
{
    window->showRecords(ticketFragmentRecords(QStringLiteral("没有这个号")));
    click(QStringLiteral("按钮_导出表"));
    ASSERT_EQ(hooks().messages().size(), 1);
    EXPECT_EQ(hooks().messages().first().text, QStringLiteral("没有数据可以导出！"));
    EXPECT_EQ(hooks().messages().first().caption, QStringLiteral("提示："));
}

TEST(SchemaUpgradeTest, AFileOfTheFirstVersionGetsTheTicketIndexAndTable)
{
    TempShop shop;
    shop.writeFactory();
    shop.exec(QStringLiteral("drop index 销售记录_销售票号"));
    shop.exec(QStringLiteral("drop table 末单票号"));
    shop.exec(QStringLiteral("PRAGMA user_version = 1"));
    // The statements above ran on an opened, hence upgraded, file; the next open upgrades again.
    EXPECT_EQ(shop.scalar(QStringLiteral("select count(*) from sqlite_master where name in "
                                         "('销售记录_销售票号','末单票号')")),
              QStringLiteral("2"));
    EXPECT_EQ(shop.scalar(QStringLiteral("PRAGMA user_version")), QString::number(schema::kSchemaVersion));
}

} // namespace
} // namespace quorrel::test
