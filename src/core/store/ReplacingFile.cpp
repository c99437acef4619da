#include "core/store/ReplacingFile.h"

#include "core/store/DatabaseFiles.h"
#include "core/store/FileWriter.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

// How much of the beginning is compared when the file is read back: a workbook's header sector and
// its first record, a database's first pages.
constexpr qint64 kHeadSize = 4096;

QByteArray nativeName(const QString& path)
{
    return QFile::encodeName(path);
}

// Hands a writer's bytes to the file, so that a failed write fails the writer at once.
class FileDevice : public QIODevice
{
public:
    explicit FileDevice(ReplacingFile& file) : m_file(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_file.write(data, size)) {
            setErrorString(m_file.errorString());
            return -1;
        }
        return size;
    }

private:
    ReplacingFile& m_file;
};

} // namespace

ReplacingFile::ReplacingFile(const QString& target, Permissions permissions, const QString& databasePath)
    : m_requested(target), m_target(followLinks(target)), m_databasePath(databasePath), m_permissions(permissions)
{}

ReplacingFile::~ReplacingFile()
{
    if (!m_committed)
        discard();
}

bool ReplacingFile::fail(int code, const QString& reason)
{
    m_errno = code;
    m_error = QStringLiteral("无法写入 %1：%2").arg(m_requested, reason.isEmpty() ? qt_error_string(code) : reason);
    return false;
}

bool ReplacingFile::diskFull() const
{
    return m_errno == ENOSPC || m_errno == EDQUOT;
}

bool ReplacingFile::isTemporaryName(const QString& fileName)
{
    return fileName.startsWith(u'.') &&
           (fileName.endsWith(QStringLiteral(".part")) || fileName.contains(QStringLiteral(".part-")));
}

bool ReplacingFile::open()
{
    const QFileInfo target(m_target);
    const mode_t createMode = m_permissions == Permissions::KeepOrDefault ? 0666 : 0600;
    for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
        const QString candidate = target.absolutePath() + QStringLiteral("/.") + target.fileName() + u'.' +
                                  QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".part");
        // Noted before it exists: a run killed right after making it leaves nothing unaccounted for.
        if (!m_databasePath.isEmpty())
            noteUnfinished(m_databasePath, candidate);
        m_fd = ::open(nativeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        const int created = errno;
        if (m_fd >= 0) {
            m_temporary = candidate;
            break;
        }
        if (!m_databasePath.isEmpty())
            forgetUnfinished(m_databasePath, candidate);
        if (created != EEXIST)
            return fail(created);
    }
    if (m_fd < 0)
        return fail(EEXIST);

    // A database shared with another account of the till must stay theirs as well.
    struct stat existing;
    if (m_permissions != Permissions::OwnerOnly && ::stat(nativeName(m_target).constData(), &existing) == 0) {
        struct stat made;
        if (::fstat(m_fd, &made) != 0)
            return fail(errno);
        if ((made.st_uid != existing.st_uid || made.st_gid != existing.st_gid) &&
            ::fchown(m_fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the system's administrator may give a file away; the group is still kept when
            // this account belongs to it.
            const int refused = errno;
            if (::fchown(m_fd, static_cast<uid_t>(-1), existing.st_gid) != 0)
                qWarning().noquote() << "owner of" << m_target << "not kept:" << qt_error_string(refused);
        }
        if (::fchmod(m_fd, existing.st_mode & 07777) != 0)
            return fail(errno);
    }
    return true;
}

bool ReplacingFile::write(const char* data, qint64 size)
{
    if (m_fd < 0)
        return fail(EBADF);
    if (m_head.size() < kHeadSize)
        m_head.append(data, std::min(size, kHeadSize - m_head.size()));
    FileWriter& writer = FileWriter::current();
    qint64 done = 0;
    while (done < size) {
        const qint64 n = writer.write(m_fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(errno);
        if (n == 0) // nothing taken and no reason given: the device is full
            return fail(ENOSPC);
        done += n;
        m_written += n;
    }
    return true;
}

QIODevice* ReplacingFile::device()
{
    if (!m_device)
        m_device = std::make_unique<FileDevice>(*this);
    return m_device.get();
}

bool ReplacingFile::finish()
{
    if (m_fd < 0)
        return fail(EBADF);
    // A file system may take the writes and refuse the blocks only when they are forced out.
    if (FileWriter::current().sync(m_fd) != 0)
        return fail(errno);
    struct stat stored;
    if (::fstat(m_fd, &stored) != 0)
        return fail(errno);
    if (stored.st_size != m_written)
        return fail(EIO, QStringLiteral("写入 %1 字节，文件只有 %2 字节").arg(m_written).arg(qint64(stored.st_size)));
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return fail(errno);

    // Read back as a reader will find it.
    const int in = ::open(nativeName(m_temporary).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(errno);
    QByteArray head(m_head.size(), Qt::Uninitialized);
    qint64 got = 0;
    int readError = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(in, head.data() + got, static_cast<size_t>(head.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            readError = n < 0 ? errno : 0;
            break;
        }
        got += n;
    }
    const bool sized = ::fstat(in, &stored) == 0 && stored.st_size == m_written;
    ::close(in);
    if (readError != 0)
        return fail(readError);
    if (!sized || got != head.size() || head != m_head)
        return fail(EIO, QStringLiteral("读回的文件与写入的不同"));
    return true;
}

bool ReplacingFile::commit()
{
    if (m_temporary.isEmpty() || m_fd >= 0)
        return fail(EBADF);
    if (::rename(nativeName(m_temporary).constData(), nativeName(m_target).constData()) != 0)
        return fail(errno);
    m_committed = true;
    if (!m_databasePath.isEmpty())
        forgetUnfinished(m_databasePath, m_temporary);
    // The file is whole and in place; syncing its folder only makes the new name survive a power
    // cut, which not every file system supports, so a refusal here is no failed write.
    const int folder =
        ::open(nativeName(QFileInfo(m_target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

void ReplacingFile::closeFile()
{
    m_device.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void ReplacingFile::discard()
{
    closeFile();
    if (m_temporary.isEmpty() || m_committed)
        return;
    ::unlink(nativeName(m_temporary).constData());
    ::unlink(nativeName(m_temporary + QStringLiteral("-journal")).constData());
    if (!m_databasePath.isEmpty())
        forgetUnfinished(m_databasePath, m_temporary);
    m_temporary.clear();
}

} // namespace quorrel
