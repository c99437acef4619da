#include "gui/settings/ProductTableModel.h"

#include "core/store/Database.h"

#include <QDebug>

namespace quorrel {

ProductTableModel::ProductTableModel(Database& db, QObject* parent)
    : NumberedListModel({QStringLiteral("序号"), QStringLiteral("商品名称"), QStringLiteral("单价")}, parent), m_db(db)
{}

QString ProductTableModel::text(const Product& product, int column) const
{
    // The shop's table has no product code to put before the name.
    return column == 1 ? product.name : product.price;
}

std::optional<QList<Product>> ProductTableModel::readRows(qint64 afterId, int count)
{
    std::optional<QList<Product>> rows = Products(m_db).page(afterId, count);
    if (!rows)
        qWarning().noquote() << "products not read:" << m_db.lastError();
    return rows;
}

} // namespace quorrel
