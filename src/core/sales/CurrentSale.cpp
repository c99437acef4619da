#include "core/sales/CurrentSale.h"

namespace quorrel {

CurrentSale::CurrentSale(QObject* parent) : QObject(parent) {}

namespace {

QString SaleHeader::*member(CurrentSale::Field field)
{
    switch (field) {
    case CurrentSale::Field::ShopName:
        return &SaleHeader::shopName;
    case CurrentSale::Field::TicketNumber:
        return &SaleHeader::ticketNumber;
    case CurrentSale::Field::Cashier:
        return &SaleHeader::cashier;
    case CurrentSale::Field::Remark:
        return &SaleHeader::remark;
    case CurrentSale::Field::Received:
        return &SaleHeader::received;
    case CurrentSale::Field::Change:
        return &SaleHeader::change;
    case CurrentSale::Field::PaymentMethod:
        break;
    }
    return &SaleHeader::paymentMethod;
}

} // namespace

QString CurrentSale::field(Field field) const
{
    return m_header.*member(field);
}

void CurrentSale::setField(Field field, const QString& text)
{
    QString& held = m_header.*member(field);
    if (held == text)
        return;
    held = text;
    emit fieldChanged(field, text);
}

void CurrentSale::stored(const QString& ticketNumber)
{
    setField(Field::TicketNumber, ticketNumber);
    m_lines.clear();
}

} // namespace quorrel
