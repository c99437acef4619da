#pragma once

#include "core/sales/ProductStore.h"

#include <QList>
#include <QObject>

class QLineEdit;

namespace quorrel {

class DropComboBox;
class ProductListModel;
class Products;

// The product name box: completion while typing, the drop-down list of stored products, the wheel
// through that list, and remembering a product the cashier typed.
class ProductLookup : public QObject
{
    Q_OBJECT
public:
    // `name` is typed into, `list` drops down the stored products over it, `price` receives the
    // price of a product found or picked. The list follows every change of the products.
    ProductLookup(QLineEdit* name, QLineEdit* price, DropComboBox* list, Products& products, QWidget* owner);

    // Stores the typed product unless it was found or picked; false after "添加失败！".
    bool rememberProduct();
    // The line being entered has been added: the next product starts afresh.
    void lineAdded();

    QString lastMatch() const { return m_lastMatch; }
    int typedLength() const { return m_typedLength; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keyDown();
    void keyUp(int key);
    bool lookup(const QString& text);
    void fillList();
    void productsChanged();
    void entryPicked(int index);
    void wheelOverName(int step);

    QLineEdit* m_name;
    QLineEdit* m_price;
    DropComboBox* m_list;
    Products& m_products;
    QWidget* m_owner;
    QString m_lastMatch;
    int m_typedLength = 0;
    bool m_productChosen = false;
    int m_wheelPosition = 0;
    ProductListModel* m_listModel;
};

} // namespace quorrel
