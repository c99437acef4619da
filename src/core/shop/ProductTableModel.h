#pragma once

#include "core/shop/NumberedListModel.h"
#include "core/shop/Products.h"

namespace quorrel {

// The common products as the settings window lists them (row number, name, price), read a page at a
// time as the view scrolls, so a shop with a million products opens the page at once.
class ProductTableModel : public NumberedListModel<Product>
{
public:
    explicit ProductTableModel(Products& products, QObject* parent = nullptr);

    // Starts again from the first product; false when the read failed.
    bool reload() { return restart(); }
    const Product* productAt(int row) const { return rowAt(row); }

protected:
    QString text(const Product& product, int column) const override;
    Result<QList<Product>> readRows(qint64 afterId, int count) override;

private:
    Products& m_products;
};

} // namespace quorrel
