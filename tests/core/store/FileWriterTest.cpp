// Whole-file writes under a full disk: the factory database (and every file written the same way) is
// in place whole or not at all, and a failure says so with the system's reason.

#include "core/store/FileWriter.h"
#include "core/store/FactoryDatabase.h"
#include "mock/FullDiskWriter.h"
#include "support/PrintTo.h"
#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

namespace quorrel::test {
namespace {

using namespace Qt::StringLiterals;

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every name in the folder, hidden ones too: a failed write must leave no partial file behind.
QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(FileWriter, ADiskFullAtAnyPointLeavesNoFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"ZoZ.mdb"_s);
    const QByteArray image = factoryDatabaseImage();
    ASSERT_GT(image.size(), 12288);
    for (const qint64 room : {qint64(0), qint64(4096), qint64(8192), qint64(12288), qint64(image.size() - 1)}) {
        SCOPED_TRACE(room);
        FullDiskWriter disk(room);
        QString error;
        EXPECT_FALSE(writeFactoryDatabase(path, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_TRUE(error.contains(qt_error_string(ENOSPC))) << error.toStdString();
        EXPECT_EQ(everything(dir.path()), QStringList());
    }
    // With room enough the same write goes through.
    FullDiskWriter roomy(image.size());
    ASSERT_TRUE(writeFactoryDatabase(path));
    EXPECT_EQ(readBytes(path), image);
    EXPECT_EQ(everything(dir.path()), QStringList{u"ZoZ.mdb"_s});
}

TEST(FileWriter, AFailedReplacementLeavesTheOldFileAsItWasAndAGoodOneKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"ZoZ.mdb"_s);
    const QByteArray old(5000, 'o');
    ASSERT_TRUE(writeFileAtomically(path, old));
    const auto shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    const QByteArray replacement(9000, 'n');

    {
        FullDiskWriter disk(4096);
        EXPECT_FALSE(writeFileAtomically(path, replacement));
    }
    EXPECT_EQ(readBytes(path), old);
    {
        // Every write taken, but the blocks refused when forced to the disk.
        FullDiskWriter disk(1 << 20, true);
        QString error;
        EXPECT_FALSE(writeFileAtomically(path, replacement, &error));
        EXPECT_TRUE(error.contains(qt_error_string(EIO))) << error.toStdString();
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(everything(dir.path()), QStringList{u"ZoZ.mdb"_s});

    ASSERT_TRUE(writeFileAtomically(path, replacement));
    EXPECT_EQ(readBytes(path), replacement);
    const auto modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & modeBits, shared) << "another account of the till may still write it";
}

TEST(FileWriter, FactoryDatabaseOnARealDiskTooSmallForItIsRefusedWhole)
{
    SmallDisk disk(8192);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    const QString path = disk.filePath(u"ZoZ.mdb"_s);
    QString error;
    EXPECT_FALSE(writeFactoryDatabase(path, &error)) << "8 KB cannot hold the factory database";
    EXPECT_TRUE(error.contains(qt_error_string(ENOSPC))) << error.toStdString();
    EXPECT_EQ(everything(disk.path()), QStringList());

    SmallDisk roomy(factoryDatabaseImage().size() + 65536);
    ASSERT_TRUE(roomy.isMounted()) << roomy.refusal().toStdString();
    ASSERT_TRUE(writeFactoryDatabase(roomy.filePath(u"ZoZ.mdb"_s), &error)) << error.toStdString();
    EXPECT_EQ(readBytes(roomy.filePath(u"ZoZ.mdb"_s)), factoryDatabaseImage());
}

} // namespace
} // namespace quorrel::test
