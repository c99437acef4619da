#pragma once

#include "core/receipt/ReceiptLayout.h"

#include <QObject>

#include <deque>
#include <functional>
#include <memory>

class QThread;

namespace quorrel {

class Printer;
class ShopSettings;

// Tells the user that the logo or its settings could not be read ("logo数据打开失败！"), wherever
// they are read: the logo window, the receipt, the main window's start-up.
void reportLogoReadFailed(QWidget* owner, const QString& why);

// Prints the receipts of sales (one just stored, or one read back), one after the other on a
// thread of their own, and gathers what a preview draws. The windows stay usable while a printer
// takes its time; the busy cursor shows meanwhile.
class ReceiptPrinting : public QObject
{
    Q_OBJECT
public:
    ReceiptPrinting(ShopSettings& settings, QWidget* owner);
    // A receipt being sent is given up, and those still waiting are not printed (their sales are
    // stored: they can be printed again from the records).
    ~ReceiptPrinting() override;

    static inline const QString kNotPrinted =
        QStringLiteral("小票没有打印出来！请检查打印机是否连接、是否设为默认打印机。");
    // Followed by what the printer said ("缺纸"); nothing was sent to it.
    static inline const QString kNotReady = QStringLiteral("打印机缺纸或未就绪：");

    // Hands the receipt to the printer and returns at once; it waits for the receipts handed in
    // before it. Once it is sent: "打印完毕" (or `notPrinted`, or the printer's complaint) and the
    // question to print again, as configured; each Yes prints another copy before the next receipt.
    void printReceipt(const ReceiptContent& receipt, const QString& notPrinted = kNotPrinted);
    // Any other document for the receipt printer (the day's closing), laid out on the sending
    // thread with the receipt's settings; waits its turn and is reported as a receipt is.
    using Layout = std::function<bool(Printer&, const ReceiptSettings&)>;
    void printDocument(Layout layOut, const QString& notPrinted);

    // A receipt is being sent, or waits its turn.
    bool busy() const { return !m_waiting.empty(); }
    // Receipts handed to any ReceiptPrinting that are not done yet (printed, or reported).
    static int receiptsUnderWay();

    // The settings as kept, the logo read when it is printed; a failed read of the logo shows
    // "logo数据打开失败！" and keeps the one read before.
    ReceiptSettings readSettings();

    // Tests replace the system printer here; an empty factory restores it.
    using PrinterFactory = std::function<std::unique_ptr<Printer>()>;
    static void setPrinterFactory(PrinterFactory factory);

private:
    struct Waiting
    {
        Layout layOut;
        QString notPrinted;
    };

    std::shared_ptr<Printer> currentPrinter();
    // Sends the first receipt waiting, unless one is being sent or reported.
    void startNext();
    // The first receipt waiting has been sent (or not): tells the user, and prints it again or goes on.
    void sent(bool printed, const QString& notReady);
    void setSending(bool sending);

    ShopSettings& m_settings;
    QWidget* m_owner;
    // Used by the sending thread while a receipt is sent; kept, with its left margin, from one
    // receipt to the next.
    std::shared_ptr<Printer> m_printer;
    std::deque<Waiting> m_waiting; // the first is the one being sent or reported
    bool m_turnTaken = false;      // the first waiting is being sent or reported
    QThread* m_sending = nullptr;
    int m_logoOffset = 0;
    QByteArray m_logo;
};

} // namespace quorrel
