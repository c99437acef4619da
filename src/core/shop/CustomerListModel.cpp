#include "core/shop/CustomerListModel.h"

#include "core/store/Database.h"

#include <QDebug>

#include <limits>

namespace quorrel {

namespace {

constexpr int kPageRows = 256;

} // namespace

CustomerListModel::CustomerListModel(Database& db, QObject* parent) : QAbstractTableModel(parent), m_db(db) {}

bool CustomerListModel::reload(const Customers::Search& search)
{
    beginResetModel();
    m_search = search;
    m_customers.clear();
    m_atEnd = false;
    endResetModel();
    return readPage();
}

bool CustomerListModel::readPage()
{
    const qint64 after = m_customers.isEmpty() ? std::numeric_limits<qint64>::min() : m_customers.last().id;
    const std::optional<QList<Customer>> page = Customers(m_db).page(m_search, after, kPageRows);
    if (!page) {
        qWarning().noquote() << "customers not read:" << m_db.lastError();
        m_atEnd = true;
        return false;
    }
    m_atEnd = page->size() < kPageRows;
    if (!page->isEmpty()) {
        const int first = static_cast<int>(m_customers.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(page->size()) - 1);
        m_customers.append(*page);
        endInsertRows();
    }
    return true;
}

const Customer* CustomerListModel::customerAt(int row) const
{
    return row >= 0 && row < m_customers.size() ? &m_customers[row] : nullptr;
}

int CustomerListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_customers.size());
}

int CustomerListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CustomerListModel::data(const QModelIndex& index, int role) const
{
    const Customer* customer = customerAt(index.row());
    if (!customer)
        return QVariant();
    if (role == Qt::UserRole)
        return customer->id;
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    switch (index.column()) {
    case Number:
        return QString::number(index.row() + 1);
    case Name:
        return customer->name;
    case Phone:
        return customer->phone;
    default:
        return QVariant();
    }
}

QVariant CustomerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case Number:
        return QStringLiteral("序号");
    case Name:
        return QStringLiteral("客户");
    case Phone:
        return QStringLiteral("电话");
    default:
        return QVariant();
    }
}

bool CustomerListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void CustomerListModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid() && !m_atEnd)
        readPage();
}

} // namespace quorrel
