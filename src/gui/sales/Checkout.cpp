#include "gui/sales/Checkout.h"

#include "core/sales/CurrentSale.h"
#include "core/sales/LineMath.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/store/DateTexts.h"
#include "core/store/Decimal.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/widgets/MessageBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

namespace quorrel {

namespace {

using Field = CurrentSale::Field;

// Received minus due, exactly and in plain digits; through floating point only when a text cannot
// be held exactly.
QString difference(const QString& received, const QString& due)
{
    const std::optional<Decimal> paid = decimalFromText(received);
    const std::optional<Decimal> owed = decimalFromText(due);
    if (paid && owed) {
        if (const std::optional<Decimal> change = addDecimals(*paid, Decimal{-owed->units, owed->scale}))
            return decimalToText(*change);
    }
    return doubleToText(textToNumber(received) - textToNumber(due));
}

} // namespace

Checkout::Checkout(const CheckoutBoxes& boxes, CurrentSale& sale, Session& session, QWidget* owner)
    : QObject(owner), m_boxes(boxes), m_sale(sale), m_session(session), m_owner(owner), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, &Checkout::computeChange);
    connect(&m_sale, &CurrentSale::fieldChanged, this, [this](Field field) {
        if (field == Field::Received)
            receivedChanged();
    });
    connect(m_boxes.receivedCombo, &QComboBox::activated, this, &Checkout::receivedPicked);
    connect(m_boxes.receivedCombo->lineEdit(), &QLineEdit::textEdited, this, &Checkout::receivedComboTyped);
    m_boxes.receivedCombo->installEventFilter(this);
}

void Checkout::receivedChanged()
{
    if (m_receivedPicked) {
        m_settle->stop();
        computeChange();
        return;
    }
    // Quick typing settles first; the window keeps handling input meanwhile.
    m_settle->start();
}

void Checkout::computeChange()
{
    m_receivedPicked = false;
    m_sale.setField(Field::Change, formatMoney(difference(m_sale.field(Field::Received), m_sale.amountDue())));
}

void Checkout::finishPendingChange()
{
    if (m_settle->isActive()) {
        m_settle->stop();
        computeChange();
    }
}

void Checkout::receivedPicked(int index)
{
    if (index < 0)
        return;
    m_receivedPicked = true;
    const QString text = m_boxes.receivedCombo->itemText(index);
    if (m_sale.field(Field::Received) == text)
        receivedChanged(); // the same amount picked again still shows its change at once
    else
        m_sale.setField(Field::Received, text);
}

void Checkout::receivedComboTyped(const QString& text)
{
    m_sale.setField(Field::Change, difference(text, m_sale.amountDue()));
}

void Checkout::wheelOverReceivedCombo(int step)
{
    QComboBox* combo = m_boxes.receivedCombo;
    const qint64 value = textToWhole(combo->currentText());
    if (value == 0 && step == -1)
        return;
    combo->setEditText(QString::number(value + step));
}

bool Checkout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_boxes.receivedCombo && event->type() == QEvent::Wheel) {
        const int notches = wheelNotches(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (notches != 0)
            wheelOverReceivedCombo(wheelStep(notches));
        return true; // the combo's own wheel would pick entries
    }
    return QObject::eventFilter(watched, event);
}

int Checkout::ticketFormat()
{
    return MessageBox::valueOrReport(m_owner, m_session.shop.settings().ticketFormat());
}

ReceiptContent Checkout::nextReceipt()
{
    finishPendingChange();
    SaleHeader header = m_sale.header();
    const QDateTime now = Clock::now();
    header.ticketNumber = advanceTicketNumber(ticketFormat(), header.ticketNumber, now.date());
    header.time = dateTimeText(now);
    return receiptOf(m_sale.sale(), header);
}

std::optional<ReceiptContent> Checkout::storeSale()
{
    finishPendingChange();
    const Result<StoredSale> stored = m_session.shop.sales().storeNext(ticketFormat(), m_sale.header(), m_sale.sale());
    if (!stored) {
        // Nothing is stored and no number used up: the lines stay for another try, which connects
        // to the server afresh.
        if (m_session.db.serverUnreachable())
            MessageBox::failed(m_owner, QStringLiteral("无法连接数据库服务器，本单未保存。"), stored.error(),
                               QStringLiteral("提示："));
        else
            MessageBox::failed(m_owner, QStringLiteral("添加失败！"), stored.error());
        return std::nullopt;
    }
    SaleHeader header = m_sale.header();
    header.ticketNumber = stored->ticketNumber;
    header.time = stored->time;
    ReceiptContent receipt = receiptOf(m_sale.sale(), header);
    m_sale.stored(stored->ticketNumber);
    return receipt;
}

void Checkout::printAndSave()
{
    if (m_sale.sale().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("没有可以打印的数据！"));
        return;
    }
    // Stored first: the receipt carries the number the sale is stored under, and a receipt is never
    // handed over for a sale that is in no record.
    const std::optional<ReceiptContent> receipt = storeSale();
    if (receipt && m_printReceipt)
        m_printReceipt(*receipt);
}

bool Checkout::saveSale()
{
    // A sale without lines is never stored: a second click, or saving after printing, finds none.
    if (m_sale.sale().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("没有可以保存的数据！"));
        return false;
    }
    return storeSale().has_value();
}

} // namespace quorrel
