#include "gui/sales/Checkout.h"

#include "ui_MainWindow.h"

#include "core/sales/LineMath.h"
#include "core/sales/SaleStore.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/sales/LineItems.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QTimer>
#include <QWheelEvent>

namespace quorrel {

Checkout::Checkout(Ui::MainWindow& ui, Session& session, LineItems& lines, QWidget* owner)
    : QObject(owner), m_ui(ui), m_session(session), m_lines(lines), m_owner(owner), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, &Checkout::computeChange);
    connect(m_ui.编辑框_实收, &QLineEdit::textChanged, this, &Checkout::receivedChanged);
    connect(m_ui.组合框_实收, &QComboBox::activated, this, &Checkout::receivedPicked);
    connect(m_ui.组合框_实收->lineEdit(), &QLineEdit::textEdited, this, &Checkout::receivedComboTyped);
    m_ui.组合框_实收->installEventFilter(this);
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
    const double change = textToNumber(m_ui.编辑框_实收->text()) - textToNumber(m_lines.amountDue());
    m_ui.编辑框_找零->setText(formatMoney(doubleToText(change)));
}

void Checkout::receivedPicked(int index)
{
    if (index < 0)
        return;
    m_receivedPicked = true;
    const QString text = m_ui.组合框_实收->itemText(index);
    if (m_ui.编辑框_实收->text() == text)
        receivedChanged(); // the same amount picked again still shows its change at once
    else
        m_ui.编辑框_实收->setText(text);
}

void Checkout::receivedComboTyped(const QString& text)
{
    const double change = textToNumber(text) - textToNumber(m_lines.amountDue());
    m_ui.编辑框_找零->setText(doubleToText(change));
}

void Checkout::wheelOverReceivedCombo(int step)
{
    QComboBox* combo = m_ui.组合框_实收;
    const qint64 value = textToWhole(combo->currentText());
    if (value == 0 && step == -1)
        return;
    combo->setEditText(QString::number(value + step));
}

bool Checkout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.组合框_实收 && event->type() == QEvent::Wheel) {
        const int notches = wheelNotches(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (notches != 0)
            wheelOverReceivedCombo(wheelStep(notches));
        return true; // the combo's own wheel would pick entries
    }
    return QObject::eventFilter(watched, event);
}

void Checkout::printAndSave()
{
    if (m_lines.isEmpty()) {
        MessageBox::show(m_owner, QStringLiteral("没有可以打印的数据！"));
        return;
    }
    // The receipt carries the number the sale is stored under: advance first, print (and reprint)
    // with it, then store without advancing again.
    advanceTicketNumber();
    if (m_printReceipt)
        m_printReceipt();
    storeShownSale();
}

bool Checkout::saveSale()
{
    advanceTicketNumber();
    return storeShownSale();
}

void Checkout::advanceTicketNumber()
{
    m_ui.编辑框_单号->setText(
        quorrel::advanceTicketNumber(m_session.ticketFormat, m_ui.编辑框_单号->text(), Clock::now().date()));
}

bool Checkout::storeShownSale()
{
    const SaleHeader header{m_ui.编辑框_单号->text(), m_ui.标签_总量->text(), m_ui.标签_总金额->text(),
                            m_ui.编辑框_收银员->text(), m_ui.编辑框_备注->toPlainText()};
    if (!storeSale(m_session.db, header, m_lines.lines())) {
        qWarning().noquote() << "sale not stored:" << m_session.db.lastError();
        MessageBox::show(m_owner, QStringLiteral("添加失败！"));
        return false;
    }
    m_lines.clear();
    return true;
}

} // namespace quorrel
