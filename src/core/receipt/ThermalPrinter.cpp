#include "core/receipt/ThermalPrinter.h"

#include <QDebug>
#include <QSettings>

#include <algorithm>

namespace quorrel {

namespace {

const QString kGroup = QStringLiteral("ThermalPrinter");

// Named here rather than taken from the application object: without an organisation name Qt
// neither reads nor writes user settings. The file is ~/.config/quorrel/quorrel.conf.
QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorrel"),
                     QStringLiteral("quorrel"));
}

QString kindName(RawConnection::Kind kind)
{
    switch (kind) {
    case RawConnection::Kind::Network:
        return QStringLiteral("network");
    case RawConnection::Kind::CupsQueue:
        return QStringLiteral("cups");
    case RawConnection::Kind::Device:
        break;
    }
    return QStringLiteral("device");
}

RawConnection::Kind kindFromName(const QString& name)
{
    if (name == QStringLiteral("network"))
        return RawConnection::Kind::Network;
    if (name == QStringLiteral("cups"))
        return RawConnection::Kind::CupsQueue;
    return RawConnection::Kind::Device;
}

} // namespace

ThermalSettings ThermalSettings::load(QSettings& settings)
{
    ThermalSettings loaded;
    settings.beginGroup(kGroup);
    loaded.enabled = settings.value(QStringLiteral("enabled"), false).toBool();
    loaded.connection.kind = kindFromName(settings.value(QStringLiteral("connection")).toString());
    loaded.connection.target = settings.value(QStringLiteral("target")).toString();
    const int port = settings.value(QStringLiteral("port"), RawConnection::kDefaultPort).toInt();
    loaded.connection.port = port >= 1 && port <= 65535 ? port : RawConnection::kDefaultPort;
    loaded.paperMillimetres = settings.value(QStringLiteral("paper"), 58).toInt() == 80 ? 80 : 58;
    loaded.cut = settings.value(QStringLiteral("cut"), false).toBool();
    loaded.openDrawer = settings.value(QStringLiteral("drawer"), false).toBool();
    loaded.askStatus = !settings.value(QStringLiteral("noStatus"), false).toBool();
    const int baud = settings.value(QStringLiteral("baud"), RawConnection::kDefaultBaudRate).toInt();
    loaded.connection.baudRate = std::find(std::begin(kBaudRates), std::end(kBaudRates), baud) != std::end(kBaudRates)
                                     ? baud
                                     : RawConnection::kDefaultBaudRate;
    settings.endGroup();
    return loaded;
}

void ThermalSettings::save(QSettings& settings) const
{
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("enabled"), enabled);
    settings.setValue(QStringLiteral("connection"), kindName(connection.kind));
    settings.setValue(QStringLiteral("target"), connection.target);
    settings.setValue(QStringLiteral("port"), connection.port);
    settings.setValue(QStringLiteral("paper"), paperMillimetres);
    settings.setValue(QStringLiteral("cut"), cut);
    settings.setValue(QStringLiteral("drawer"), openDrawer);
    settings.setValue(QStringLiteral("noStatus"), !askStatus);
    settings.setValue(QStringLiteral("baud"), connection.baudRate);
    settings.endGroup();
}

ThermalSettings ThermalSettings::load()
{
    QSettings settings(userSettings());
    return load(settings);
}

bool ThermalSettings::save() const
{
    QSettings settings(userSettings());
    save(settings);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

ThermalPrinter::ThermalPrinter(ThermalSettings settings, int timeoutMs)
    : m_settings(std::move(settings)), m_timeoutMs(timeoutMs), m_raster(m_settings.widthDots())
{}

bool ThermalPrinter::endDocument()
{
    m_lastError.clear();
    m_notReady.clear();
    if (!m_raster.endDocument())
        return false;
    const QByteArray bytes = encodeEscPos(m_raster.strip(), {m_settings.cut, m_settings.openDrawer});
    const RawSendResult sent = sendRaw(m_settings.connection, bytes, {m_timeoutMs, m_settings.askStatus, &m_cancelled});
    m_cancelled = false;
    if (sent.sent())
        return true;
    m_lastError = sent.error;
    if (sent.outcome == RawSendResult::Outcome::NotReady)
        m_notReady = sent.problem;
    qWarning().noquote() << "the receipt printer" << m_settings.connection.describe()
                         << "did not print:" << m_lastError;
    return false;
}

} // namespace quorrel
