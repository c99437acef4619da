#include "gui/app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorrel {

QString databasePathFor(const QString& programDirectory)
{
    const QString besideProgram = programDirectory + u'/' + kDatabaseFileName;
    if (QFileInfo::exists(besideProgram) || QFileInfo(programDirectory).isWritable())
        return besideProgram;
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // A folder that cannot be made is reported at start-up as one that cannot be written.
    QDir().mkpath(perUser);
    return perUser + u'/' + kDatabaseFileName;
}

QString defaultDatabasePath()
{
    return databasePathFor(QCoreApplication::applicationDirPath());
}

} // namespace quorrel
