#include "core/records/DataReset.h"

#include "core/store/Database.h"
#include "core/store/DatabaseFiles.h"
#include "core/store/FactoryDatabase.h"
#include "core/store/ReplacingFile.h"
#include "core/store/Schema.h"
#include "core/store/ShopFileCheck.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

constexpr qint64 kCopyChunk = 1 << 20;

FileOutcome failed(FileFailure failure, const QString& error)
{
    return FileOutcome{failure, error};
}

FileOutcome writeFailed(const ReplacingFile& copy)
{
    return failed(copy.diskFull() ? FileFailure::DiskFull : FileFailure::Failed, copy.errorString());
}

// A source that is no regular file (a pipe, a device, a folder) is refused before anything reads
// it: opening it does not wait for a writer, and nothing waits for its data.
int openRegularFile(const QString& path, FileOutcome* outcome)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int reason = errno;
        *outcome = failed(reason == ENOENT ? FileFailure::NotAShopFile : FileFailure::Failed,
                          QStringLiteral("无法打开 %1：%2").arg(path, qt_error_string(reason)));
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
        *outcome = failed(FileFailure::NotAShopFile, QStringLiteral("不是数据库文件：%1").arg(path));
        ::close(fd);
        return -1;
    }
    return fd;
}

// Copies the open file `fd` into `copy`. A failed read is said in `readError`; a failed write is
// the copy's own.
bool copyInto(int fd, const QString& source, ReplacingFile& copy, QString* readError)
{
    QByteArray buffer(kCopyChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), static_cast<size_t>(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *readError = QStringLiteral("无法读取 %1：%2").arg(source, qt_error_string(errno));
            return false;
        }
        if (n == 0)
            return true;
        if (!copy.write(buffer.constData(), n))
            return false;
    }
}

// The rows of every table of the file, after its key and its pages have been checked.
Result<QMap<QString, qint64>> checkedRows(const QString& path)
{
    Database db;
    if (!db.openReadOnly(path, QByteArray(schema::kDatabaseKey)))
        return db.failure();
    if (const Done pages = shopfile::quickCheck(db); !pages)
        return Error{pages.error()};
    return shopfile::tableRows(db);
}

} // namespace

FileOutcome stageDatabaseCopy(const QString& source, ReplacingFile& copy)
{
    FileOutcome outcome;
    const int fd = openRegularFile(source, &outcome);
    if (fd < 0)
        return outcome;
    const Result<QMap<QString, qint64>> expected = checkedRows(source);
    if (!expected) {
        ::close(fd);
        return failed(FileFailure::NotAShopFile, expected.error());
    }
    QString readError;
    const bool copied = copy.open() && copyInto(fd, source, copy, &readError);
    ::close(fd);
    if (!copied)
        return readError.isEmpty() ? writeFailed(copy) : failed(FileFailure::Failed, readError);
    if (!copy.finish())
        return writeFailed(copy);
    const Result<QMap<QString, qint64>> found = checkedRows(copy.temporaryPath());
    if (!found)
        return failed(FileFailure::Failed, QStringLiteral("副本读不出：%1").arg(found.error()));
    if (*found != *expected)
        return failed(FileFailure::Failed, QStringLiteral("副本的行数与 %1 不同").arg(source));
    return outcome;
}

FileOutcome backUpDatabase(const QString& databasePath, const QString& target)
{
    if (isDatabaseOwnFile(databasePath, target))
        return failed(FileFailure::OwnFile, QStringLiteral("备份文件不能是数据库自己的文件：%1").arg(target));
    ReplacingFile copy(target, ReplacingFile::Permissions::OwnerOnly, databasePath);
    FileOutcome staged = stageDatabaseCopy(followLinks(databasePath), copy);
    if (staged.failure == FileFailure::NotAShopFile)
        staged.failure = FileFailure::Failed; // the shop's own file could not be read
    if (!staged)
        return staged;
    if (!copy.commit())
        return writeFailed(copy);
    return staged;
}

ResetResult resetDatabase(const QString& databasePath, const QString& backupTarget, QString* error)
{
    const FileOutcome backup = backUpDatabase(databasePath, backupTarget);
    if (!backup) {
        if (error)
            *error = backup.error;
        return backup.failure == FileFailure::OwnFile ? ResetResult::OwnFile : ResetResult::BackupFailed;
    }
    if (!writeFactoryDatabase(databasePath, error))
        return ResetResult::FactoryFailed;
    return ResetResult::Done;
}

FileOutcome stageRestore(const QString& source, ReplacingFile& copy)
{
    FileOutcome staged = stageDatabaseCopy(source, copy);
    if (!staged)
        return staged;
    // The copy, not the chosen file, is opened as the program opens its database: a file of an
    // earlier release is brought up to date here, and must then hold all the program reads.
    Database candidate;
    if (!candidate.open(copy.temporaryPath(), QByteArray(schema::kDatabaseKey)))
        return failed(candidate.lastErrorCode() == SQLITE_FULL ? FileFailure::DiskFull : FileFailure::NotAShopFile,
                      candidate.lastError());
    if (const Done columns = shopfile::hasShopColumns(candidate); !columns)
        return failed(FileFailure::NotAShopFile, columns.error());
    if (const Done pages = shopfile::quickCheck(candidate); !pages)
        return failed(FileFailure::NotAShopFile, pages.error());
    return staged;
}

FileOutcome finishRestore(ReplacingFile& copy, const QDateTime& now, QString* keptAs)
{
    const QString database = copy.targetPath();
    const QString kept = database + kKeptCopyMark + now.toString(QStringLiteral("yyMMddHHmmss"));
    if (QFile::exists(kept))
        return failed(FileFailure::Failed, QStringLiteral("已有文件 %1").arg(kept));
    // A second name of the database costs neither time nor room, and leaves no moment in which the
    // data is only in the kept copy. A run killed before the rename leaves a "kept copy" that is
    // still the database, which the next start removes (removeLeftovers).
    bool linked = ::link(QFile::encodeName(database).constData(), QFile::encodeName(kept).constData()) == 0;
    if (!linked) {
        ReplacingFile keptCopy(kept, ReplacingFile::Permissions::OwnerOnly);
        if (FileOutcome copied = stageDatabaseCopy(database, keptCopy); !copied)
            return copied.failure == FileFailure::NotAShopFile ? failed(FileFailure::Failed, copied.error) : copied;
        if (!keptCopy.commit())
            return writeFailed(keptCopy);
    }
    if (!copy.commit()) {
        if (linked)
            ::unlink(QFile::encodeName(kept).constData());
        return writeFailed(copy);
    }
    if (keptAs)
        *keptAs = kept;
    return FileOutcome{};
}

} // namespace quorrel
