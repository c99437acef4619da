#pragma once

#include <QDateTime>
#include <QString>

namespace quorrel {

// Copies the closed database file to `target` byte for byte: into a temporary file in the target's
// folder, flushed and checked against the database's size, then renamed to the chosen name.
// Refuses a target that is the database file itself (also through a link). False with `error` set
// when nothing usable was written; an earlier file of that name is then left as it was.
// True when `target` names the database file itself, also through a link.
bool isDatabaseFile(const QString& databasePath, const QString& target);

bool backUpDatabase(const QString& databasePath, const QString& target, QString* error = nullptr);

// Backs up, then writes the factory database in place of the shop's (atomically).
enum class ResetResult
{
    Done,
    BackupFailed,  // the database is left as it was
    FactoryFailed, // the backup is written, the database is left as it was
};
ResetResult resetDatabase(const QString& databasePath, const QString& backupTarget, QString* error = nullptr);

// A copy of `source` beside the database, checked to be a shop database: it opens with the
// program's key and holds the seven tables. Empty when it is not one (the copy is then removed).
QString stageRestore(const QString& databasePath, const QString& source, QString* error = nullptr);

// Keeps the current database as "ZoZ.mdb.bak-yyMMddHHmmss" beside it and renames the staged copy
// into place. False when either step failed; the current database then stays in place.
bool finishRestore(const QString& databasePath, const QString& staged, const QDateTime& now, QString* keptAs = nullptr,
                   QString* error = nullptr);

} // namespace quorrel
