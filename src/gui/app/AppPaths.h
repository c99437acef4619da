#pragma once

#include <QString>

namespace quorrel {

// Where the shop's database lives: beside the executable, or in the per-user data directory when
// the executable's directory is not writable (an installed program).
QString dataDirectory();
QString defaultDatabasePath();

inline const QString kDatabaseFileName = QStringLiteral("ZoZ.mdb");

} // namespace quorrel
