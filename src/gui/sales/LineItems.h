#pragma once

#include "core/sales/LineMath.h"

#include <QList>
#include <QObject>

namespace Ui {
class MainWindow;
}

namespace quorrel {

class ProductLookup;

// The lines of the sale being entered in the main window's list, with their totals.
class LineItems : public QObject
{
    Q_OBJECT
public:
    LineItems(Ui::MainWindow& ui, ProductLookup& products, QWidget* owner);

    void AddLine();
    void ChangeLine();
    void DeleteLines();
    void RowSelected();
    void DiscountToggled(bool ticked);
    void RefreshTotals();

    // The text of column `column` of every row; the cells of every row; emptying the list.
    QStringList ColumnCells(int column) const;
    QList<LineCells> Lines() const;
    bool IsEmpty() const;
    void Clear();

    // The amount due: the discounted total when the discount is ticked, else the plain total.
    QString AmountDue() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LineEntry Entry() const;
    void ResetEntry();
    void RenumberRows();
    void WheelOverQuantity(int step);
    void WheelOverPrice(int step);

    Ui::MainWindow& m_ui;
    ProductLookup& m_products;
    QWidget* m_owner;
};

} // namespace quorrel
