#include "gui/app/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorrel {

SingleInstance::SingleInstance(QString lockPath) : m_path(lockPath.isEmpty() ? defaultLockPath() : std::move(lockPath))
{}

QString SingleInstance::defaultLockPath()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return directory + u'/' + exe + QStringLiteral(".lock");
}

bool SingleInstance::acquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock left by a crashed copy is recognised by its dead process
    return m_lock->tryLock(0);
}

} // namespace quorrel

namespace quorrel {

void SingleInstance::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

} // namespace quorrel
