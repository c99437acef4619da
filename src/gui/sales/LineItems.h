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

    void addLine();
    void changeLine();
    void deleteLines();
    void rowSelected();
    void discountToggled(bool ticked);
    void refreshTotals();

    // The text of column `column` of every row; the cells of every row; emptying the list.
    QStringList columnCells(int column) const;
    QList<LineCells> lines() const;
    bool isEmpty() const;
    void clear();

    // The amount due: the discounted total when the discount is ticked, else the plain total.
    QString amountDue() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LineEntry entry() const;
    void resetEntry();
    void renumberRows();
    void wheelOverQuantity(int step);
    void wheelOverPrice(int step);

    Ui::MainWindow& m_ui;
    ProductLookup& m_products;
    QWidget* m_owner;
};

} // namespace quorrel
