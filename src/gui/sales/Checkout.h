#pragma once

#include <QObject>

#include <functional>

class QTimer;

namespace Ui {
class MainWindow;
}

namespace quorrel {

class LineItems;
struct Session;

// The end of a sale: the amount received and the change, then printing and saving.
class Checkout : public QObject
{
    Q_OBJECT
public:
    Checkout(Ui::MainWindow& ui, Session& session, LineItems& lines, QWidget* owner);

    // How long typing in the amount box may pause before the change is worked out.
    static constexpr int kSettleMilliseconds = 500;

    // Prints the receipt under the next ticket number, then stores the sale under that same number.
    void printAndSave();
    // Advances the ticket number and stores the sale without printing; true when it was stored.
    bool saveSale();

    // Receipt printing comes in through here so that the sale is saved only after it.
    void setReceiptPrinter(std::function<void()> printReceipt) { m_printReceipt = std::move(printReceipt); }

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

    Ui::MainWindow& m_ui;
    Session& m_session;
    LineItems& m_lines;
    QWidget* m_owner;
    QTimer* m_settle;
    bool m_receivedPicked = false;
    std::function<void()> m_printReceipt;
};

} // namespace quorrel
