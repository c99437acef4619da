#pragma once

#include "core/receipt/ReceiptLayout.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quorrel {

class Printer;
class ShopSettings;

// Tells the user that the logo or its settings could not be read ("logo数据打开失败！"), wherever
// they are read: the logo window, the receipt, the main window's start-up.
void reportLogoReadFailed(QWidget* owner, const QString& why);

// Prints the receipt of a sale (one just stored, or one read back), and gathers what its preview
// draws.
class ReceiptPrinting : public QObject
{
    Q_OBJECT
public:
    ReceiptPrinting(ShopSettings& settings, QWidget* owner);
    ~ReceiptPrinting() override;

    static inline const QString kNotPrinted =
        QStringLiteral("小票没有打印出来！请检查打印机是否连接、是否设为默认打印机。");

    // One job per run; after "打印完毕" (or `notPrinted` when nothing was printed) and the question
    // to print again as configured, repeats until the user declines. True when the first job went
    // through.
    bool printReceipt(const ReceiptContent& receipt, const QString& notPrinted = kNotPrinted);

    // The settings as kept, the logo read when it is printed; a failed read of the logo shows
    // "logo数据打开失败！" and keeps the one read before.
    ReceiptSettings readSettings();

    Printer& currentPrinter();

    // Tests replace the system printer here; an empty factory restores it.
    using PrinterFactory = std::function<std::unique_ptr<Printer>()>;
    static void setPrinterFactory(PrinterFactory factory);

private:
    ShopSettings& m_settings;
    QWidget* m_owner;
    std::unique_ptr<Printer> m_printer; // keeps its left margin from one receipt to the next
    int m_logoOffset = 0;
    QByteArray m_logo;
};

} // namespace quorrel
