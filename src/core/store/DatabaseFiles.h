#pragma once

#include <QString>
#include <QStringList>

namespace quorrel {

// The files that belong to the shop's database file: the file itself (which may be a symbolic link
// to the file that holds the data), the names the database engine and the program keep beside it,
// and what a run of the program killed in the middle of writing a file left behind.

// The file `path` names once every symbolic link is followed. A name that does not exist (yet) is
// kept as the last link names it.
QString followLinks(const QString& path);

// True when writing `target` would overwrite the database or anything kept beside it: the file
// itself, a link (symbolic or hard) to it, its journals ("-journal", "-wal", "-shm"), the
// single-instance lock, the kept copies of earlier restores, and the program's temporary files.
bool isDatabaseOwnFile(const QString& databasePath, const QString& target);

// The kept copy a restore makes of the file it replaces: "<file>.bak-yyMMddHHmmss" beside it.
inline const QString kKeptCopyMark = QStringLiteral(".bak-");
// The copy a restore checks before it replaces the database: "<file>.restore-XXXXXX" beside it.
inline const QString kStagedRestoreMark = QStringLiteral(".restore-");

// Notes a temporary file being written for the shop (a backup or workbook may be written far from
// the database) beside the database, so that the next start removes it should this run be killed
// before it is gone; forgetUnfinished() when it is gone. Best effort: a note that cannot be written
// only means that a leftover is not removed.
void noteUnfinished(const QString& databasePath, const QString& temporaryPath);
void forgetUnfinished(const QString& databasePath, const QString& temporaryPath);

// At start-up, before the database is opened and while no other copy of the program can run on it:
// removes what an earlier run killed in the middle of a backup, reset, restore or export left
// behind (temporary and staged files, a kept copy that is still the database itself). Returns
// the names removed.
QStringList removeLeftovers(const QString& databasePath);

} // namespace quorrel
