#include "gui/receipt/SystemPrinter.h"

#include "core/receipt/CupsDestinations.h"
#include "core/receipt/OffThread.h"

#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

namespace quorrel {

namespace {
// How long a job is followed after CUPS took it: long enough for a queue to refuse or abort it,
// short enough that the cashier hardly waits.
constexpr int kFollowJobMs = 2000;

// The wait cursor for as long as it lives.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

SystemPrinter::SystemPrinter(QWidget* dialogOwner) : m_dialogOwner(dialogOwner) {}

SystemPrinter::~SystemPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPaintDevice* SystemPrinter::beginDevice()
{
    m_spool.reset();
    m_queue.clear();
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    m_printer = std::make_unique<QPrinter>(printer, QPrinter::PrinterResolution);
    if (printer.isNull()) {
        QPrintDialog dialog(m_printer.get(), m_dialogOwner);
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
    }
    m_printer->setDocName(kJobName);
    m_printer->setCopyCount(1);
    m_printer->setPageOrientation(QPageLayout::Portrait);
    m_printer->setFullPage(false);
    if (!m_printer->isValid()) {
        qWarning() << "the printer is not valid:" << m_printer->printerName();
        return nullptr;
    }
    if (m_printer->outputFormat() == QPrinter::NativeFormat && !spoolForQueue())
        return nullptr;
    return m_printer.get();
}

// Qt hands its finished document to CUPS without looking at the answer, so a queue that rejects
// jobs would pass for printed. The same document is made here in a file of our own and handed over
// by submitCupsJob, whose answer is checked.
bool SystemPrinter::spoolForQueue()
{
    m_queue = m_printer->printerName();
    m_spool = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quorrel-receipt-XXXXXX.pdf"));
    if (!m_spool->open()) {
        qWarning().noquote() << "no file for the print job:" << m_spool->errorString();
        return false;
    }
    m_spool->close();
    const int resolution = m_printer->resolution();
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setOutputFileName(m_spool->fileName());
    m_printer->setResolution(resolution);
    m_printer->setPageLayout(layout);
    return true;
}

bool SystemPrinter::newPage()
{
    return m_printer && m_printer->newPage();
}

int SystemPrinter::pageHeight() const
{
    return m_printer ? printableHeight(m_printer->pageLayout()) : 0;
}

bool SystemPrinter::finishDevice()
{
    if (!m_printer || m_printer->printerState() == QPrinter::Error) {
        qWarning() << "the print job failed";
        return false;
    }
    if (m_queue.isEmpty())
        return true; // a file the user chose in the print dialog
    QString error;
    const bool printed = submitAndFollow(&error);
    m_spool.reset(); // CUPS has its own copy now, or never takes it
    if (!printed) {
        qWarning().noquote() << "the print job failed:" << error;
        return false;
    }
    return true;
}

// Submitting waits for the server and following the job can take its full two seconds: both run on a
// worker, with libcups's own connection for that thread, while the windows keep painting. The worker
// gets copies of what it needs and touches nothing of this printer; the spool file stays until it is done.
bool SystemPrinter::submitAndFollow(QString* error)
{
    const QString queue = m_queue;
    const QString file = m_spool->fileName();
    const QString title = kJobName;
    const QByteArray media = m_printer->pageLayout().pageSize().key().toUtf8();
    const WaitCursor waiting;
    return runOffThread(
        [queue, file, title, media](QString* why) {
            refuseCupsPasswordPrompts();
            const int job = submitCupsJob(queue, file, title, {{QByteArrayLiteral("media"), media}}, why);
            return job != 0 && cupsJobGoesThrough(queue, job, kFollowJobMs, why);
        },
        error);
}

} // namespace quorrel
