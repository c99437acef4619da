#pragma once

#include <QAbstractListModel>
#include <QList>

namespace quorrel {

class Products;

// The stored products for the name box's drop-down list, in the order they were stored: the name,
// the stored price under Qt::UserRole. Rows are read a page at a time as the list shows them, so
// opening the list costs the same with ten products or a million.
class ProductListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ProductListModel(Products& products, QObject* parent = nullptr);

    static constexpr int kPageRows = 256;

    // Starts again from the first stored product; false when the first page could not be read.
    bool reload();
    // Reads pages until `row` is there; false when there is no such row (or a read failed).
    bool ensureRow(int row);

    QString text(int row) const { return m_rows[row].text; }
    QString price(int row) const { return m_rows[row].price; }
    bool readFailed() const { return m_failed; }
    // Why the last page could not be read.
    const QString& readError() const { return m_readError; }
    // Whether the list has been filled since it was made.
    bool filled() const { return m_filled; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Row
    {
        QString text;
        QString price;
    };
    bool readPage();

    Products& m_products;
    QList<Row> m_rows;
    qint64 m_lastId = 0;
    bool m_atEnd = true;
    bool m_failed = false;
    bool m_filled = false;
    QString m_readError;
};

} // namespace quorrel
