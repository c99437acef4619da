#include "gui/settings/ProductTableModel.h"

#include <limits>

namespace quorrel {

namespace {
constexpr int kPage = 256;
} // namespace

ProductTableModel::ProductTableModel(Database& db, QObject* parent) : QAbstractTableModel(parent), m_db(db) {}

bool ProductTableModel::reload()
{
    beginResetModel();
    m_products.clear();
    m_atEnd = false;
    m_failed = false;
    endResetModel();
    fetchMore({});
    return !m_failed;
}

const Product* ProductTableModel::productAt(int row) const
{
    return row >= 0 && row < m_products.size() ? &m_products[row] : nullptr;
}

int ProductTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_products.size());
}

int ProductTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ProductTableModel::data(const QModelIndex& index, int role) const
{
    const Product* product = productAt(index.row());
    if (!product)
        return {};
    if (role == Qt::UserRole)
        return product->id;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return QString::number(index.row() + 1);
    case 1:
        return product->name; // the shop's table has no product code to put before it
    case 2:
        return product->price;
    default:
        return {};
    }
}

QVariant ProductTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString titles[] = {QStringLiteral("序号"), QStringLiteral("商品名称"), QStringLiteral("单价")};
    return section >= 0 && section < 3 ? titles[section] : QVariant();
}

bool ProductTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void ProductTableModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    const qint64 after = m_products.isEmpty() ? std::numeric_limits<qint64>::min() : m_products.last().id;
    const std::optional<QList<Product>> page = Products(m_db).page(after, kPage);
    if (!page) {
        m_failed = true;
        m_atEnd = true;
        return;
    }
    if (page->size() < kPage)
        m_atEnd = true;
    if (page->isEmpty())
        return;
    const int first = static_cast<int>(m_products.size());
    beginInsertRows({}, first, first + static_cast<int>(page->size()) - 1);
    m_products.append(*page);
    endInsertRows();
}

} // namespace quorrel
