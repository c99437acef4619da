#include "gui/settings/CustomerWindow.h"

#include "ui_CustomerWindow.h"

#include "core/shop/CustomerListModel.h"
#include "gui/widgets/MessageBox.h"

#include <QApplication>

namespace quorrel {

CustomerWindow::CustomerWindow(Customers& customers, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CustomerWindow>()), m_customers(customers)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    m_model = new CustomerListModel(customers, this);
    connect(&m_customers, &Customers::changed, this, &CustomerWindow::customersChanged);
    QTreeView* list = m_ui->超级列表框1;
    list->setModel(m_model);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setColumnWidth(0, 50);
    list->setColumnWidth(1, 90);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CustomerWindow::rowClicked);
    connect(m_ui->按钮_添加, &QPushButton::clicked, this, &CustomerWindow::addClicked);
    connect(m_ui->按钮_修改, &QPushButton::clicked, this, &CustomerWindow::changeClicked);
    connect(m_ui->按钮_删除, &QPushButton::clicked, this, &CustomerWindow::deleteClicked);
    connect(m_ui->按钮__查询, &QPushButton::clicked, this, &CustomerWindow::searchClicked);
    fillList({});
}

CustomerWindow::~CustomerWindow() = default;

void CustomerWindow::fillList(const Customers::Search& search)
{
    // The first search of a shop with many customers makes its index, which takes a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = m_model->reload(search);
    QApplication::restoreOverrideCursor();
    if (!read)
        MessageBox::failed(this, MessageBox::kQueryFailed, m_model->readError());
}

void CustomerWindow::customersChanged()
{
    if (!m_model->refresh())
        MessageBox::failed(this, MessageBox::kQueryFailed, m_model->readError());
}

std::optional<Customer> CustomerWindow::selectedCustomer(const QString& noneMessage)
{
    const QModelIndexList rows = m_ui->超级列表框1->selectionModel()->selectedRows();
    const Customer* customer = rows.isEmpty() ? nullptr : m_model->customerAt(rows.first().row());
    if (!customer) {
        MessageBox::show(this, noneMessage, QStringLiteral("提示："));
        return std::nullopt;
    }
    return *customer;
}

bool CustomerWindow::checkEntry()
{
    // A customer is picked by name or by telephone number: one of them must be there.
    if (m_ui->编辑框_客户->text().isEmpty() && m_ui->编辑框_电话->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("客户和电话不能都为空！"));
        return false;
    }
    return true;
}

void CustomerWindow::stored(const Done& result, const QString& failure)
{
    if (!result) {
        MessageBox::failed(this, failure, result.error());
        return;
    }
    m_ui->编辑框_客户->clear();
    m_ui->编辑框_电话->clear();
    fillList({});
}

void CustomerWindow::rowClicked()
{
    if (const Customer* customer = m_model->customerAt(m_ui->超级列表框1->currentIndex().row())) {
        m_ui->编辑框_客户->setText(customer->name);
        m_ui->编辑框_电话->setText(customer->phone);
    }
}

void CustomerWindow::addClicked()
{
    if (checkEntry())
        stored(m_customers.add(m_ui->编辑框_客户->text(), m_ui->编辑框_电话->text()), QStringLiteral("添加失败！"));
}

void CustomerWindow::changeClicked()
{
    const std::optional<Customer> customer = selectedCustomer(QStringLiteral("请选择要修改的行！"));
    if (customer && checkEntry())
        stored(m_customers.update(customer->id, m_ui->编辑框_客户->text(), m_ui->编辑框_电话->text()),
               QStringLiteral("数据添加失败"));
}

void CustomerWindow::deleteClicked()
{
    const std::optional<Customer> customer = selectedCustomer(QStringLiteral("请选择要删除的行！"));
    if (customer && MessageBox::question(this, QStringLiteral("确定要删除吗？"), QStringLiteral("注意")))
        stored(m_customers.remove(customer->id), QStringLiteral("数据删除失败"));
}

void CustomerWindow::searchClicked()
{
    Customers::Search search;
    search.partial = m_ui->选择框1->isChecked();
    if (!m_ui->编辑框3->text().isEmpty()) {
        search.field = Customers::Search::Field::Name;
        search.text = m_ui->编辑框3->text();
    } else if (!m_ui->编辑框4->text().isEmpty()) {
        search.field = Customers::Search::Field::Phone;
        search.text = m_ui->编辑框4->text();
    }
    fillList(search);
}

} // namespace quorrel
