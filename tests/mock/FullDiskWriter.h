#pragma once

#include "core/store/FileWriter.h"

#include <condition_variable>
#include <mutex>

namespace quorrel::test {

// A disk with room for `capacity` more bytes, in place of the system's for the life of the object:
// writes are cut short at the limit and then fail with ENOSPC, as on a full disk. With
// `syncFails`, flushing to the disk fails with EIO even when every write was taken.
class FullDiskWriter : public FileWriter
{
public:
    explicit FullDiskWriter(qint64 capacity, bool syncFails = false);
    ~FullDiskWriter() override;
    FullDiskWriter(const FullDiskWriter&) = delete;
    FullDiskWriter& operator=(const FullDiskWriter&) = delete;

    qint64 write(int fd, const char* data, qint64 size) override;
    int sync(int fd) override;

private:
    qint64 m_room;
    bool m_syncFails;
};

// A disk whose flush waits until release() is called: file work stays under way, on its worker,
// for as long as a test needs it to.
class HeldDiskWriter : public FileWriter
{
public:
    HeldDiskWriter();
    ~HeldDiskWriter() override;
    HeldDiskWriter(const HeldDiskWriter&) = delete;
    HeldDiskWriter& operator=(const HeldDiskWriter&) = delete;

    int sync(int fd) override;
    void release();

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
};

} // namespace quorrel::test
