#include "core/sales/ProductListModel.h"

#include "core/shop/Products.h"

namespace quorrel {

ProductListModel::ProductListModel(Products& products, QObject* parent)
    : QAbstractListModel(parent), m_products(products)
{}

bool ProductListModel::reload()
{
    beginResetModel();
    m_rows.clear();
    m_lastId = 0;
    m_atEnd = false;
    m_failed = false;
    m_filled = true;
    endResetModel();
    return readPage();
}

bool ProductListModel::readPage()
{
    if (m_atEnd)
        return false;
    // Pages follow the ID, the order the whole table is read in.
    const Result<QList<Product>> products = m_products.page(m_lastId, kPageRows);
    m_readError = products.error();
    if (!products) {
        m_failed = m_atEnd = true;
        return false;
    }
    QList<Row> page;
    page.reserve(products->size());
    for (const Product& product : *products) {
        page.append({product.name, product.price});
        m_lastId = product.id;
    }
    m_atEnd = page.size() < kPageRows;
    if (page.isEmpty())
        return true;
    beginInsertRows(QModelIndex(), static_cast<int>(m_rows.size()), static_cast<int>(m_rows.size() + page.size() - 1));
    m_rows.append(page);
    endInsertRows();
    return true;
}

bool ProductListModel::ensureRow(int row)
{
    while (row >= m_rows.size() && !m_atEnd) {
        if (!readPage())
            break;
    }
    return row >= 0 && row < m_rows.size();
}

int ProductListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ProductListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_rows[index.row()].text;
    if (role == Qt::UserRole)
        return m_rows[index.row()].price;
    return QVariant();
}

bool ProductListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void ProductListModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid())
        readPage();
}

} // namespace quorrel
