#include "gui/app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
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

QString chosenDatabase(const QString& named)
{
    if (!named.trimmed().isEmpty())
        return named.trimmed();
    const QString fromEnvironment = qEnvironmentVariable("QUORREL_DATABASE").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorrel"),
                             QStringLiteral("quorrel"));
    const QString configured = settings.value(QStringLiteral("Database/url")).toString().trimmed();
    return configured.isEmpty() ? defaultDatabasePath() : configured;
}

} // namespace quorrel
