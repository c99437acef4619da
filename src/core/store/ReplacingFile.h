#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace quorrel {

// A file written beside the one it creates or replaces, and put in its place only once it is whole:
// every write goes through FileWriter and is checked, the bytes are forced to the disk, the file is
// closed and read back (its size and its first bytes), and only then renamed over the target in one
// step. Until commit() the target is as it was; the temporary file goes with the object unless it
// was committed. A target that is a symbolic link is written through: the file it names is
// replaced and the link stays.
//
// The temporary file is named ".<target's name>.<random>.part" in the target's folder. When a
// database path is given, its name is also noted beside that database until it is gone, so that the
// next start removes it should the program be killed before then (see DatabaseFiles).
class ReplacingFile
{
public:
    enum class Permissions
    {
        OwnerOnly,       // readable and writable by its owner only (0600), whatever it replaces
        KeepOrOwnerOnly, // those of the file it replaces, owner included; a new file 0600
        KeepOrDefault,   // those of the file it replaces, owner included; a new file as the umask says
    };

    explicit ReplacingFile(const QString& target, Permissions permissions, const QString& databasePath = QString());
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file. False with errorString() set when it cannot be made.
    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // A write-only device over write(), for writers that take one. Valid while the file is open.
    QIODevice* device();

    // Forces what was written to the disk, closes the file and reads it back: its size and its
    // first bytes must be what was written. The file can then be checked further at
    // temporaryPath() before commit().
    bool finish();
    // Renames the finished file over the target.
    bool commit();
    // Removes the temporary file (and a journal SQLite may have left beside it); the target stays
    // as it was.
    void discard();

    // The file that is replaced, every link followed.
    QString targetPath() const { return m_target; }
    QString temporaryPath() const { return m_temporary; }
    qint64 size() const { return m_written; }

    // Why the last step failed: the file and the system's reason.
    QString errorString() const { return m_error; }
    // The failure was the disk's lack of room.
    bool diskFull() const;

    // Whether a file name is that of a temporary file made by this class.
    static bool isTemporaryName(const QString& fileName);

private:
    bool fail(int code, const QString& reason = QString());
    void closeFile();

    QString m_requested;
    QString m_target;
    QString m_temporary;
    QString m_databasePath;
    Permissions m_permissions;
    int m_fd = -1;
    qint64 m_written = 0;
    QByteArray m_head; // the first bytes written, compared when the file is read back
    bool m_committed = false;
    int m_errno = 0;
    QString m_error;
    std::unique_ptr<QIODevice> m_device;
};

} // namespace quorrel
