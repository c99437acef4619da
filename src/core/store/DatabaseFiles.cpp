#include "core/store/DatabaseFiles.h"

#include "core/store/ReplacingFile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

// Beside the database: the temporary files being written elsewhere for it, one "+path" line when
// one is made and a "-path" line when it is gone. Removed once nothing is being written.
const QString kUnfinishedNote = QStringLiteral(".unfinished");
// The single-instance lock of the program beside the database (SingleInstance::lockPathFor).
const QString kLockSuffix = QStringLiteral(".lock");

std::mutex g_noteMutex;
QHash<QString, int> g_notedFiles; // note path → files noted in it and not yet gone

QByteArray nativeName(const QString& path)
{
    return QFile::encodeName(path);
}

// A file's folder with its links followed, and its name.
struct Place
{
    QString folder;
    QString name;
};

Place placeOf(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return Place{folder.isEmpty() ? info.absolutePath() : folder, info.fileName()};
}

bool isCompanionName(const QString& name, const QString& database)
{
    static const QStringList kSuffixes{
        QString(),      QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm"), kLockSuffix,
        kUnfinishedNote};
    for (const QString& suffix : kSuffixes) {
        if (name == database + suffix)
            return true;
    }
    return name.startsWith(database + kKeptCopyMark) || name.startsWith(database + kStagedRestoreMark) ||
           (name.startsWith(u'.' + database + u'.') && ReplacingFile::isTemporaryName(name));
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first;
    struct stat second;
    return ::stat(nativeName(a).constData(), &first) == 0 && ::stat(nativeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void appendToNote(const QString& note, const QString& line)
{
    const int fd = ::open(nativeName(note).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray bytes = line.toUtf8() + '\n';
    if (fd < 0 || ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size())
        qWarning().noquote() << "not noted in" << note << ":" << line << qt_error_string(errno);
    if (fd >= 0)
        ::close(fd);
}

// The database as named and the file it links to: the journals lie beside either.
QStringList formsOf(const QString& databasePath)
{
    QStringList forms{QFileInfo(databasePath).absoluteFilePath()};
    const QString followed = followLinks(databasePath);
    if (followed != forms.first())
        forms << followed;
    return forms;
}

} // namespace

QString followLinks(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    // As many links as the system itself follows before it gives up.
    for (int depth = 0; depth < 40; ++depth) {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(nativeName(current).constData(), buffer, sizeof buffer);
        if (n < 0 || n == static_cast<ssize_t>(sizeof buffer))
            return current; // not a link, or nothing there
        const QString target = QFile::decodeName(QByteArray(buffer, n));
        current = QDir::cleanPath(QFileInfo(target).isAbsolute() ? target
                                                                 : QFileInfo(current).absolutePath() + u'/' + target);
    }
    return current;
}

bool isDatabaseOwnFile(const QString& databasePath, const QString& target)
{
    if (databasePath.isEmpty() || target.isEmpty())
        return false;
    const QStringList targets{target, followLinks(target)};
    for (const QString& database : formsOf(databasePath)) {
        const Place own = placeOf(database);
        for (const QString& path : targets) {
            const Place place = placeOf(path);
            if (place.folder == own.folder && isCompanionName(place.name, own.name))
                return true;
        }
    }
    // A hard link, or the database reached through a linked folder.
    return sameFile(target, databasePath);
}

void noteUnfinished(const QString& databasePath, const QString& temporaryPath)
{
    const QString note = databasePath + kUnfinishedNote;
    std::lock_guard lock(g_noteMutex);
    appendToNote(note, u'+' + temporaryPath);
    ++g_notedFiles[note];
}

void forgetUnfinished(const QString& databasePath, const QString& temporaryPath)
{
    const QString note = databasePath + kUnfinishedNote;
    std::lock_guard lock(g_noteMutex);
    if (--g_notedFiles[note] > 0) {
        appendToNote(note, u'-' + temporaryPath);
        return;
    }
    g_notedFiles.remove(note);
    if (::unlink(nativeName(note).constData()) != 0 && errno != ENOENT)
        qWarning().noquote() << "note not removed:" << note << qt_error_string(errno);
}

QStringList removeLeftovers(const QString& databasePath)
{
    QStringList removed;
    auto remove = [&removed](const QString& path) {
        if (::unlink(nativeName(path).constData()) == 0)
            removed << path;
    };

    // What was being written far from the database; only names this program gives its temporary
    // files are ever removed, whatever the note says.
    const QString note = databasePath + kUnfinishedNote;
    QFile noted(note);
    if (noted.open(QIODevice::ReadOnly)) {
        QStringList pending;
        for (const QByteArray& line : noted.readAll().split('\n')) {
            const QString path = QString::fromUtf8(line.mid(1));
            if (line.startsWith('+'))
                pending << path;
            else if (line.startsWith('-'))
                pending.removeOne(path);
        }
        noted.close();
        for (const QString& path : pending) {
            if (ReplacingFile::isTemporaryName(QFileInfo(path).fileName())) {
                remove(path);
                remove(path + QStringLiteral("-journal"));
            }
        }
        remove(note);
    }

    for (const QString& database : formsOf(databasePath)) {
        const QFileInfo info(database);
        const QString name = info.fileName();
        const QDir folder = info.absoluteDir();
        for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = folder.filePath(entry);
            if (entry.startsWith(name + kStagedRestoreMark) ||
                (entry.startsWith(u'.' + name + u'.') && ReplacingFile::isTemporaryName(entry))) {
                remove(path);
            } else if (entry.startsWith(name + kKeptCopyMark) && sameFile(path, database)) {
                // A restore killed between keeping the old file and putting the new one in place:
                // the "kept copy" is the database itself, and would change with it.
                remove(path);
            }
        }
    }
    return removed;
}

} // namespace quorrel
