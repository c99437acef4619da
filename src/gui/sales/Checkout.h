#pragma once

#include "core/sales/Sale.h"

#include <QObject>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace quorrel {

class LineItems;
struct Session;

// The main window's units the end of a sale uses.
struct CheckoutBoxes
{
    QLineEdit* ticketNumber = nullptr;
    QLineEdit* cashier = nullptr;
    QPlainTextEdit* remark = nullptr;
    QLineEdit* received = nullptr;
    QComboBox* receivedCombo = nullptr;
    QLineEdit* change = nullptr;
    QLineEdit* paymentMethod = nullptr;
    QLineEdit* shopName = nullptr;
    QLineEdit* time = nullptr;
};

// The end of a sale: the amount received and the change, then printing and saving.
class Checkout : public QObject
{
    Q_OBJECT
public:
    Checkout(const CheckoutBoxes& boxes, Session& session, LineItems& lines, QWidget* owner);

    // How long typing in the amount box may pause before the change is worked out.
    static constexpr int kSettleMilliseconds = 500;

    // Prints the receipt under the next ticket number, then stores the sale under that same number.
    void printAndSave();
    // Advances the ticket number and stores the sale without printing; true when it was stored.
    bool saveSale();

    // The header of the sale as the window shows it, after the change still settling is worked out.
    SaleHeader header();

    // Receipt printing comes in through here so that the sale is saved only after it.
    using ReceiptPrinter = std::function<void(const Sale&, const SaleHeader&)>;
    void setReceiptPrinter(ReceiptPrinter printReceipt) { m_printReceipt = std::move(printReceipt); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void receivedChanged();
    void computeChange();
    void receivedPicked(int index);
    void receivedComboTyped(const QString& text);
    void wheelOverReceivedCombo(int step);
    void advanceTicketNumber();
    bool storeShownSale();

    CheckoutBoxes m_boxes;
    Session& m_session;
    LineItems& m_lines;
    QWidget* m_owner;
    QTimer* m_settle;
    bool m_receivedPicked = false;
    ReceiptPrinter m_printReceipt;
};

} // namespace quorrel
