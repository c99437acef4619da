#pragma once

#include <QString>
#include <QTemporaryDir>

namespace quorrel::test {

// A real file system of a few kilobytes (tmpfs), mounted on a temporary folder for the life of the
// object, to meet a full or read-only disk as the program would. Mounting takes root; tests skip
// when it is refused, and say why.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return m_mounted; }
    // Why it could not be mounted.
    QString refusal() const { return m_refusal; }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Remounts it read-only, as a write-protected medium or a read-only network share.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_refusal;
};

} // namespace quorrel::test
