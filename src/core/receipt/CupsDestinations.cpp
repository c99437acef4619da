#include "core/receipt/CupsDestinations.h"

#include <cups/cups.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QLibrary>
#include <QThread>

namespace quorrel {

namespace {

// libcups (and the TLS, Kerberos and Avahi libraries it pulls in) is loaded the first time the
// printer list is needed, not at every start of the program: the receipt itself goes through Qt's
// own CUPS support, which loads it only when printing too.
struct CupsApi
{
    decltype(&::cupsGetDests2) getDests2 = nullptr;
    decltype(&::cupsFreeDests) freeDests = nullptr;
    decltype(&::cupsGetDest) getDest = nullptr;
    decltype(&::cupsGetOption) getOption = nullptr;
    decltype(&::cupsLastError) lastError = nullptr;
    decltype(&::cupsLastErrorString) lastErrorString = nullptr;
    decltype(&::cupsServer) server = nullptr;
    decltype(&::cupsSetDefaultDest) setDefaultDest = nullptr;
    decltype(&::cupsSetDests2) setDests2 = nullptr;
    decltype(&::cupsAddOption) addOption = nullptr;
    decltype(&::cupsFreeOptions) freeOptions = nullptr;
    decltype(&::cupsPrintFile2) printFile2 = nullptr;
    decltype(&::cupsGetJobs2) getJobs2 = nullptr;
    decltype(&::cupsFreeJobs) freeJobs = nullptr;
    decltype(&::cupsCancelJob2) cancelJob2 = nullptr;
    decltype(&::cupsSetPasswordCB2) setPasswordCB2 = nullptr;

    bool loaded() const
    {
        return getDests2 && freeDests && getDest && getOption && lastError && lastErrorString && server &&
               setDefaultDest && setDests2 && addOption && freeOptions && printFile2 && getJobs2 && freeJobs &&
               cancelJob2 && setPasswordCB2;
    }
};

const CupsApi& cups()
{
    static const CupsApi api = [] {
        CupsApi loaded;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return loaded;
        auto resolve = [&library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        };
        resolve(loaded.getDests2, "cupsGetDests2");
        resolve(loaded.freeDests, "cupsFreeDests");
        resolve(loaded.getDest, "cupsGetDest");
        resolve(loaded.getOption, "cupsGetOption");
        resolve(loaded.lastError, "cupsLastError");
        resolve(loaded.lastErrorString, "cupsLastErrorString");
        resolve(loaded.server, "cupsServer");
        resolve(loaded.setDefaultDest, "cupsSetDefaultDest");
        resolve(loaded.setDests2, "cupsSetDests2");
        resolve(loaded.addOption, "cupsAddOption");
        resolve(loaded.freeOptions, "cupsFreeOptions");
        resolve(loaded.printFile2, "cupsPrintFile2");
        resolve(loaded.getJobs2, "cupsGetJobs2");
        resolve(loaded.freeJobs, "cupsFreeJobs");
        resolve(loaded.cancelJob2, "cupsCancelJob2");
        resolve(loaded.setPasswordCB2, "cupsSetPasswordCB2");
        return loaded; // the library stays loaded for the rest of the run
    }();
    return api;
}

const QString kNoCups = QStringLiteral("the CUPS library (libcups.so.2) could not be loaded");

QString lastCupsError()
{
    return QString::fromUtf8(cups().lastErrorString());
}

void setError(QString* error, const QString& text)
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
        if (!cups().loaded()) {
            m_failed = true;
            m_error = kNoCups;
            return;
        }
        m_count = cups().getDests2(CUPS_HTTP_DEFAULT, &m_dests);
        // An empty list is "no printers" when the server answered "not found", a failure otherwise.
        const ipp_status_t status = cups().lastError();
        m_failed = m_count == 0 && status >= IPP_STATUS_REDIRECTION_OTHER_SITE && status != IPP_STATUS_ERROR_NOT_FOUND;
        if (m_failed) {
            const QString reason = lastCupsError();
            m_error = QStringLiteral("CUPS server %1: %2").arg(QString::fromUtf8(cups().server()), reason);
        }
    }
    ~Destinations()
    {
        if (m_dests)
            cups().freeDests(m_count, m_dests);
    }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }
    int count() const { return m_count; }
    cups_dest_t* dests() const { return m_dests; }
    cups_dest_t* at(int i) const { return m_dests + i; }
    cups_dest_t* defaultDestination() const { return cups().getDest(nullptr, nullptr, m_count, m_dests); }
    cups_dest_t* queue(const QByteArray& name) const
    {
        return cups().getDest(name.constData(), nullptr, m_count, m_dests);
    }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
    bool m_failed = false;
    QString m_error;
};

// A queue of the server itself, not an instance and not a printer that libcups only found on the
// network (those carry the "discovered" bit in their printer type).
bool isServerQueue(const cups_dest_t& dest)
{
    if (dest.instance)
        return false;
    const char* type = cups().getOption("printer-type", dest.num_options, dest.options);
    if (!type)
        return true;
    bool ok = false;
    const uint bits = QByteArray(type).toUInt(&ok, 0);
    return !ok || (bits & CUPS_PRINTER_DISCOVERED) == 0;
}

} // namespace

std::optional<QStringList> localPrinterNames(QString* error)
{
    const Destinations dests;
    if (dests.failed()) {
        setError(error, dests.error());
        return std::nullopt;
    }
    QStringList names;
    for (int i = 0; i < dests.count(); ++i) {
        if (isServerQueue(*dests.at(i)))
            names << QString::fromUtf8(dests.at(i)->name);
    }
    return names;
}

