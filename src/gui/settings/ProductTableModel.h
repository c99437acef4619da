#pragma once

#include "core/shop/Products.h"

#include <QAbstractTableModel>

namespace quorrel {

class Database;

// The common products as the settings window lists them (row number, name, price), read a page at a
// time as the view scrolls, so a shop with a million products opens the page at once.
class ProductTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ProductTableModel(Database& db, QObject* parent = nullptr);

    // Starts again from the first product; false when the read failed.
    bool reload();
    const Product* productAt(int row) const;
    // False when the last read failed (the caller reports it).
    bool lastReadFailed() const { return m_failed; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    Database& m_db;
    QList<Product> m_products;
    bool m_atEnd = false;
    bool m_failed = false;
};

} // namespace quorrel
