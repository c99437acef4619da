#include "core/shop/CustomerListModel.h"

namespace quorrel {

CustomerListModel::CustomerListModel(Customers& customers, QObject* parent)
    : NumberedListModel({QStringLiteral("序号"), QStringLiteral("客户"), QStringLiteral("电话")}, parent),
      m_customers(customers)
{}

bool CustomerListModel::reload(const Customers::Search& search)
{
    m_search = search;
    return restart();
}

QString CustomerListModel::text(const Customer& customer, int column) const
{
    return column == Name ? customer.name : customer.phone;
}

Result<QList<Customer>> CustomerListModel::readRows(qint64 afterId, int count)
{
    return m_customers.page(m_search, afterId, count);
}

} // namespace quorrel
