#pragma once

#include <QByteArray>
#include <QString>

namespace quorrel {

// The two system calls a whole-file write goes through. The program uses the system's own; a test
// puts in one that runs out of space after so many bytes, as a full disk does.
class FileWriter
{
public:
    virtual ~FileWriter() = default;

    // As write(2): the bytes written (possibly fewer than asked), or -1 with errno set.
    virtual qint64 write(int fd, const char* data, qint64 size);
    // As fsync(2): 0, or -1 with errno set.
    virtual int sync(int fd);

    static FileWriter& current();

protected:
    // Puts `writer` in place of the system's calls; nullptr gives them back.
    static void setCurrent(FileWriter* writer);
};

// Writes `bytes` to `path` whole or not at all: into a new file beside it, every write checked,
// forced to the disk and read back, then renamed over `path` (see ReplacingFile). A file already at
// `path` keeps its permissions and owner, a link is written through, and a new file is made 0600. On failure `path` is
// as it was, nothing else is left in its folder and `error` gives the file and the system's reason.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace quorrel
