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

} // namespace quorrel
