#include "gui/sales/Checkout.h"

#include "core/sales/LineMath.h"
#include "core/sales/SaleStore.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/store/Decimal.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/sales/LineItems.h"
#include "gui/widgets/MessageBox.h"

#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWheelEvent>

namespace quorrel {

namespace {

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

Checkout::Checkout(const CheckoutBoxes& boxes, Session& session, LineItems& lines, QWidget* owner)
    : QObject(owner), m_boxes(boxes), m_session(session), m_lines(lines), m_owner(owner), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, &Checkout::computeChange);
    connect(m_boxes.received, &QLineEdit::textChanged, this, &Checkout::receivedChanged);
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
    m_boxes.change->setText(formatMoney(difference(m_boxes.received->text(), m_lines.amountDue())));
}

void Checkout::receivedPicked(int index)
{
    if (index < 0)
        return;
    m_receivedPicked = true;
    const QString text = m_boxes.receivedCombo->itemText(index);
    if (m_boxes.received->text() == text)
        receivedChanged(); // the same amount picked again still shows its change at once
    else
        m_boxes.received->setText(text);
}

void Checkout::receivedComboTyped(const QString& text)
{
    m_boxes.change->setText(difference(text, m_lines.amountDue()));
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

void Checkout::printAndSave()
{
    if (m_lines.sale().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("没有可以打印的数据！"));
        return;
    }
    // The receipt carries the number the sale is stored under: advance first, print (and reprint)
    // with it, then store without advancing again.
    advanceTicketNumber();
    if (m_printReceipt)
        m_printReceipt(m_lines.sale(), header());
    storeShownSale();
}

bool Checkout::saveSale()
{
    // A sale without lines is never stored: a second click, or saving after printing, finds none.
    if (m_lines.sale().isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("没有可以保存的数据！"));
        return false;
    }
    advanceTicketNumber();
    return storeShownSale();
}

void Checkout::advanceTicketNumber()
{
    m_boxes.ticketNumber->setText(
        quorrel::advanceTicketNumber(m_session.ticketFormat, m_boxes.ticketNumber->text(), Clock::now().date()));
}

SaleHeader Checkout::header()
{
    if (m_settle->isActive()) { // the amount was typed a moment ago: its change is what is meant
        m_settle->stop();
        computeChange();
    }
    SaleHeader header;
    header.shopName = m_boxes.shopName->text();
    header.ticketNumber = m_boxes.ticketNumber->text();
    header.time = m_boxes.time->text();
    header.cashier = m_boxes.cashier->text();
    header.remark = m_boxes.remark->toPlainText();
    header.received = m_boxes.received->text();
    header.change = m_boxes.change->text();
    header.paymentMethod = m_boxes.paymentMethod->text();
    return header;
}

bool Checkout::storeShownSale()
{
    if (!storeSale(m_session.db, header(), m_lines.sale())) {
        qWarning().noquote() << "sale not stored:" << m_session.db.lastError();
        MessageBox::show(m_owner, QStringLiteral("添加失败！"));
        return false;
    }
    m_lines.clear();
    return true;
}

} // namespace quorrel
