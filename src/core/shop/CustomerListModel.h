#pragma once

#include "core/shop/Customers.h"
#include "core/shop/NumberedListModel.h"

namespace quorrel {

// The customers a search found, in the order they were added: the row number, 姓名 and 电话. A
// list of a hundred thousand customers opens as fast as one of ten.
class CustomerListModel : public NumberedListModel<Customer>
{
public:
    enum Column
    {
        Number,
        Name,
        Phone,
    };

    explicit CustomerListModel(Customers& customers, QObject* parent = nullptr);

    // Starts again with the customers `search` finds; false when the first page could not be read.
    bool reload(const Customers::Search& search = {});
    // The same search again, as after the customers changed.
    bool refresh() { return restart(); }
    const Customer* customerAt(int row) const { return rowAt(row); }

protected:
    QString text(const Customer& customer, int column) const override;
    Result<QList<Customer>> readRows(qint64 afterId, int count) override;

private:
    Customers& m_customers;
    Customers::Search m_search;
};

} // namespace quorrel
