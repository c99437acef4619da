#include "core/sales/SaleLinesModel.h"

namespace quorrel {

SaleLinesModel::SaleLinesModel(QObject* parent) : QAbstractTableModel(parent) {}

bool SaleLinesModel::addLine(const LineCells& line)
{
    const int row = m_sale.lineCount();
    Sale next = m_sale;
    if (!next.addLine(line))
        return false;
    beginInsertRows(QModelIndex(), row, row);
    m_sale = std::move(next);
    endInsertRows();
    return true;
}

bool SaleLinesModel::changeLine(int row, const LineCells& line)
{
    if (!m_sale.changeLine(row, line))
        return false;
    emit dataChanged(index(row, NameColumn), index(row, DiscountedColumn));
    return true;
}

void SaleLinesModel::removeLines(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    // The row numbers of the lines after the first removed one change too: reset the views.
    beginResetModel();
    m_sale.removeLines(rows);
    endResetModel();
}

void SaleLinesModel::clear()
{
    beginResetModel();
    m_sale.clear();
    endResetModel();
}

int SaleLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_sale.lineCount();
}

int SaleLinesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SaleLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_sale.lineCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return index.column() >= QuantityColumn ? QVariant(int(Qt::AlignCenter)) : QVariant();
    if (role != Qt::DisplayRole)
        return QVariant();
    const LineCells& line = m_sale.line(index.row());
    switch (index.column()) {
    case NumberColumn:
        return QString::number(index.row() + 1);
    case NameColumn:
        return line.name;
    case QuantityColumn:
        return line.quantity;
    case PriceColumn:
        return line.unitPrice;
    case AmountColumn:
        return line.amount;
    case DiscountedColumn:
        return line.discounted;
    default:
        return QVariant();
    }
}

QVariant SaleLinesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return section < QuantityColumn ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter))
                                        : QVariant(int(Qt::AlignCenter));
    if (role != Qt::DisplayRole)
        return QVariant();
    static const char16_t* const kTitles[] = {u"ID", u"        商品名称", u"数量", u"单价", u"总价", u"折后"};
    return QString::fromUtf16(kTitles[section]);
}

} // namespace quorrel
