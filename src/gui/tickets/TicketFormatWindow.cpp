#include "gui/tickets/TicketFormatWindow.h"

#include "ui_TicketFormatWindow.h"

#include "core/shop/ShopSettings.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "core/tickets/TicketNumbers.h"
#include "gui/widgets/MessageBox.h"

namespace quorrel {

TicketFormatWindow::TicketFormatWindow(ShopSettings& settings, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TicketFormatWindow>()), m_settings(settings)
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
    const bool custom = MessageBox::valueOrReport(this, m_settings.ticketFormat()) == kTicketFormatCustomPrefix;
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
    const int format = m_ui->选择框1->isChecked() ? kTicketFormatCustomPrefix : kTicketFormatDatePrefix;
    if (const Done stored = m_settings.setTicketFormat(format); !stored)
        MessageBox::failed(this, QStringLiteral("数据添加失败"), stored.error());
}

} // namespace quorrel
