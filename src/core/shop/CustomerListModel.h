#pragma once

#include "core/shop/Customers.h"

#include <QAbstractTableModel>
#include <QList>

namespace quorrel {

class Database;

// The customers a search found, in the order they were added: the row number, 姓名 and 电话, the
// customer's ID under Qt::UserRole. Rows are read a page at a time as a view shows them, so a list
// of a hundred thousand customers opens as fast as one of ten.
class CustomerListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Number,
        Name,
        Phone,
        ColumnCount,
    };

    explicit CustomerListModel(Database& db, QObject* parent = nullptr);

    // Starts again with the customers `search` finds; false when the first page could not be read.
    bool reload(const Customers::Search& search = {});
    // The customer shown in `row`, or nullptr.
    const Customer* customerAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    bool readPage();

    Database& m_db;
    Customers::Search m_search;
    QList<Customer> m_customers;
    bool m_atEnd = true;
};

} // namespace quorrel
