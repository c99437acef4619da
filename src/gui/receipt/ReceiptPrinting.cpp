#include "gui/receipt/ReceiptPrinting.h"

#include "core/shop/ShopSettings.h"
#include "gui/receipt/ChosenPrinter.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QWidget>

namespace quorrel {

namespace {
ReceiptPrinting::PrinterFactory g_factory;
const QString kHint = QStringLiteral("提示:");
} // namespace

void reportLogoReadFailed(QWidget* owner, const QString& why)
{
    qWarning().noquote() << "logo read failed:" << why;
    MessageBox::critical(owner, QStringLiteral("logo数据打开失败！"));
}

void ReceiptPrinting::setPrinterFactory(PrinterFactory factory)
{
    g_factory = std::move(factory);
}

ReceiptPrinting::ReceiptPrinting(ShopSettings& settings, QWidget* owner)
    : QObject(owner), m_settings(settings), m_owner(owner)
{}

ReceiptPrinting::~ReceiptPrinting() = default;

Printer& ReceiptPrinting::currentPrinter()
{
    if (!m_printer)
        m_printer = g_factory ? g_factory() : std::make_unique<ChosenPrinter>(m_owner);
    return *m_printer;
}

ReceiptSettings ReceiptPrinting::readSettings()
{
    if (const Result<int> offset = m_settings.logoOffset())
        m_logoOffset = *offset;
    else
        reportLogoReadFailed(m_owner, offset.error());
    const PrintSettings print = MessageBox::valueOrReport(m_owner, m_settings.printSettings());
    if (print.printLogo) {
        if (const Result<QByteArray> logo = m_settings.logoImage())
            m_logo = *logo;
        else
            reportLogoReadFailed(m_owner, logo.error());
    }
    return ReceiptSettings{print.printUnitPrice, print.printLogo, print.paperMargin,
                           print.printOffset,    m_logoOffset,    m_logo};
}

bool ReceiptPrinting::printReceipt(const ReceiptContent& receipt, const QString& notPrinted)
{
    bool first = true;
    bool firstPrinted = false;
    for (;;) {
        const ReceiptSettings settings = readSettings();
        const bool printed = layOutReceipt(currentPrinter(), receipt, settings, ReceiptStyle::Printed);
        if (std::exchange(first, false))
            firstPrinted = printed;
        const PrintSettings print = m_settings.printSettings().value_or(PrintSettings());
        if (!printed) // never report a receipt that did not reach the printer as printed
            MessageBox::critical(m_owner, notPrinted, kHint);
        else if (print.showPrintFinished)
            MessageBox::show(m_owner, QStringLiteral("打印完毕"), kHint);
        if (!print.askPrintAgain || !MessageBox::question(m_owner, QStringLiteral("打印完毕,是否再次打印！"), kHint))
            return firstPrinted;
    }
}

} // namespace quorrel
