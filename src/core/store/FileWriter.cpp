#include "core/store/FileWriter.h"

#include "core/store/ReplacingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

FileWriter g_systemWriter;
FileWriter* g_writer = &g_systemWriter;

} // namespace

qint64 FileWriter::write(int fd, const char* data, qint64 size)
{
    return ::write(fd, data, static_cast<size_t>(size));
}

int FileWriter::sync(int fd)
{
    return ::fsync(fd);
}

FileWriter& FileWriter::current()
{
    return *g_writer;
}

void FileWriter::setCurrent(FileWriter* writer)
{
    g_writer = writer ? writer : &g_systemWriter;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    // A new file is its owner's alone: a shop file holds every sale and the users' password hashes.
    ReplacingFile file(path, ReplacingFile::Permissions::KeepOrOwnerOnly);
    if (file.open() && file.write(bytes) && file.finish() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace quorrel
