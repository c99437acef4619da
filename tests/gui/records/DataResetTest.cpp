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
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Every name in the folder, hidden ones too.
QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct stat statOf(const QString& path)
{
    struct stat info = {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
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

    // What a new start of the program does after a reset or restore: the records window on the
    // database at `path`.
    void startAfresh(const QString& path)
    {
        window.reset();
        session.db.close();
        ASSERT_TRUE(session.db.open(path, schema::kDatabaseKey)) << session.db.lastError().toStdString();
        session.shop.forget();
        openRecords();
    }

    // 数据初始化 with the backup chosen as `target`; `replace` answers the question whether to
    // replace an existing file of that name.
    void resetOnto(const QString& target, bool replace = false)
    {
        hooks().clearMessages();
        hooks().answerNext(MessageAnswer::Yes);
        hooks().chooseNextFile(target);
        if (replace)
            hooks().answerNext(MessageAnswer::Yes);
        click(u"按钮_管理数据"_s);
    }
    void restoreFrom(const QString& source)
    {
        hooks().clearMessages();
        hooks().chooseNextFile(source);
        click(u"按钮_数据恢复"_s);
    }
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

TEST_F(DataResetTest, ACancelAndADeclinedReplacementChangeNothing)
{
    const QByteArray before = bytesOf(shop.databasePath());
    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    QFile existing(shop.filePath(QStringLiteral("old.mdb")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("keep") == 4);
    existing.close();

    for (const QString& target : {QString(), shop.filePath(QStringLiteral("old.mdb"))}) {
        hooks().clearMessages();
        hooks().answerNext(MessageAnswer::Yes);
        hooks().chooseNextFile(target);
        if (!target.isEmpty())
            hooks().answerNext(MessageAnswer::No); // do not replace it
        click(QStringLiteral("按钮_管理数据"));
        EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("保存失败！")) << target.toStdString();
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
    // The export's flush is held until the window has been tried, so the work is surely under way.
    HeldDiskWriter held;
    const QString target = shop.filePath(QStringLiteral("查询结果.xls"));
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
        held.release();
    });
    hooks().chooseNextFile(target);
    click(QStringLiteral("按钮_导出表"));

    EXPECT_TRUE(ranMeanwhile);
    EXPECT_EQ(hooks().messageTexts(), QStringList{QStringLiteral("保存成功！\r\n保存在：") + target});
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

    // A disk with room for part of the workbook only.
    {
        FullDiskWriter full(1000);
        hooks().clearMessages();
        hooks().chooseNextFile(target);
        hooks().answerNext(MessageAnswer::Yes);
        click(QStringLiteral("按钮_导出表"));
        EXPECT_EQ(hooks().messageTexts().last(), QStringLiteral("保存失败！错误代码：01"));
        EXPECT_EQ(bytesOf(target), written);
        EXPECT_EQ(everything(QFileInfo(target).absolutePath()),
                  (QStringList{QStringLiteral("240305查询结果.xls"), QStringLiteral("ZoZ.mdb")}));
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
    const FileOutcome backup = backUpDatabase(shop.databasePath(), full);
    EXPECT_EQ(backup.failure, FileFailure::DiskFull) << backup.error.toStdString();
    EXPECT_EQ(bytesOf(full), QByteArray("keep"));
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

TEST_F(DataResetTest, ABackupThatIsNotWholeIsNeverTakenForOneAndNothingIsReset)
{
    // A shop file a little over 1 MiB, as a shop with a logo and some sales has.
    ASSERT_TRUE(session.db.execute(u"update 配置文件 set logo=randomblob(1048576) where ID=1"_s));
    const QByteArray before = bytesOf(shop.databasePath());
    ASSERT_GT(before.size(), 1 << 20);
    QTemporaryDir elsewhere;
    {
        // The disk takes all but the last bytes of the copy.
        FullDiskWriter disk(before.size() - 1);
        resetOnto(elsewhere.filePath(u"backup.mdb"_s));
    }
    EXPECT_EQ(hooks().messageTexts().last(), u"初始化错误！"_s);
    EXPECT_EQ(bytesOf(shop.databasePath()), before) << "the shop's data is not reset";
    EXPECT_EQ(everything(elsewhere.path()), QStringList());

    // A real disk with exactly 1 MiB free.
    SmallDisk disk(1 << 20);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    startAfresh(shop.databasePath());
    resetOnto(disk.filePath(u"backup.mdb"_s));
    EXPECT_EQ(hooks().messageTexts().last(), u"初始化错误！"_s);
    EXPECT_EQ(bytesOf(shop.databasePath()), before) << "the shop's data is not reset";
    EXPECT_EQ(everything(disk.path()), QStringList());
}

TEST_F(DataResetTest, NoBackupOrExportGoesOntoTheDatabaseOrANameKeptBesideIt)
{
    const QString db = shop.databasePath();
    const QByteArray before = bytesOf(db);
    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    ASSERT_TRUE(QFile::link(db, shop.filePath(u"link.mdb"_s)));
    ASSERT_EQ(::link(QFile::encodeName(db).constData(), QFile::encodeName(shop.filePath(u"hard.mdb"_s)).constData()),
              0);
    const QStringList folder = everything(QFileInfo(db).absolutePath());
    // The database, links to it, and what the database engine and the program keep beside it.
    const QStringList own{db,
                          shop.filePath(u"link.mdb"_s),
                          shop.filePath(u"hard.mdb"_s),
                          db + u"-journal"_s,
                          db + u"-wal"_s,
                          db + u"-shm"_s,
                          db + u".lock"_s,
                          db + u".restore-a1B2c3"_s,
                          db + u".bak-240305143020"_s};
    for (const QString& target : own) {
        SCOPED_TRACE(target.toStdString());
        const bool exists = QFileInfo::exists(target);
        resetOnto(target, exists);
        EXPECT_EQ(hooks().messageTexts().last(), u"不能备份到数据库自己的文件，请换一个文件名！"_s);

        hooks().clearMessages();
        hooks().chooseNextFile(target);
        if (exists)
            hooks().answerNext(MessageAnswer::Yes);
        click(u"按钮_导出表"_s);
        EXPECT_EQ(hooks().messageTexts().last(), u"保存失败！"_s);
    }
    EXPECT_EQ(restart.count(), 0);
    EXPECT_TRUE(session.db.isOpen());
    EXPECT_EQ(bytesOf(db), before);
    EXPECT_EQ(everything(QFileInfo(db).absolutePath()), folder);
    window->model().refresh();
    EXPECT_EQ(window->model().rowCount(), 1);
}

TEST_F(DataResetTest, RestoreTakesOnlyAFileWithEveryColumnTheProgramReadsAndNamesTheKeptCopy)
{
    const QByteArray before = bytesOf(shop.databasePath());
    // The seven tables by name, one of them with other columns.
    TempShop wrong;
    wrong.writeFactory();
    wrong.exec(u"drop table 销售记录"_s);
    wrong.exec(u"create table 销售记录 (ID integer primary key autoincrement, 票号 text, 时间 text)"_s);
    restoreFrom(wrong.databasePath());
    EXPECT_EQ(hooks().messageTexts(), QStringList{u"所选文件不是有效的数据库，未恢复！"_s});
    EXPECT_EQ(bytesOf(shop.databasePath()), before);
    EXPECT_TRUE(session.db.isOpen());

    // A shop file of the first release is taken, and brought up to date on the way.
    TempShop first;
    first.writeFactory();
    first.exec(u"insert into 销售记录 (销售票号, 销售时间, 数量, 金额, 收银员, 备注) "
               "values ('2001010000007', '2020-01-01 10:00:00', '1', '5.00', 'admin', ' ')"_s);
    first.exec(u"drop table 末单票号"_s);
    first.exec(u"PRAGMA user_version = 1"_s);
    QSignalSpy restart(window.get(), &SalesRecordsWindow::restartRequested);
    hooks().answerNext(MessageAnswer::Yes);
    restoreFrom(first.databasePath());
    ASSERT_EQ(hooks().messageTexts().size(), 2);
    const QString kept = shop.databasePath() + u".bak-240305143020"_s;
    EXPECT_EQ(hooks().messageTexts().last(), u"数据恢复完成！\n原数据已保存为 "_s + kept);
    EXPECT_EQ(bytesOf(kept), before);
    EXPECT_EQ(restart.count(), 1);
    EXPECT_EQ(shop.scalar(u"select 销售票号 from 销售记录"_s), u"2001010000007"_s);
    EXPECT_EQ(shop.scalar(u"PRAGMA user_version"_s), QString::number(schema::kSchemaVersion));
}

TEST_F(DataResetTest, ResetAndRestoreReplaceTheFileALinkNamesAndKeepItsModeAndOwner)
{
    // The shop's file lives in a folder of its own, shared with a group; ZoZ.mdb links to it.
    QTemporaryDir data;
    const QString real = data.filePath(u"shop.db"_s);
    window.reset();
    session.db.close();
    ASSERT_TRUE(QFile::rename(shop.databasePath(), real));
    ASSERT_TRUE(QFile::link(real, shop.databasePath()));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0660), 0);
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
    }
    const struct stat owner = statOf(real);
    startAfresh(shop.databasePath());
    const QByteArray before = bytesOf(real);

    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath(u"backup.mdb"_s);
    resetOnto(backup);
    EXPECT_EQ(hooks().messageTexts().last(), u"初始化完成，并已备份！"_s);
    auto fileKept = [&](const QByteArray& bytes) {
        EXPECT_TRUE(QFileInfo(shop.databasePath()).isSymLink()) << "the link stays";
        EXPECT_EQ(bytesOf(real), bytes) << "the file it names is replaced";
        const struct stat now = statOf(real);
        EXPECT_EQ(now.st_mode & 07777, 0660u);
        EXPECT_EQ(now.st_uid, owner.st_uid);
        EXPECT_EQ(now.st_gid, owner.st_gid);
    };
    fileKept(factoryDatabaseImage());
    EXPECT_EQ(bytesOf(backup), before);
    EXPECT_EQ(statOf(backup).st_mode & 07777, 0600u) << "a backup is the owner's alone";

    startAfresh(shop.databasePath());
    hooks().answerNext(MessageAnswer::Yes);
    restoreFrom(backup);
    EXPECT_TRUE(hooks().messageTexts().last().startsWith(u"数据恢复完成！"_s));
    fileKept(before);
    EXPECT_EQ(shop.scalar(u"select 销售票号 from 销售记录"_s), u"2403050000001"_s);
}

