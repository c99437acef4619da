#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace quorrel {

// One running copy per user: a lock file named after the executable's file name in the user's
// runtime directory. The lock is held until this object goes.
class SingleInstance
{
public:
    // `lockPath` empty: the per-user default for this executable.
    explicit SingleInstance(QString lockPath = QString());

    // False when another running copy holds the lock.
    bool acquire();
    // Lets another copy start, as when this one hands over to a new copy of itself.
    void release();
    QString lockPath() const { return m_path; }

    static QString defaultLockPath();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quorrel
