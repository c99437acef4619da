#pragma once

#include "core/sales/Sale.h"
#include "core/sales/SaleLinesModel.h"

#include <QObject>

namespace quorrel {

// The sale being entered at the till: its lines (the model the list shows) and its header, the
// ticket number, cashier, remark, amount received, change, payment method and the shop name it
// is printed under. The main window shows it and edits it; storing, the receipt and the preview
// read it. Each field announces its changes, whoever made them, so the window's boxes follow.
class CurrentSale : public QObject
{
    Q_OBJECT
public:
    enum class Field
    {
        ShopName,
        TicketNumber,
        Cashier,
        Remark,
        Received,
        Change,
        PaymentMethod,
    };

    explicit CurrentSale(QObject* parent = nullptr);

    SaleLinesModel& lines() { return m_lines; }
    const Sale& sale() const { return m_lines.sale(); }
    const SaleHeader& header() const { return m_header; }

    QString field(Field field) const;
    // Announces fieldChanged only when the text differs from the one held.
    void setField(Field field, const QString& text);

    // Whether the discounted total is what the customer pays.
    bool discountOn() const { return m_discountOn; }
    void setDiscountOn(bool on) { m_discountOn = on; }
    // The amount due, unpadded: the discounted total when the discount is on, else the plain total.
    QString amountDue() const { return sale().amountDue(m_discountOn); }

    // The sale was stored under `ticketNumber`: the number stays for the next one to follow, and the
    // lines go. Nothing else is reset: the totals, amounts and remark stay until the next line.
    void stored(const QString& ticketNumber);

signals:
    void fieldChanged(quorrel::CurrentSale::Field field, const QString& text);

private:
    SaleLinesModel m_lines;
    SaleHeader m_header;
    bool m_discountOn = false;
};

} // namespace quorrel