QString userDefaultPrinter(QString* error)
{
    const Destinations dests;
    if (dests.failed()) {
        setError(error, dests.error());
        return QString();
    }
    const cups_dest_t* dest = dests.defaultDestination();
    return dest ? QString::fromUtf8(dest->name) : QString();
}

bool setUserDefaultPrinter(const QString& name, QString* error)
{
    if (name.isEmpty()) {
        setError(error, QStringLiteral("no printer named"));
        return false;
    }
    const Destinations dests;
    if (dests.failed()) {
        setError(error, dests.error());
        return false;
    }
    const cups_dest_t* queue = dests.queue(name.toUtf8());
    if (!queue || !isServerQueue(*queue)) {
        setError(error, QStringLiteral("no printer %1").arg(name));
        return false;
    }
    const QString queueName = QString::fromUtf8(queue->name);
    cups().setDefaultDest(queue->name, nullptr, dests.count(), dests.dests());
    if (cups().setDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.dests()) != 0) {
        setError(error, QStringLiteral("cannot save the default printer: %1").arg(lastCupsError()));
        return false;
    }
    // Read it back: LPDEST or PRINTER in the environment win over the saved choice.
    QString readError;
    const QString now = userDefaultPrinter(&readError);
    if (now.compare(queueName, Qt::CaseInsensitive) != 0) {
        setError(error, readError.isEmpty()
                            ? QStringLiteral("the default printer is still %1 (LPDEST or PRINTER set?)").arg(now)
                            : readError);
        return false;
    }
    return true;
}

int submitCupsJob(const QString& queue, const QString& file, const QString& title,
                  const QList<std::pair<QByteArray, QByteArray>>& options, QString* error)
{
    if (!cups().loaded()) {
        setError(error, kNoCups);
        return 0;
    }
    int count = 0;
    cups_option_t* list = nullptr;
    for (const auto& [name, value] : options)
        count = cups().addOption(name.constData(), value.constData(), count, &list);
    const int id = cups().printFile2(CUPS_HTTP_DEFAULT, queue.toUtf8().constData(), QFile::encodeName(file).constData(),
                                     title.toUtf8().constData(), count, list);
    cups().freeOptions(count, list);
    if (id == 0)
        setError(error, QStringLiteral("CUPS refused the job for %1: %2").arg(queue, lastCupsError()));
    return id;
}

namespace {

// The job's state as the server reports it; nullopt when the server does not answer or no longer
// knows the job.
std::optional<ipp_jstate_t> jobState(const QByteArray& queue, int id, QString* error)
{
    for (const int which : {CUPS_WHICHJOBS_ACTIVE, CUPS_WHICHJOBS_COMPLETED}) {
        cups_job_t* jobs = nullptr;
        const int count = cups().getJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 0, which);
        if (count < 0) {
            setError(error, QStringLiteral("cannot ask CUPS about job %1: %2").arg(id).arg(lastCupsError()));
            return std::nullopt;
        }
        std::optional<ipp_jstate_t> state;
        for (int i = 0; i < count; ++i) {
            if (jobs[i].id == id)
                state = jobs[i].state;
        }
        cups().freeJobs(count, jobs);
        if (state)
            return state;
    }
    setError(error, QStringLiteral("CUPS no longer knows job %1").arg(id));
    return std::nullopt;
}

// Whether the queue itself is stopped (disabled, or stopped by a failing backend): its jobs wait.
bool queueStopped(const QByteArray& queue)
{
    const Destinations dests;
    const cups_dest_t* dest = dests.failed() ? nullptr : dests.queue(queue);
    const char* state = dest ? cups().getOption("printer-state", dest->num_options, dest->options) : nullptr;
    return state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED;
}

} // namespace

bool cupsJobGoesThrough(const QString& queue, int id, int waitMs, QString* error)
{
    if (!cups().loaded()) {
        setError(error, kNoCups);
        return false;
    }
    const QByteArray name = queue.toUtf8();
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const std::optional<ipp_jstate_t> state = jobState(name, id, error);
        if (!state)
            return false;
        if (*state == IPP_JSTATE_COMPLETED)
            return true;
        if (*state == IPP_JSTATE_CANCELED || *state == IPP_JSTATE_ABORTED) {
            setError(error,
                     QStringLiteral("CUPS %1 job %2 on %3")
                         .arg(*state == IPP_JSTATE_ABORTED ? QStringLiteral("aborted") : QStringLiteral("cancelled"))
                         .arg(id)
                         .arg(queue));
            return false;
        }
        const bool expired = deadline.hasExpired();
        if (*state == IPP_JSTATE_STOPPED || (expired && queueStopped(name))) {
            // Reported as not printed, so it must not come out later either.
            cups().cancelJob2(CUPS_HTTP_DEFAULT, name.constData(), id, 0);
            setError(error, QStringLiteral("job %1 cannot go on: %2 is stopped").arg(id).arg(queue));
            return false;
        }
        if (expired)
            return true; // on its way: the printer is working on it or takes it next
        QThread::msleep(50);
    }
}

void refuseCupsPasswordPrompts()
{
    if (!cups().loaded())
        return;
    cups().setPasswordCB2([](const char*, http_t*, const char*, const char*, void*) -> const char* { return nullptr; },
                          nullptr);
}

int findPrinterByPrefix(const QStringList& names, const QString& prefix)
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
