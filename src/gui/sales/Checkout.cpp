#include "gui/sales/Checkout.h"

#include "ui_MainWindow.h"

#include "gui/widgets/MessageBox.h"
#include "core/shop/Session.h"
#include "gui/sales/LineItems.h"
#include "core/sales/LineMath.h"
#include "core/sales/SaleStore.h"
#include "core/tickets/TicketNumbers.h"
#include "core/store/Clock.h"
#include "core/store/Conversions.h"

#include <QDebug>
#include <QTimer>
#include <QWheelEvent>

namespace quorrel {

Checkout::Checkout(Ui::MainWindow& ui, Session& session, LineItems& lines, QWidget* owner)
    : QObject(owner), m_ui(ui), m_session(session), m_lines(lines), m_owner(owner), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMilliseconds);
    connect(m_settle, &QTimer::timeout, this, &Checkout::ComputeChange);
    connect(m_ui.编辑框_实收, &QLineEdit::textChanged, this, &Checkout::ReceivedChanged);
    connect(m_ui.组合框_实收, &QComboBox::activated, this, &Checkout::ReceivedPicked);
    connect(m_ui.组合框_实收->lineEdit(), &QLineEdit::textEdited, this, &Checkout::ReceivedComboTyped);
    m_ui.组合框_实收->installEventFilter(this);
}

void Checkout::ReceivedChanged()
{
    if (m_receivedPicked) {
        m_settle->stop();
        ComputeChange();
        return;
    }
    // Quick typing settles first; the window keeps handling input meanwhile.
    m_settle->start();
}

void Checkout::ComputeChange()
{
    m_receivedPicked = false;
    const double change = TextToNumber(m_ui.编辑框_实收->text()) - TextToNumber(m_lines.AmountDue());
    m_ui.编辑框_找零->setText(FormatMoney(DoubleToText(change)));
}

void Checkout::ReceivedPicked(int index)
{
    if (index < 0)
        return;
    m_receivedPicked = true;
    const QString text = m_ui.组合框_实收->itemText(index);
    if (m_ui.编辑框_实收->text() == text)
        ReceivedChanged(); // the same amount picked again still shows its change at once
    else
        m_ui.编辑框_实收->setText(text);
}

void Checkout::ReceivedComboTyped(const QString& text)
{
    const double change = TextToNumber(text) - TextToNumber(m_lines.AmountDue());
    m_ui.编辑框_找零->setText(DoubleToText(change));
}

void Checkout::WheelOverReceivedCombo(int step)
{
    QComboBox* combo = m_ui.组合框_实收;
    const qint64 value = TextToWhole(combo->currentText());
    if (value == 0 && step == -1)
        return;
    combo->setEditText(QString::number(value + step));
}

bool Checkout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.组合框_实收 && event->type() == QEvent::Wheel) {
        const int notches = WheelNotches(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (notches != 0)
            WheelOverReceivedCombo(WheelStep(notches));
        return true; // the combo's own wheel would pick entries
    }
    return QObject::eventFilter(watched, event);
}

void Checkout::PrintAndSave()
{
    if (m_lines.IsEmpty()) {
        MessageBox::Inform(QStringLiteral("没有可以打印的数据！"), m_owner);
        return;
    }
    // The receipt carries the number the sale is stored under: advance first, print (and reprint)
    // with it, then store without advancing again.
    AdvanceTicketNumber();
    if (m_printReceipt)
        m_printReceipt();
    StoreShownSale();
}

bool Checkout::SaveSale()
{
    AdvanceTicketNumber();
    return StoreShownSale();
}

void Checkout::AdvanceTicketNumber()
{
    m_ui.编辑框_单号->setText(
        quorrel::AdvanceTicketNumber(m_session.ticketFormat, m_ui.编辑框_单号->text(), Clock::Now().date()));
}

bool Checkout::StoreShownSale()
{
    const SaleHeader header{m_ui.编辑框_单号->text(), m_ui.标签_总量->text(), m_ui.标签_总金额->text(),
                            m_ui.编辑框_收银员->text(), m_ui.编辑框_备注->toPlainText()};
    if (!StoreSale(m_session.db, header, m_lines.Lines())) {
        qWarning().noquote() << "sale not stored:" << m_session.db.LastError();
        MessageBox::Inform(QStringLiteral("添加失败！"), m_owner);
        return false;
    }
    m_lines.Clear();
    return true;
}

} // namespace quorrel
