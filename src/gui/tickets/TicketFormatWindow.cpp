#include "gui/tickets/TicketFormatWindow.h"

#include "ui_TicketFormatWindow.h"

#include "gui/widgets/MessageBox.h"
#include "core/shop/Session.h"
#include "gui/widgets/StoreAccess.h"
#include "core/tickets/TicketNumbers.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"

namespace quorrel {

void LoadTicketFormatInto(Session& session, QWidget* owner)
{
    if (const std::optional<int> format = LoadTicketFormat(session.db))
        session.ticketFormat = *format;
    else
        MessageBox::Inform(ui::kQueryFailed, owner);
}

TicketFormatWindow::TicketFormatWindow(Session& session, std::function<void()> rerunMainStartup, QLineEdit* sampleBox,
                                       QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TicketFormatWindow>()), m_session(session),
      m_rerunMainStartup(std::move(rerunMainStartup)), m_sampleBox(sampleBox)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->选择框1, &QCheckBox::clicked, this, &TicketFormatWindow::CustomPrefixClicked);
    connect(m_ui->选择框2, &QCheckBox::clicked, this, &TicketFormatWindow::DatePrefixClicked);
    connect(m_ui->按钮1, &QPushButton::clicked, this, &TicketFormatWindow::ConfirmClicked);
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::reject);

    m_ui->编辑框1->setText(QStringLiteral("000000"));
    m_ui->编辑框2->setText(DatePrefix(Clock::Now().date()));
    LoadFormatIntoUnits();
}

TicketFormatWindow::~TicketFormatWindow() = default;

void TicketFormatWindow::LoadFormatIntoUnits()
{
    LoadTicketFormatInto(m_session, this);
    const bool custom = m_session.ticketFormat == kTicketFormatCustomPrefix;
    m_ui->选择框1->setChecked(custom);
    m_ui->选择框2->setChecked(!custom);
    m_ui->编辑框1->setEnabled(custom);
    m_ui->编辑框2->setEnabled(!custom);
}

void TicketFormatWindow::CustomPrefixClicked(bool checked)
{
    m_ui->选择框2->setChecked(!checked);
    m_ui->编辑框1->setEnabled(checked);
    m_ui->编辑框2->setEnabled(!checked);
}

void TicketFormatWindow::DatePrefixClicked(bool checked)
{
    m_ui->选择框1->setChecked(!checked);
    m_ui->编辑框2->setEnabled(checked);
    m_ui->编辑框1->setEnabled(!checked);
}

void TicketFormatWindow::ConfirmClicked()
{
    const bool custom = m_ui->选择框1->isChecked();
    const int format = custom ? kTicketFormatCustomPrefix : kTicketFormatDatePrefix;
    if (StoreTicketFormat(m_session.db, format)) {
        LoadTicketFormatInto(m_session, this);
    } else {
        MessageBox::Inform(QStringLiteral("数据添加失败"), this);
    }
    if (m_sampleBox)
        m_sampleBox->setText(custom ? m_ui->编辑框1->text() : m_ui->编辑框2->text());
    if (m_rerunMainStartup)
        m_rerunMainStartup();
}

} // namespace quorrel
