#pragma once

#include <QString>

namespace quorrel {

inline const QString kDatabaseFileName = QStringLiteral("ZoZ.mdb");

// Where the shop's database lives. A ZoZ.mdb beside the executable is always the one used, even in
// a folder the program cannot write (start-up then says so rather than starting another database).
// Without one, the executable's folder when it is writable, else the per-user data directory (an
// installed program).
QString databasePathFor(const QString& programDirectory);
QString defaultDatabasePath();

// The database this start uses: `named` (the --database option) when given, else the environment's
// QUORREL_DATABASE, else `[Database] url=` of the user's quorrel.conf, else the shop's file.
QString chosenDatabase(const QString& named);

} // namespace quorrel