TEST_F(DataResetTest, RestoreFromAPipeEndsAtOnceAndAFullDiskIsSaidForWhatItIs)
{
    // Nothing ever writes to the pipe; should the restore wait for it, a writer comes after 3 s to
    // end the wait, too late for the test.
    const QString pipe = shop.filePath(u"pipe.mdb"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QTimer::singleShot(3000, [pipe] {
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    QElapsedTimer waited;
    waited.start();
    restoreFrom(pipe);
    EXPECT_LT(waited.elapsed(), 2000);
    EXPECT_EQ(hooks().messageTexts(), QStringList{u"所选文件不是有效的数据库，未恢复！"_s});

    // A valid backup, and no room for it beside the database.
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath(u"backup.mdb"_s);
    ASSERT_TRUE(QFile::copy(shop.databasePath(), backup));
    const QByteArray before = bytesOf(shop.databasePath());
    {
        FullDiskWriter full(4096);
        restoreFrom(backup);
    }
    EXPECT_EQ(hooks().messageTexts(), QStringList{u"磁盘空间不足，未恢复！"_s});
    EXPECT_EQ(bytesOf(shop.databasePath()), before);

    SmallDisk disk(before.size() + before.size() / 2);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    const QString onDisk = disk.filePath(u"ZoZ.mdb"_s);
    ASSERT_TRUE(QFile::copy(shop.databasePath(), onDisk));
    startAfresh(onDisk);
    restoreFrom(backup);
    EXPECT_EQ(hooks().messageTexts(), QStringList{u"磁盘空间不足，未恢复！"_s});
    EXPECT_EQ(bytesOf(onDisk), before);
    EXPECT_EQ(everything(disk.path()), QStringList{u"ZoZ.mdb"_s});
    window.reset();
    session.db.close();
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
