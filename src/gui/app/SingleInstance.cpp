#include "gui/app/SingleInstance.h"

#include "core/store/Database.h"

#include <QDir>
#include <QStandardPaths>

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorrel {

SingleInstance::SingleInstance(QString lockPath) : m_path(std::move(lockPath)) {}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::lockPathFor(const QString& databasePath)
{
    // Several tills share a server: the lock keeps one copy per till, beside this user's data.
    if (Database::isServerConnection(databasePath)) {
        const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(perUser); // a folder that cannot be made shows as a lock that cannot be made
        return perUser + QStringLiteral("/till.lock");
    }
    return databasePath + QStringLiteral(".lock");
}

SingleInstance::Result SingleInstance::acquire(int waitMs)
{
    if (m_fd >= 0)
        return Result::Acquired;
    m_error.clear();
    const QByteArray path = QFile::encodeName(m_path);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    const int createError = errno;
    // The file may have been made by another account of the till, readable but not writable for
    // this one; a lock needs no write access.
    if (fd < 0 && createError == EACCES)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_error = qt_error_string(createError);
        return Result::Failed;
    }
    QElapsedTimer waited;
    waited.start();
    int locked;
    for (;;) {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
        if (locked == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited.elapsed() >= waitMs)
            break;
        ::usleep(50 * 1000);
    }
    if (locked != 0) {
        const int lockError = errno;
        ::close(fd);
        if (lockError == EWOULDBLOCK)
            return Result::HeldByAnotherCopy;
        m_error = qt_error_string(lockError);
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstance::release()
{
    // The file stays: removing it could let a copy that has just opened it lock a name nobody else
    // sees any more.
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
}

} // namespace quorrel
