#include "mock/FullDiskWriter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace quorrel::test {

FullDiskWriter::FullDiskWriter(qint64 capacity, bool syncFails) : m_room(capacity), m_syncFails(syncFails)
{
    setCurrent(this);
}

FullDiskWriter::~FullDiskWriter()
{
    setCurrent(nullptr);
}

qint64 FullDiskWriter::write(int fd, const char* data, qint64 size)
{
    if (m_room <= 0) {
        errno = ENOSPC;
        return -1;
    }
    // Like a real device, take what fits in pieces the caller must go on from.
    const qint64 taken = FileWriter::write(fd, data, std::min({size, m_room, qint64(4096)}));
    if (taken > 0)
        m_room -= taken;
    return taken;
}

int FullDiskWriter::sync(int fd)
{
    if (m_syncFails) {
        errno = EIO;
        return -1;
    }
    return FileWriter::sync(fd);
}

HeldDiskWriter::HeldDiskWriter()
{
    setCurrent(this);
}

HeldDiskWriter::~HeldDiskWriter()
{
    release();
    setCurrent(nullptr);
}

int HeldDiskWriter::sync(int fd)
{
    std::unique_lock lock(m_mutex);
    m_released.wait(lock, [this] { return m_open; });
    return FileWriter::sync(fd);
}

void HeldDiskWriter::release()
{
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_released.notify_all();
}

} // namespace quorrel::test
