// The login window's start-up when the shop is unlucky: a full disk at the first start, the data in a
// folder that cannot be written, the single-instance lock shared by every account, a lock file that
// cannot be made.

#include "support/AppDriver.h"
#include "support/SmallDisk.h"

#include "core/store/FactoryDatabase.h"
#include "gui/app/AppPaths.h"
#include "gui/app/SingleInstance.h"
#include "mock/FullDiskWriter.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <unistd.h>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using LoginStartupTest = AppTest;

TEST_F(LoginStartupTest, AFullDiskAtTheFirstStartSaysSoLeavesNoFileAndAsksAgainNextTime)
{
    {
        FullDiskWriter disk(8192);
        hooks().answerNext(MessageAnswer::Yes);
        ASSERT_TRUE(startProgram());
        EXPECT_EQ(hooks().messageTexts(),
                  (QStringList{u"连接数据库失败！是否置入新的数据库"_s, u"初始化失败！"_s, u"连接数据库失败！！"_s}));
        QStringList left = QDir(QFileInfo(shop.databasePath()).absolutePath())
                               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        left.removeOne(QFileInfo(shop.lockPath()).fileName());
        EXPECT_EQ(left, QStringList()) << "no half database may stay behind";
        endProgram();
    }
    // Room again: the next start offers the factory database once more, and it is whole.
    hooks().clearMessages();
    hooks().answerNext(MessageAnswer::Yes);
    ASSERT_TRUE(startProgram());
    EXPECT_EQ(hooks().messageTexts(), (QStringList{u"连接数据库失败！是否置入新的数据库"_s, u"初始化成功！"_s}));
    EXPECT_EQ(readFile(shop.databasePath()), factoryDatabaseImage());
    EXPECT_TRUE(logIn(u"admin"_s, QString()));
}

TEST_F(LoginStartupTest, TheShopsFileInAFolderThatCannotBeWrittenIsKeptAndSaidPlainly)
{
    // The program's folder with the shop's file in it, then made read-only: a read-only medium when
    // the tests run as root (who may write anywhere else), the folder's permissions otherwise.
    SmallDisk disk(factoryDatabaseImage().size() + 65536);
    QTemporaryDir plain;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && !disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    const QString folder = asRoot ? disk.path() : plain.path();
    ASSERT_TRUE(writeFactoryDatabase(folder + u"/ZoZ.mdb"_s));
    ASSERT_TRUE(QDir(folder).mkdir(u"empty"_s));
    const auto mode = QFile::permissions(folder);
    const QString empty = folder + u"/empty"_s;
    if (asRoot) {
        ASSERT_TRUE(disk.makeReadOnly());
    } else {
        ASSERT_TRUE(QFile::setPermissions(empty, QFile::ReadOwner | QFile::ExeOwner));
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }

    const QString path = databasePathFor(folder);
    EXPECT_EQ(path, folder + u"/ZoZ.mdb"_s) << "the shop's own file, not a new one elsewhere";
    {
        AppController program(path);
        EXPECT_FALSE(program.start());
    }
    ASSERT_EQ(hooks().messages().size(), 1) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(hooks().messages()[0].text, u"数据库所在的文件夹不可写："_s + folder);
    EXPECT_EQ(hooks().messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(readFile(path), factoryDatabaseImage());

    // A read-only program folder without a shop's file is an installed program: the user's own folder.
    QStandardPaths::setTestModeEnabled(true);
    EXPECT_EQ(QFileInfo(databasePathFor(empty)).absolutePath(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    QStandardPaths::setTestModeEnabled(false);
    if (!asRoot) {
        QFile::setPermissions(folder, mode);
        QFile::setPermissions(empty, mode);
    }
}

TEST_F(LoginStartupTest, TheLockBelongsToTheDatabaseWhoeverMadeItsFile)
{
    shop.writeFactory();
    TempShop otherShop;
    otherShop.writeFactory();
    // Left by a copy another account ran, which has ended: readable, not writable, owned by another.
    {
        QFile left(shop.lockPath());
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::setPermissions(shop.lockPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(shop.lockPath()).constData(), 65534, 65534), 0);
    }

    AppController first(shop.databasePath());
    ASSERT_TRUE(first.start()) << hooks().messageTexts().join(u'|').toStdString();
    EXPECT_EQ(QFileInfo(shop.lockPath()).absolutePath(), QFileInfo(shop.databasePath()).absolutePath());
    AppController otherData(otherShop.databasePath());
    EXPECT_TRUE(otherData.start()) << "another shop's data is no second copy of this one";
    EXPECT_TRUE(hooks().messages().isEmpty()) << hooks().messageTexts().join(u'|').toStdString();

    AppController second(shop.databasePath());
    EXPECT_FALSE(second.start());
    EXPECT_EQ(hooks().messageTexts(), QStringList{u"程序已经运行!"_s});
}

TEST_F(LoginStartupTest, ALockFileThatCannotBeMadeSaysWhyAndEndsTheProgram)
{
    shop.writeFactory();
    ASSERT_TRUE(QDir().mkdir(shop.lockPath())); // something else stands where the lock file goes
    EXPECT_FALSE(startProgram());
    ASSERT_EQ(hooks().messages().size(), 1);
    const ShownMessage& shown = hooks().messages()[0];
    EXPECT_TRUE(shown.text.startsWith(u"无法创建锁文件："_s + shop.lockPath())) << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(qt_error_string(EISDIR))) << shown.text.toStdString();
    EXPECT_EQ(shown.icon, MessageIcon::Error);
    EXPECT_FALSE(loginWindowWidget()->isVisible());
}

} // namespace
} // namespace quorrel::test
