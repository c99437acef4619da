#include "receipt/CupsDestinations.h"

#include <cups/cups.h>

namespace quorrel {

namespace {

QString LastCupsError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The destinations as libcups lists them for the default server: the server's printers with the
// user's lpoptions merged in and the default marked. Freed when it goes.
class Destinations
{
public:
    Destinations()
    {
        m_count = cupsGetDests2(CUPS_HTTP_DEFAULT, &m_dests);
        // An empty list is "no printers" when the server answered "not found", a failure otherwise.
        const ipp_status_t status = cupsLastError();
        m_failed = m_count == 0 && status >= IPP_STATUS_REDIRECTION_OTHER_SITE && status != IPP_STATUS_ERROR_NOT_FOUND;
        if (m_failed) {
            const QString reason = LastCupsError();
            m_error = QStringLiteral("CUPS server %1: %2").arg(QString::fromUtf8(cupsServer()), reason);
        }
    }
    ~Destinations() { cupsFreeDests(m_count, m_dests); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    bool Failed() const { return m_failed; }
    const QString& Error() const { return m_error; }
    int Count() const { return m_count; }
    cups_dest_t* Dests() const { return m_dests; }
    cups_dest_t* At(int i) const { return m_dests + i; }
    cups_dest_t* Default() const { return cupsGetDest(nullptr, nullptr, m_count, m_dests); }
    cups_dest_t* Queue(const QByteArray& name) const
    {
        return cupsGetDest(name.constData(), nullptr, m_count, m_dests);
    }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
    bool m_failed = false;
    QString m_error;
};

// A queue of the server itself, not an instance and not a printer that libcups only found on the
// network (those carry the "discovered" bit in their printer type).
bool IsServerQueue(const cups_dest_t& dest)
{
    if (dest.instance)
        return false;
    const char* type = cupsGetOption("printer-type", dest.num_options, dest.options);
    if (!type)
        return true;
    bool ok = false;
    const uint bits = QByteArray(type).toUInt(&ok, 0);
    return !ok || (bits & CUPS_PRINTER_DISCOVERED) == 0;
}

} // namespace

std::optional<QStringList> LocalPrinterNames(QString* error)
{
    const Destinations dests;
    if (dests.Failed()) {
        SetError(error, dests.Error());
        return std::nullopt;
    }
    QStringList names;
    for (int i = 0; i < dests.Count(); ++i) {
        if (IsServerQueue(*dests.At(i)))
            names << QString::fromUtf8(dests.At(i)->name);
    }
    return names;
}

QString UserDefaultPrinter(QString* error)
{
    const Destinations dests;
    if (dests.Failed()) {
        SetError(error, dests.Error());
        return QString();
    }
    const cups_dest_t* dest = dests.Default();
    return dest ? QString::fromUtf8(dest->name) : QString();
}

bool SetUserDefaultPrinter(const QString& name, QString* error)
{
    if (name.isEmpty()) {
        SetError(error, QStringLiteral("no printer named"));
        return false;
    }
    const Destinations dests;
    if (dests.Failed()) {
        SetError(error, dests.Error());
        return false;
    }
    const cups_dest_t* queue = dests.Queue(name.toUtf8());
    if (!queue || !IsServerQueue(*queue)) {
        SetError(error, QStringLiteral("no printer %1").arg(name));
        return false;
    }
    const QString queueName = QString::fromUtf8(queue->name);
    cupsSetDefaultDest(queue->name, nullptr, dests.Count(), dests.Dests());
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, dests.Count(), dests.Dests()) != 0) {
        SetError(error, QStringLiteral("cannot save the default printer: %1").arg(LastCupsError()));
        return false;
    }
    // Read it back: LPDEST or PRINTER in the environment win over the saved choice.
    QString readError;
    const QString now = UserDefaultPrinter(&readError);
    if (now.compare(queueName, Qt::CaseInsensitive) != 0) {
        SetError(error, readError.isEmpty()
                            ? QStringLiteral("the default printer is still %1 (LPDEST or PRINTER set?)").arg(now)
                            : readError);
        return false;
    }
    return true;
}

int FindPrinterByPrefix(const QStringList& names, const QString& prefix)
{
    if (prefix.isEmpty())
        return -1;
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

} // namespace quorrel
