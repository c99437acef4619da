#include "gui/receipt/SystemPrinter.h"

#include <QDebug>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace quorrel {

SystemPrinter::SystemPrinter(QWidget* dialogOwner) : m_dialogOwner(dialogOwner) {}

SystemPrinter::~SystemPrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPaintDevice* SystemPrinter::beginDevice()
{
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
    return m_printer.get();
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
    const bool ok = m_printer && m_printer->printerState() != QPrinter::Error;
    if (!ok)
        qWarning() << "the print job failed";
    return ok;
}

} // namespace quorrel
