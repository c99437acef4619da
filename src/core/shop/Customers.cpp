#include "core/shop/Customers.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QList<Customer>> Customers::all()
{
    auto records = m_db.query(QStringLiteral("select * from [客户资料] order by [ID]"));
    if (!records)
        return std::nullopt;
    QList<Customer> customers;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        customers.append({records->readField(QStringLiteral("ID")).toLongLong(), records->text(QStringLiteral("姓名")),
                          records->text(QStringLiteral("电话"))});
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return customers;
}

} // namespace quorrel
