#include "gui/tickets/TicketFormatWindow.h"

#include "ui_TicketFormatWindow.h"

#include "core/shop/Session.h"
#include "core/shop/ShopSettings.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

void loadTicketFormatInto(Session& session, QWidget* owner)
{
    if (const std::optional<int> format = ShopSettings(session.db).ticketFormat()) {
        session.ticketFormat = *format;
    } else {
        qWarning().noquote() << "ticket format read failed:" << session.db.lastError();
        MessageBox::show(owner, MessageBox::kQueryFailed);
    }
}

TicketFormatWindow::TicketFormatWindow(Session& session, std::function<void()> rerunMainStartup, QLineEdit* sampleBox,
                                       QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TicketFormatWindow>()), m_session(session),
      m_rerunMainStartup(std::move(rerunMainStartup)), m_sampleBox(sampleBox)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->选择框1, &QCheckBox::clicked, this, &TicketFormatWindow::customPrefixClicked);
    connect(m_ui->选择框2, &QCheckBox::clicked, this, &TicketFormatWindow::datePrefixClicked);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &TicketFormatWindow::confirmClicked);
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::reject);

    m_ui->编辑框1->setText(QStringLiteral("000000"));
    m_ui->编辑框2->setText(datePrefix(Clock::now().date()));
    loadFormatIntoUnits();
}

TicketFormatWindow::~TicketFormatWindow() = default;

void TicketFormatWindow::loadFormatIntoUnits()
{
    loadTicketFormatInto(m_session, this);
    const bool custom = m_session.ticketFormat == kTicketFormatCustomPrefix;
    m_ui->选择框1->setChecked(custom);
    m_ui->选择框2->setChecked(!custom);
    m_ui->编辑框1->setEnabled(custom);
    m_ui->编辑框2->setEnabled(!custom);
}

void TicketFormatWindow::customPrefixClicked(bool checked)
{
    m_ui->选择框2->setChecked(!checked);
    m_ui->编辑框1->setEnabled(checked);
    m_ui->编辑框2->setEnabled(!checked);
}

void TicketFormatWindow::datePrefixClicked(bool checked)
{
    m_ui->选择框1->setChecked(!checked);
    m_ui->编辑框2->setEnabled(checked);
    m_ui->编辑框1->setEnabled(!checked);
}

void TicketFormatWindow::confirmClicked()
{
    const bool custom = m_ui->选择框1->isChecked();
    const int format = custom ? kTicketFormatCustomPrefix : kTicketFormatDatePrefix;
    if (ShopSettings(m_session.db).setTicketFormat(format)) {
        loadTicketFormatInto(m_session, this);
    } else {
        qWarning().noquote() << "ticket format not stored:" << m_session.db.lastError();
        MessageBox::show(this, QStringLiteral("数据添加失败"));
    }
    if (m_sampleBox)
        m_sampleBox->setText(custom ? m_ui->编辑框1->text() : m_ui->编辑框2->text());
    if (m_rerunMainStartup)
        m_rerunMainStartup();
}

} // namespace quorrel
