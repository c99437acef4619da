#pragma once

#include "core/sales/LineMath.h"

#include <QObject>
#include <QPersistentModelIndex>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorrel {

class CurrentSale;
class ProductLookup;
class Sale;

// The main window's units the entry of lines uses.
struct LineEntryBoxes
{
    QLineEdit* name = nullptr;
    QLineEdit* quantity = nullptr;
    QLineEdit* price = nullptr;
    QCheckBox* discount = nullptr;
    QComboBox* discountRate = nullptr;
    QAbstractItemView* list = nullptr; // shows the model
    QPushButton* change = nullptr;
    QPushButton* remove = nullptr;
    QLabel* totalQuantity = nullptr;
    QLabel* totalAmount = nullptr;
    QLabel* totalDiscounted = nullptr;
};

// Entering the lines of the sale: adding, changing and removing them, and the totals they make.
class LineItems : public QObject
{
    Q_OBJECT
public:
    LineItems(const LineEntryBoxes& boxes, CurrentSale& sale, ProductLookup& products, QWidget* owner);

    void addLine();
    void changeLine();
    void deleteLines();
    void rowSelected();
    void discountToggled(bool ticked);
    void refreshTotals();

    const Sale& sale() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LineEntry entry() const;
    QList<int> selectedRows() const;
    void resetEntry();
    void wheelOverQuantity(int step);
    void wheelOverPrice(int step);

    LineEntryBoxes m_boxes;
    CurrentSale& m_sale;
    ProductLookup& m_products;
    QWidget* m_owner;
    QPersistentModelIndex m_shownRow; // the row whose values the entry boxes were given
};

} // namespace quorrel
