#include "gui/receipt/ReceiptPrinting.h"

#include "ui_MainWindow.h"

#include "core/receipt/LogoStore.h"
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

ReceiptPrinting::ReceiptPrinting(Ui::MainWindow& ui, Session& session, QWidget* owner)
    : QObject(owner), m_ui(ui), m_session(session), m_owner(owner)
{}

ReceiptPrinting::~ReceiptPrinting() = default;

Printer& ReceiptPrinting::currentPrinter()
{
    if (!m_printer)
        m_printer = g_factory ? g_factory() : std::make_unique<ChosenPrinter>(m_owner);
    return *m_printer;
}

ReceiptContent ReceiptPrinting::contentFromWindow() const
{
    ReceiptContent content;
    content.shopName = m_ui.编辑框_店名->text();
    content.ticketNumber = m_ui.编辑框_单号->text();
    content.time = m_ui.编辑框_时间->text();
    const QTreeWidget* list = m_ui.超级列表框1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        content.items.append({row->text(1), row->text(2), row->text(3), row->text(4)});
    }
    content.totalQuantity = m_ui.标签_总量->text();
    content.totalAmount = m_ui.标签_总金额->text();
    content.totalDiscounted = m_ui.标签_打折后->text();
    content.received = m_ui.编辑框_实收->text();
    content.change = m_ui.编辑框_找零->text();
    content.cashier = m_ui.编辑框_收银员->text();
    content.paymentMethod = m_ui.编辑框_付款方式->text();
    content.remark = m_ui.编辑框_备注->toPlainText();
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

void ReceiptPrinting::printReceipt()
{
    for (;;) {
        const ReceiptSettings settings = readSettings();
        const bool printed = layOutReceipt(currentPrinter(), contentFromWindow(), settings, ReceiptStyle::Printed);
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
