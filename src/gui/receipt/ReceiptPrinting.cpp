#include "gui/receipt/ReceiptPrinting.h"

#include "core/receipt/LogoStore.h"
#include "core/sales/Sale.h"
#include "core/shop/Session.h"
#include "gui/receipt/ChosenPrinter.h"
#include "gui/receipt/LogoWindow.h"
#include "gui/widgets/MessageBox.h"

namespace quorrel {

namespace {
ReceiptPrinting::PrinterFactory g_factory;
const QString kHint = QStringLiteral("提示:");
} // namespace

void ReceiptPrinting::setPrinterFactory(PrinterFactory factory)
{
    g_factory = std::move(factory);
}

ReceiptPrinting::ReceiptPrinting(Session& session, QWidget* owner) : QObject(owner), m_session(session), m_owner(owner)
{}

ReceiptPrinting::~ReceiptPrinting() = default;

Printer& ReceiptPrinting::currentPrinter()
{
    if (!m_printer)
        m_printer = g_factory ? g_factory() : std::make_unique<ChosenPrinter>(m_owner);
    return *m_printer;
}

ReceiptContent ReceiptPrinting::content(const Sale& sale, const SaleHeader& header)
{
    ReceiptContent content;
    content.shopName = header.shopName;
    content.ticketNumber = header.ticketNumber;
    content.time = header.time;
    for (const LineCells& line : sale.lines())
        content.items.append({line.name, line.quantity, line.unitPrice, line.amount});
    content.totalQuantity = sale.totalQuantity();
    content.totalAmount = sale.totalAmount();
    content.totalDiscounted = sale.totalDiscounted();
    content.received = header.received;
    content.change = header.change;
    content.cashier = header.cashier;
    content.paymentMethod = header.paymentMethod;
    content.remark = header.remark;
    return content;
}

ReceiptSettings ReceiptPrinting::readSettings()
{
    if (const std::optional<int> offset = loadLogoOffset(m_session.db))
        m_logoOffset = *offset;
    else
        reportLogoReadFailed(m_session.db, m_owner);
    const PrintSettings& print = m_session.print;
    if (print.printLogo) {
        if (const std::optional<QByteArray> logo = loadLogoImage(m_session.db))
            m_logo = *logo;
        else
            reportLogoReadFailed(m_session.db, m_owner);
    }
    return ReceiptSettings{print.printUnitPrice, print.printLogo, print.paperMargin,
                           print.printOffset,    m_logoOffset,    m_logo};
}

void ReceiptPrinting::printReceipt(const Sale& sale, const SaleHeader& header)
{
    const ReceiptContent receipt = content(sale, header);
    for (;;) {
        const ReceiptSettings settings = readSettings();
        const bool printed = layOutReceipt(currentPrinter(), receipt, settings, ReceiptStyle::Printed);
        if (!printed) // never report a receipt that did not reach the printer as printed
            MessageBox::critical(m_owner,
                                 QStringLiteral("小票没有打印出来！请检查打印机是否连接、是否设为默认打印机。"), kHint);
        else if (m_session.print.showPrintFinished)
            MessageBox::show(m_owner, QStringLiteral("打印完毕"), kHint);
        if (!m_session.print.askPrintAgain ||
            !MessageBox::question(m_owner, QStringLiteral("打印完毕,是否再次打印！"), kHint))
            return;
    }
}

} // namespace quorrel
