#include "gui/receipt/SystemPrinter.h"

#include "core/receipt/CupsDestinations.h"

#include <QDebug>
#include <QDir>
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

} // namespace

SystemPrinter::SystemPrinter(QWidget* dialogOwner) : m_dialogOwner(dialogOwner) {}

SystemPrinter::~SystemPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool SystemPrinter::prepareDocument()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    m_printer = std::make_unique<QPrinter>(printer, QPrinter::PrinterResolution);
    m_prepared = false;
    if (printer.isNull()) {
        QPrintDialog dialog(m_printer.get(), m_dialogOwner);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    m_prepared = true;
    return true;
}

QPaintDevice* SystemPrinter::beginDevice()
{
    m_spool.reset();
    m_queue.clear();
    if (!m_prepared && !prepareDocument())
        return nullptr;
    m_prepared = false; // the next document follows the default printer again
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

// Runs with the document's thread's own libcups connection; the spool file stays until it is done.
bool SystemPrinter::submitAndFollow(QString* error)
{
    refuseCupsPasswordPrompts();
    const QByteArray media = m_printer->pageLayout().pageSize().key().toUtf8();
    const int job = submitCupsJob(m_queue, m_spool->fileName(), kJobName, {{QByteArrayLiteral("media"), media}}, error);
    return job != 0 && cupsJobGoesThrough(m_queue, job, kFollowJobMs, error);
}

} // namespace quorrel
