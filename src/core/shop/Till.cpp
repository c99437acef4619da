#include "core/shop/Till.h"

#include <QSettings>
#include <QSysInfo>

namespace quorrel {

QString tillName()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorrel"),
                             QStringLiteral("quorrel"));
    const QString named = settings.value(QStringLiteral("Till/name")).toString().trimmed();
    return named.isEmpty() ? QSysInfo::machineHostName() : named;
}

} // namespace quorrel
