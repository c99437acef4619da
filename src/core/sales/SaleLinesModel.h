#pragma once

#include "core/sales/Sale.h"

#include <QAbstractTableModel>

namespace quorrel {

// The lines of a sale for a list view: the row number, then name, quantity, unit price, amount and
// discounted amount, with the list's titles. Every change of the sale goes through here so that
// the views follow.
class SaleLinesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NumberColumn,
        NameColumn,
        QuantityColumn,
        PriceColumn,
        AmountColumn,
        DiscountedColumn,
        ColumnCount
    };

    explicit SaleLinesModel(QObject* parent = nullptr);

    const Sale& sale() const { return m_sale; }

    // False when the sale refused the line (its totals would not be held exactly).
    bool addLine(const LineCells& line);
    bool changeLine(int row, const LineCells& line);
    void removeLines(const QList<int>& rows);
    void clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    Sale m_sale;
};

} // namespace quorrel
