#include "core/shop/PaymentMethods.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"

namespace quorrel {

Result<QList<PaymentMethod>> PaymentMethods::all()
{
    auto records = m_db.query(QStringLiteral("select [ID], [方式] from [付款方式] order by [ID]"));
    if (!records)
        return m_db.failure();
    QList<PaymentMethod> methods;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        methods.append({records->readField(QStringLiteral("ID")).toLongLong(), records->text(QStringLiteral("方式"))});
    if (records->failed())
        return m_db.failure();
    return methods;
}

Done PaymentMethods::add(const QString& name)
{
    return announceIf(m_db.execute(QStringLiteral("insert into [付款方式] (方式 ) values (?)"), {name}));
}

Done PaymentMethods::rename(qint64 id, const QString& name)
{
    return announceIf(m_db.execute(QStringLiteral("update [付款方式] set [方式]=? where [ID]=?"), {name, id}));
}

Done PaymentMethods::remove(qint64 id)
{
    return announceIf(m_db.execute(QStringLiteral("delete from [付款方式] where [ID]=?"), {id}));
}

} // namespace quorrel
