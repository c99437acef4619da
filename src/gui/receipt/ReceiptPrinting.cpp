#include "gui/receipt/ReceiptPrinting.h"

#include "core/shop/ShopSettings.h"
#include "gui/receipt/ChosenPrinter.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <atomic>

namespace quorrel {

namespace {
ReceiptPrinting::PrinterFactory g_factory;
std::atomic<int> g_underWay{0};
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

int ReceiptPrinting::receiptsUnderWay()
{
    return g_underWay.load();
}

ReceiptPrinting::ReceiptPrinting(ShopSettings& settings, QWidget* owner)
    : QObject(owner), m_settings(settings), m_owner(owner)
{}

ReceiptPrinting::~ReceiptPrinting()
{
    if (m_sending) {
        m_printer->cancel();
        m_sending->wait();
        delete m_sending;
        setSending(false);
    }
    if (!m_waiting.empty())
        qWarning() << m_waiting.size() << "receipts were not printed: the window closed";
    g_underWay -= int(m_waiting.size());
}

std::shared_ptr<Printer> ReceiptPrinting::currentPrinter()
{
    if (!m_printer)
        m_printer = g_factory ? std::shared_ptr<Printer>(g_factory()) : std::make_shared<ChosenPrinter>(m_owner);
    return m_printer;
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

void ReceiptPrinting::printReceipt(const ReceiptContent& receipt, const QString& notPrinted)
{
    printDocument(
        [receipt](Printer& printer, const ReceiptSettings& settings) {
            return layOutReceipt(printer, receipt, settings, ReceiptStyle::Printed);
        },
        notPrinted);
}

void ReceiptPrinting::printDocument(Layout layOut, const QString& notPrinted)
{
    m_waiting.push_back({std::move(layOut), notPrinted});
    ++g_underWay;
    startNext();
}

void ReceiptPrinting::startNext()
{
    if (m_turnTaken || m_waiting.empty())
        return;
    m_turnTaken = true;
    // Read afresh for every copy, on this thread: the settings, the logo, the printer chosen.
    const ReceiptSettings settings = readSettings();
    const std::shared_ptr<Printer> printer = currentPrinter();
    if (!printer->prepareDocument()) {
        sent(false, QString());
        return;
    }
    struct Outcome
    {
        bool printed = false;
        QString notReady;
    };
    auto outcome = std::make_shared<Outcome>();
    m_sending = QThread::create([printer, layOut = m_waiting.front().layOut, settings, outcome] {
        outcome->printed = layOut(*printer, settings);
        if (!outcome->printed)
            outcome->notReady = printer->notReady();
    });
    // Queued: the report runs on this thread once the sending thread has ended.
    connect(m_sending, &QThread::finished, this, [this, outcome] {
        m_sending->wait();
        m_sending->deleteLater();
        m_sending = nullptr;
        setSending(false);
        sent(outcome->printed, outcome->notReady);
    });
    setSending(true);
    m_sending->start();
}

void ReceiptPrinting::sent(bool printed, const QString& notReady)
{
    const QPointer<ReceiptPrinting> alive(this); // the boxes run the event loop
    const Waiting& current = m_waiting.front();
    const PrintSettings print = m_settings.printSettings().value_or(PrintSettings());
    // Never report a receipt that did not reach the printer as printed.
    if (!printed && !notReady.isEmpty())
        MessageBox::critical(m_owner, kNotReady + notReady, kHint);
    else if (!printed)
        MessageBox::critical(m_owner, current.notPrinted, kHint);
    else if (print.showPrintFinished)
        MessageBox::show(m_owner, QStringLiteral("打印完毕"), kHint);
    const bool again =
        print.askPrintAgain && MessageBox::question(m_owner, QStringLiteral("打印完毕,是否再次打印！"), kHint);
    if (!alive)
        return;
    if (!again) {
        m_waiting.pop_front();
        --g_underWay;
    }
    m_turnTaken = false;
    startNext();
}

void ReceiptPrinting::setSending(bool sending)
{
    // The arrow with the busy sign: the windows can still be used.
    if (sending)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace quorrel
