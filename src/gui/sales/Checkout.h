#pragma once

#include "core/receipt/ReceiptLayout.h"

#include <QObject>

#include <functional>

class QComboBox;
class QLineEdit;
class QTimer;

namespace quorrel {

class CurrentSale;
struct Session;
struct SaleHeader;

// The main window's units the amount received is taken with.
struct CheckoutBoxes
{
    QLineEdit* received = nullptr;
    QComboBox* receivedCombo = nullptr;
};

// The end of a sale: the amount received and the change, then storing the sale and printing it.
class Checkout : public QObject
{
    Q_OBJECT
public:
    Checkout(const CheckoutBoxes& boxes, CurrentSale& sale, Session& session, QWidget* owner);

    // How long typing in the amount box may pause before the change is worked out.
    static constexpr int kSettleMilliseconds = 500;

    // What the till says when a stored sale's receipt did not come out.
    static inline const QString kNotPrinted =
        QStringLiteral("小票没有打印出来！本单已经保存，可在“统计销售”里用“打印记录”再次打印。"
                       "请检查打印机是否连接、是否设为默认打印机。");

    // Stores the sale under the next ticket number, then prints its receipt under that number. A
    // sale that could not be stored is not printed.
    void printAndSave();
    // Stores the sale under the next ticket number without printing; true when it was stored.
    bool saveSale();

    // The receipt the sale would print if it were stored now: under the next number, at this moment.
    ReceiptContent nextReceipt();

    // Receipt printing comes in through here; it takes the receipt and returns at once.
    using ReceiptPrinter = std::function<void(const ReceiptContent&)>;
    void setReceiptPrinter(ReceiptPrinter printReceipt) { m_printReceipt = std::move(printReceipt); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void receivedChanged();
    void computeChange();
    // The amount was typed a moment ago: its change is what is meant.
    void finishPendingChange();
    void receivedPicked(int index);
    void receivedComboTyped(const QString& text);
    void wheelOverReceivedCombo(int step);
    int ticketFormat();
    // Stores the sale; the receipt it prints once stored, or nothing after "添加失败！".
    std::optional<ReceiptContent> storeSale();

    CheckoutBoxes m_boxes;
    CurrentSale& m_sale;
    Session& m_session;
    QWidget* m_owner;
    QTimer* m_settle;
    bool m_receivedPicked = false;
    ReceiptPrinter m_printReceipt;
};

} // namespace quorrel
