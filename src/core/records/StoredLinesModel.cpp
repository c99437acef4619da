#include "core/records/StoredLinesModel.h"

namespace quorrel {

QStringList StoredLinesModel::columnTitles()
{
    return {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("数量"),
            QStringLiteral("单价"), QStringLiteral("金额"), QStringLiteral("折后")};
}

void StoredLinesModel::setLines(const QList<SaleLine>& lines)
{
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

void StoredLinesModel::appendLine(const SaleLine& line)
{
    const int row = static_cast<int>(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(line);
    endInsertRows();
}

void StoredLinesModel::replaceLine(int row, const SaleLine& line)
{
    if (row < 0 || row >= m_lines.size())
        return;
    m_lines[row] = line;
    emit dataChanged(index(row, 0), index(row, 5));
}

void StoredLinesModel::removeLine(int row)
{
    if (row < 0 || row >= m_lines.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_lines.removeAt(row);
    endRemoveRows();
    if (row < m_lines.size()) // the rows below are numbered anew
        emit dataChanged(index(row, 0), index(static_cast<int>(m_lines.size()) - 1, 0));
}

QList<QStringList> StoredLinesModel::allRowTexts() const
{
    QList<QStringList> rows;
    for (int row = 0; row < m_lines.size(); ++row) {
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << cellText(row, column);
        rows.append(cells);
    }
    return rows;
}

int StoredLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int StoredLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 6;
}

QString StoredLinesModel::cellText(int row, int column) const
{
    const LineCells& c = m_lines.at(row).cells;
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        return c.name;
    case 2:
        return c.quantity;
    case 3:
        return c.unitPrice;
    case 4:
        return c.amount;
    default:
        return c.discounted;
    }
}

QVariant StoredLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::UserRole)
        return m_lines.at(index.row()).id;
    return QVariant();
}

QVariant StoredLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 6)
        return columnTitles().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace quorrel
