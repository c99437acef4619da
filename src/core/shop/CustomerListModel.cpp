#include "core/shop/CustomerListModel.h"

#include "core/store/Database.h"

#include <QDebug>

namespace quorrel {

CustomerListModel::CustomerListModel(Database& db, QObject* parent)
    : NumberedListModel({QStringLiteral("序号"), QStringLiteral("客户"), QStringLiteral("电话")}, parent), m_db(db)
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

std::optional<QList<Customer>> CustomerListModel::readRows(qint64 afterId, int count)
{
    std::optional<QList<Customer>> rows = Customers(m_db).page(m_search, afterId, count);
    if (!rows)
        qWarning().noquote() << "customers not read:" << m_db.lastError();
    return rows;
}

} // namespace quorrel
