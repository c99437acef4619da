// Backup with reset, and restore, through the records window's buttons on a real shop file; the
// export buttons' dialog; the upgrade of a file written by an earlier release.

#include "RecordsFixture.h"

#include "core/records/DataReset.h"
#include "core/records/SalesRecordsModel.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/RecordSet.h"
#include "core/store/Schema.h"
#include "gui/records/SalesRecordsWindow.h"
#include "gui/widgets/FileDialog.h"
#include "mock/FullDiskWriter.h"
#include "support/SmallDisk.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <sys/stat.h>

namespace quorrel::test {
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Counts the paint events of the object it filters.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

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

TEST_F(DataResetTest, FileWorkRunsWhileTheWindowPaintsAndTakesNoInput)
{
    // A named pipe as the file to restore from: reading it cannot end before it is opened for
    // writing and closed, which happens below, while the work runs.
    const QString pipe = shop.filePath(QStringLiteral("pipe.mdb"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    PaintCounter paints;
    window->installEventFilter(&paints);
    bool ranMeanwhile = false;
    QTimer::singleShot(0, window.get(), [&] {
        ranMeanwhile = true;
        const QCursor* cursor = QApplication::overrideCursor();
        EXPECT_TRUE(cursor && cursor->shape() == Qt::WaitCursor);
        const int before = paints.count;
        window->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return paints.count > before; })) << "the window repaints";
        click(QStringLiteral("按钮_管理数据")); // dropped: nothing new starts
        QTest::keyClick(window.get(), Qt::Key_Escape);
        EXPECT_FALSE(window->close());
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(hooks().messages().isEmpty());
        QFile end(pipe);
        EXPECT_TRUE(end.open(QIODevice::WriteOnly)); // meets the worker's read, which then ends empty
        end.close();
    });
    hooks().chooseNextFile(pipe);
    click(QStringLiteral("按钮_数据恢复"));

    EXPECT_TRUE(ranMeanwhile);
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("所选文件不是有效的数据库，未恢复！")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->isVisible());
    // Input reaches the window again.
    hooks().answerNext(MessageAnswer::No);
    click(QStringLiteral("按钮_管理数据"));
    EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("确定初始化吗,并备份数据吗 ？"));
}

TEST_F(DataResetTest, ExportWritesTheWorkbookAndAFailedWriteNeverPassesForOne)
{
    const QString target = shop.filePath(QStringLiteral("240305查询结果.xls"));
    hooks().chooseNextFile(target);
    click(QStringLiteral("按钮_导出表"));
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("保存成功！\r\n保存在：") + target});
    EXPECT_EQ(hooks().messages().last().icon, MessageIcon::Information);
    const QByteArray written = bytesOf(target);
    EXPECT_TRUE(written.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"))) << "a compound file";

    // A disk that takes every write but cannot keep them.
    {
        FullDiskWriter failingSync(qint64(1) << 40, true);
        hooks().clearMessages();
        hooks().chooseNextFile(target);
        hooks().answerNext(MessageAnswer::Yes); // replace it
        click(QStringLiteral("按钮_导出表"));
        EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("保存失败！错误代码：01"));
        EXPECT_EQ(bytesOf(target), written);
    }

    // A full disk, with room for the earlier file only; a backup small enough to be held back in a
    // buffer until the end fails as well.
    SmallDisk disk(4096);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    const QString full = disk.filePath(QStringLiteral("查询结果.xls"));
    QFile earlier(full);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("keep") == 4);
    earlier.close();
    hooks().clearMessages();
    hooks().chooseNextFile(full);
    hooks().answerNext(MessageAnswer::Yes);
    click(QStringLiteral("按钮_导出表"));
    EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("保存失败！错误代码：01"));
    EXPECT_EQ(bytesOf(full), QByteArray("keep"));
    QFile small(shop.filePath(QStringLiteral("small.mdb")));
    ASSERT_TRUE(small.open(QIODevice::WriteOnly) && small.write(QByteArray(10000, 'd')) == 10000);
    small.close();
    QString error;
    EXPECT_FALSE(backUpDatabase(small.fileName(), full, &error));
    EXPECT_EQ(bytesOf(full), QByteArray("keep")) << error.toStdString();
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("查询结果.xls")});
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
