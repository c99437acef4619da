#include "gui/records/SearchWindow.h"

#include "ui_SearchWindow.h"

#include "core/records/SaleRecords.h"
#include "core/shop/Session.h"
#include "core/store/Clock.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

SearchWindow::SearchWindow(Session& session, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SearchWindow>()), m_session(session)
{
    m_ui->setupUi(this);
    setFixedSize(size());

    const QDateTime now = Clock::now();
    m_ui->日期框1->setDateTime(now);
    m_ui->日期框2->setDateTime(now);

    if (const std::optional<QStringList> names = cashierNames(m_session.db)) {
        m_ui->组合框_收银员->addItems(*names);
    } else {
        qWarning().noquote() << "cashier list not read:" << m_session.db.lastError();
        MessageBox::show(this, MessageBox::kQueryFailed);
    }
    m_ui->组合框_收银员->setCurrentIndex(-1);

    connect(m_ui->选择框_时间, &QCheckBox::toggled, this, [this](bool on) {
        m_ui->日期框1->setEnabled(on);
        m_ui->日期框2->setEnabled(on);
    });
    connect(m_ui->选择框_数量, &QCheckBox::toggled, m_ui->编辑框_数量1, &QWidget::setEnabled);
    connect(m_ui->选择框_金额, &QCheckBox::toggled, m_ui->编辑框_销售金额1, &QWidget::setEnabled);
    connect(m_ui->选择框_收银员, &QCheckBox::toggled, m_ui->组合框_收银员, &QWidget::setEnabled);
    connect(m_ui->按钮1, &QPushButton::clicked, this, [this] {
        const SearchCriteria c = criteria();
        if (!amountSearchable(c)) {
            MessageBox::show(this, QStringLiteral("金额必须是数字！"));
            return;
        }
        emit searchRequested(searchRecords(c));
    });
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::reject);
}

SearchWindow::~SearchWindow() = default;

SearchCriteria SearchWindow::criteria() const
{
    SearchCriteria c;
    c.exact = m_ui->单选框_精确->isChecked();
    c.byTime = m_ui->选择框_时间->isChecked();
    c.firstDay = m_ui->日期框1->date();
    c.lastDay = m_ui->日期框2->date();
    c.byQuantity = m_ui->选择框_数量->isChecked();
    c.quantity = m_ui->编辑框_数量1->text();
    c.byAmount = m_ui->选择框_金额->isChecked();
    c.amount = m_ui->编辑框_销售金额1->text();
    c.byCashier = m_ui->选择框_收银员->isChecked();
    c.cashier = m_ui->组合框_收银员->currentText();
    return c;
}

} // namespace quorrel
