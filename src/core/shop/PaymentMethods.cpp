#include "core/shop/PaymentMethods.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

std::optional<QList<PaymentMethod>> PaymentMethods::all()
{
    auto records = m_db.query(QStringLiteral("select * from [付款方式] order by [ID]"));
    if (!records)
        return std::nullopt;
    QList<PaymentMethod> methods;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        methods.append({records->readField(QStringLiteral("ID")).toLongLong(), records->text(QStringLiteral("方式"))});
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return methods;
}

bool PaymentMethods::add(const QString& name)
{
    return m_db.execute(QStringLiteral("insert into [付款方式] (方式 ) values (?)"), {name});
}

bool PaymentMethods::rename(qint64 id, const QString& name)
{
    return m_db.execute(QStringLiteral("update [付款方式] set [方式]=? where [ID]=?"), {name, id});
}

bool PaymentMethods::remove(qint64 id)
{
    return m_db.execute(QStringLiteral("delete from [付款方式] where [ID]=?"), {id});
}

} // namespace quorrel
