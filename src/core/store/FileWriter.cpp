#include "core/store/FileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

FileWriter g_systemWriter;
FileWriter* g_writer = &g_systemWriter;

// A new file beside `target` that no other writer has: a name of its own, created exclusively.
int createBeside(const QString& target, QString* created)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate = info.absolutePath() + QStringLiteral("/.") + info.fileName() + u'.' +
                                  QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".part");
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *created = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// What remains to do when a step failed: the new file goes, the target stays as it was.
bool fail(const QString& path, const QString& reason, int fd, const QString& partial, QString* error)
{
    if (fd >= 0)
        ::close(fd);
    if (!partial.isEmpty())
        ::unlink(QFile::encodeName(partial).constData());
    if (error)
        *error = QStringLiteral("无法写入 %1：%2").arg(path, reason);
    return false;
}

QString systemReason(int code)
{
    return qt_error_string(code);
}

} // namespace

qint64 FileWriter::write(int fd, const char* data, qint64 size)
{
    return ::write(fd, data, static_cast<size_t>(size));
}

int FileWriter::sync(int fd)
{
    return ::fsync(fd);
}

FileWriter& FileWriter::current()
{
    return *g_writer;
}

void FileWriter::setCurrent(FileWriter* writer)
{
    g_writer = writer ? writer : &g_systemWriter;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    QString partial;
    int fd = createBeside(path, &partial);
    if (fd < 0)
        return fail(path, systemReason(errno), -1, QString(), error);

    // The file being replaced may be shared with another account of the till: keep its permissions.
    struct stat existing;
    if (::stat(target.constData(), &existing) == 0 && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return fail(path, systemReason(errno), fd, partial, error);

    FileWriter& writer = FileWriter::current();
    const char* data = bytes.constData();
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = writer.write(fd, data + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(path, systemReason(errno), fd, partial, error);
        if (n == 0) // nothing taken and no reason given: the device is full
            return fail(path, systemReason(ENOSPC), fd, partial, error);
        written += n;
    }
    // A file system may accept the writes and refuse the blocks only when they are flushed.
    if (writer.sync(fd) != 0)
        return fail(path, systemReason(errno), fd, partial, error);
    struct stat stored;
    if (::fstat(fd, &stored) != 0)
        return fail(path, systemReason(errno), fd, partial, error);
    if (stored.st_size != bytes.size())
        return fail(
            path,
            QStringLiteral("写入 %1 字节，文件只有 %2 字节").arg(bytes.size()).arg(static_cast<qint64>(stored.st_size)),
            fd, partial, error);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return fail(path, systemReason(errno), -1, partial, error);
    if (::rename(QFile::encodeName(partial).constData(), target.constData()) != 0)
        return fail(path, systemReason(errno), -1, partial, error);

    // The file is whole and in place; syncing its folder only makes the new name survive a power cut,
    // which not every file system supports, so a refusal here is no failed write.
    const int folder =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace quorrel
