#include "core/sales/ProductListModel.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

ProductListModel::ProductListModel(Database& db, QObject* parent) : QAbstractListModel(parent), m_db(db) {}

bool ProductListModel::reload()
{
    beginResetModel();
    m_rows.clear();
    m_lastId = 0;
    m_atEnd = false;
    m_failed = false;
    endResetModel();
    return readPage();
}

bool ProductListModel::readPage()
{
    if (m_atEnd)
        return false;
    // Pages follow the ID, the order the whole table is read in.
    auto records =
        m_db.query(QStringLiteral("select * from 商品名称 where ID > ? order by ID limit ?"), {m_lastId, kPageRows});
    if (!records) {
        m_failed = m_atEnd = true;
        return false;
    }
    QList<Row> page;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        page.append({records->text(QStringLiteral("代码")) + records->text(QStringLiteral("名称")),
                     records->text(QStringLiteral("单价"))});
        m_lastId = records->readField(QStringLiteral("ID")).toLongLong();
    }
    if (records->failed()) {
        m_failed = m_atEnd = true;
        return false;
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
