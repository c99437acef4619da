#include "support/SmallDisk.h"

#include <QFile>

#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>

namespace quorrel::test {

SmallDisk::SmallDisk(qint64 bytes)
{
    if (::geteuid() != 0) {
        m_refusal = QStringLiteral("mounting a small disk takes root");
        return;
    }
    if (!m_dir.isValid()) {
        m_refusal = m_dir.errorString();
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        m_refusal = QStringLiteral("mount: ") + qt_error_string(errno);
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool SmallDisk::makeReadOnly()
{
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

} // namespace quorrel::test
