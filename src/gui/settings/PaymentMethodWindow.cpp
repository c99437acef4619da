#include "gui/settings/PaymentMethodWindow.h"

#include "ui_PaymentMethodWindow.h"

#include "gui/widgets/MessageBox.h"

#include <QStandardItemModel>

namespace quorrel {

namespace {
const QString kEmpty = QStringLiteral("不能为空");
} // namespace

PaymentMethodWindow::PaymentMethodWindow(PaymentMethods& methods, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PaymentMethodWindow>()), m_store(methods)
{
    connect(&m_store, &PaymentMethods::changed, this, &PaymentMethodWindow::fillList);
    m_ui->setupUi(this);
    setFixedSize(size());
    m_model = new QStandardItemModel(0, 2, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("付款方式")});
    QTreeView* list = m_ui->超级列表框1;
    list->setModel(m_model);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setColumnWidth(0, 40);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &PaymentMethodWindow::rowClicked);
    connect(m_ui->按钮_添加, &QPushButton::clicked, this, &PaymentMethodWindow::addClicked);
    connect(m_ui->按钮_修改, &QPushButton::clicked, this, &PaymentMethodWindow::changeClicked);
    connect(m_ui->按钮_删除, &QPushButton::clicked, this, &PaymentMethodWindow::deleteClicked);
    fillList();
}

PaymentMethodWindow::~PaymentMethodWindow() = default;

void PaymentMethodWindow::fillList()
{
    m_model->removeRows(0, m_model->rowCount());
    m_methods.clear();
    const Result<QList<PaymentMethod>> methods = m_store.all();
    if (!methods) {
        MessageBox::failed(this, MessageBox::kQueryFailed, methods.error());
        return;
    }
    m_methods = *methods;
    for (int row = 0; row < m_methods.size(); ++row)
        m_model->appendRow({new QStandardItem(QString::number(row + 1)), new QStandardItem(m_methods[row].name)});
}

std::optional<PaymentMethod> PaymentMethodWindow::selectedMethod(const QString& noneMessage)
{
    const QModelIndexList rows = m_ui->超级列表框1->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_methods.size()) {
        MessageBox::show(this, noneMessage, QStringLiteral("提示："));
        return std::nullopt;
    }
    return m_methods[rows.first().row()];
}

void PaymentMethodWindow::rowClicked()
{
    const int row = m_ui->超级列表框1->currentIndex().row();
    if (row >= 0 && row < m_methods.size())
        m_ui->编辑框1->setText(m_methods[row].name);
}

void PaymentMethodWindow::addClicked()
{
    const QString name = m_ui->编辑框1->text();
    if (name.isEmpty()) {
        MessageBox::show(this, kEmpty);
        return;
    }
    reportIfFailed(m_store.add(name), QStringLiteral("添加失败！"));
}

void PaymentMethodWindow::changeClicked()
{
    const std::optional<PaymentMethod> method = selectedMethod(QStringLiteral("请选择要修改的行！"));
    if (!method)
        return;
    const QString name = m_ui->编辑框1->text();
    if (name.isEmpty()) { // a method without a name could not be told apart on the receipt
        MessageBox::show(this, kEmpty);
        return;
    }
    reportIfFailed(m_store.rename(method->id, name), QStringLiteral("数据修改失败"));
}

void PaymentMethodWindow::deleteClicked()
{
    const std::optional<PaymentMethod> method = selectedMethod(QStringLiteral("请选择要删除的行！"));
    if (!method)
        return;
    reportIfFailed(m_store.remove(method->id), QStringLiteral("数据删除失败"));
}

void PaymentMethodWindow::reportIfFailed(const Done& result, const QString& failure)
{
    // A stored change refills the list through the methods' own announcement.
    if (!result)
        MessageBox::failed(this, failure, result.error());
}

} // namespace quorrel
