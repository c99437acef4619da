#pragma once

#include "core/receipt/ReceiptLayout.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quorrel {

class Printer;
class Sale;
struct SaleHeader;
struct Session;

// Prints the receipt of a sale (the one being entered, or one read back), and gathers what its
// preview draws.
class ReceiptPrinting : public QObject
{
    Q_OBJECT
public:
    ReceiptPrinting(Session& session, QWidget* owner);
    ~ReceiptPrinting() override;

    // One job per run; after "打印完毕" (or the news that nothing was printed) and the question to
    // print again as configured, repeats until the user declines. Never fails towards the caller.
    void printReceipt(const Sale& sale, const SaleHeader& header);

    // What the receipt of the sale shows.
    static ReceiptContent content(const Sale& sale, const SaleHeader& header);
    // The settings held in memory with the logo offset and the logo read afresh; a failed read shows
    // "logo数据打开失败！" and keeps the value read before.
    ReceiptSettings readSettings();

    Printer& currentPrinter();

    // Tests replace the system printer here; an empty factory restores it.
    using PrinterFactory = std::function<std::unique_ptr<Printer>()>;
    static void setPrinterFactory(PrinterFactory factory);

private:
    Session& m_session;
    QWidget* m_owner;
    std::unique_ptr<Printer> m_printer; // keeps its left margin from one receipt to the next
    int m_logoOffset = 0;
    QByteArray m_logo;
};

} // namespace quorrel
