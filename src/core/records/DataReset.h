#pragma once

#include "core/records/FileOutcome.h"

#include <QDateTime>
#include <QString>

namespace quorrel {

class ReplacingFile;

// Copies the database file at `source` into `copy` (opened here) and reads the copy back as a
// database before anything takes its name: it must open with the program's key, pass quick_check
// and hold as many rows in every table as `source`. `source` must be a regular file (a pipe or a
// device is refused at once, never waited on) that opens with the key and passes quick_check itself,
// else NotAShopFile. The caller commits the copy.
FileOutcome stageDatabaseCopy(const QString& source, ReplacingFile& copy);

// Backs the closed database up to `target`, readable by its owner only: a whole, checked copy
// (stageDatabaseCopy) is renamed to the chosen name, or nothing is, and an earlier file of that
// name stays as it was. The database itself, and every name kept beside it, is refused (OwnFile).
FileOutcome backUpDatabase(const QString& databasePath, const QString& target);

// Backs up, then puts the factory database in place of the shop's: through a link to the file it
// names, keeping that file's permissions and owner, whole or not at all.
enum class ResetResult
{
    Done,
    OwnFile,       // the backup target is the database or a name kept beside it: nothing done
    BackupFailed,  // the database is left as it was
    FactoryFailed, // the backup is written, the database is left as it was
};
ResetResult resetDatabase(const QString& databasePath, const QString& backupTarget, QString* error = nullptr);

// Checks `source` as the program will use it and stages it in `copy` (a ReplacingFile over the
// database, with its permissions kept): a whole copy (stageDatabaseCopy), brought up to date as an
// opening does, that holds every table and column the program reads. NotAShopFile when the chosen
// file is not such a file, DiskFull when the database's disk has no room for the copy.
FileOutcome stageRestore(const QString& source, ReplacingFile& copy);

// Keeps the database `copy` replaces as "<file>.bak-yyMMddHHmmss" beside it (a second name of the
// same file where the file system allows, else a checked copy) and puts the staged copy in its
// place in one rename. `keptAs` names the kept file. On failure the database is as it was.
FileOutcome finishRestore(ReplacingFile& copy, const QDateTime& now, QString* keptAs);

} // namespace quorrel
