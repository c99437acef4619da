#include "gui/app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorrel {

QString dataDirectory()
{
    const QString programDirectory = QCoreApplication::applicationDirPath();
    if (QFileInfo(programDirectory).isWritable())
        return programDirectory;
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(perUser);
    return perUser;
}

QString defaultDatabasePath()
{
    return dataDirectory() + u'/' + kDatabaseFileName;
}

} // namespace quorrel
