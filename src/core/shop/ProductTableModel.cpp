#include "core/shop/ProductTableModel.h"

namespace quorrel {

ProductTableModel::ProductTableModel(Products& products, QObject* parent)
    : NumberedListModel({QStringLiteral("序号"), QStringLiteral("商品名称"), QStringLiteral("单价")}, parent),
      m_products(products)
{}

QString ProductTableModel::text(const Product& product, int column) const
{
    // The shop's table has no product code to put before the name.
    return column == 1 ? product.name : product.price;
}

Result<QList<Product>> ProductTableModel::readRows(qint64 afterId, int count)
{
    return m_products.page(afterId, count);
}

} // namespace quorrel
