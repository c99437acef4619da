#pragma once

#include <QString>

namespace quorrel {

// One running copy per database file, or per till on a server: a lock on a file beside the shop's database, whoever
// runs the program. The system releases the lock when the holding process ends, however it ends, so a copy that crashed
// never blocks the next start.
class SingleInstance
{
public:
    explicit SingleInstance(QString lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Result
    {
        Acquired,
        HeldByAnotherCopy,
        Failed, // the lock file could not be made or locked: errorString() says why
    };
    // `waitMs`: how long a lock held by another copy is tried again before HeldByAnotherCopy, for
    // a new copy started by one that is about to end.
    Result acquire(int waitMs = 0);
    // The system's reason for the last Failed.
    QString errorString() const { return m_error; }
    // Lets another copy start, as when this one hands over to a new copy of itself.
    void release();
    QString lockPath() const { return m_path; }

    // The lock of the copy working on `databasePath`: beside it; for a server's shop, in the user's
    // data folder (one copy per till, however many tills share the server).
    static QString lockPathFor(const QString& databasePath);

private:
    QString m_path;
    QString m_error;
    int m_fd = -1;
};

} // namespace quorrel
