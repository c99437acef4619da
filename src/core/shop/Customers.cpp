#include "core/shop/Customers.h"

#include "core/store/Database.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

#include <QDebug>

namespace quorrel {

namespace {

// A partial telephone search of at least this many characters goes through 客户电话片段 (the schema
// indexes endings of this length and longer); a shorter part is in so many numbers that reading the
// customers in order finds a page of them at once.
constexpr qsizetype kShortestIndexedPart = 3;

// Every ending of at least kShortestIndexedPart characters of the numbers `source` selects (rows of
// the number, already folded, and its customer's ID): a part of a number is the start of one of its
// endings, so the customers holding a part are one range of 客户电话片段's key.
QString phoneEndings(const QString& source)
{
    return QStringLiteral("with recursive 尾(片段, 客户) as (") + source +
           QStringLiteral(" union all select substr(片段, 2), 客户 from 尾 where length(片段) > %1) ")
               .arg(kShortestIndexedPart);
}

// The numbers of `column` in the rows of `from` that `filter` lets through, with the customer's ID.
// Letters are folded as LIKE folds them (A-Z only), so a range of endings finds what LIKE would.
QString numbersOf(const QString& column, const QString& id, const QString& from, const QString& filter = QString())
{
    return QStringLiteral("select lower(%1), %2 from %3 where %4 length(%1) >= %5")
        .arg(column, id, from, filter.isEmpty() ? QString() : filter + QStringLiteral(" and"))
        .arg(kShortestIndexedPart);
}

const QString kIndexCurrentNumbers = QStringLiteral("insert or ignore into 客户电话片段 (片段, 客户) ");

// Takes in the numbers changed since the last search: the endings of a number a customer had are
// removed, those of the number they have now are added.
bool takeInChangedNumbers(Database& db)
{
    return db.execute(QStringLiteral("delete from 客户电话片段 where (片段, 客户) in (") +
                      phoneEndings(
                          numbersOf(QStringLiteral("旧电话"), QStringLiteral("客户"), QStringLiteral("客户电话待办"))) +
                      QStringLiteral("select 片段, 客户 from 尾)")) &&
           db.execute(kIndexCurrentNumbers +
                      phoneEndings(numbersOf(QStringLiteral("电话"), QStringLiteral("ID"), QStringLiteral("客户资料"),
                                             QStringLiteral("ID in (select 客户 from 客户电话待办)"))) +
                      QStringLiteral("select 片段, 客户 from 尾")) &&
           db.execute(QStringLiteral("delete from 客户电话待办"));
}

} // namespace

bool Customers::searchIndexReady()
{
    // A file that could not be upgraded has no index: the search then reads the customers in order.
    const std::optional<bool> exists = m_db.hasTable(QStringLiteral("客户电话片段"));
    if (!exists || !*exists)
        return false;
    // Searching is the usual case: no transaction unless a change is to be taken in.
    auto notes = m_db.query(QStringLiteral("select exists (select 1 from 客户电话待办)"));
    if (!notes)
        return false;
    if (notes->readField(1).toLongLong() == 0)
        return true;
    notes.reset();
    Transaction transaction(m_db);
    const bool ready = transaction.began() && takeInChangedNumbers(m_db) && transaction.commit();
    if (!ready)
        qWarning().noquote() << "telephone index not brought up to date:" << m_db.lastError();
    return ready;
}

Result<QList<Customer>> Customers::page(const Search& search, qint64 afterId, int count)
{
    QString sql = QStringLiteral("select [ID], [姓名], [电话] from [客户资料] where ");
    QVariantList params;
    if (search.field != Search::Field::All) {
        const bool phone = search.field == Search::Field::Phone;
        const QString column = phone ? QStringLiteral("[电话]") : QStringLiteral("[姓名]");
        // The typed text is a bound value; in a partial search its % and _ match themselves.
        if (search.partial) {
            if (phone && search.text.toUcs4().size() >= kShortestIndexedPart && searchIndexReady()) {
                sql += QStringLiteral("[ID] in (select 客户 from 客户电话片段 where 片段 >= lower(?) and "
                                      "片段 < lower(?) || char(1114111)) and ");
                params << search.text << search.text;
            }
            QString pattern = search.text;
            pattern.replace(u'\\', QStringLiteral("\\\\"))
                .replace(u'%', QStringLiteral("\\%"))
                .replace(u'_', QStringLiteral("\\_"));
            sql += column + QStringLiteral(" like ? escape '\\' and ");
            params << QStringLiteral("%") + pattern + QStringLiteral("%");
        } else {
            sql += column + QStringLiteral("=? and ");
            params << search.text;
        }
    }
    sql += QStringLiteral("[ID] > ? order by [ID] limit ?");
    params << afterId << count;
    auto records = m_db.query(sql, params);
    if (!records)
        return m_db.failure();
    QList<Customer> customers;
    for (records->moveFirst(); !records->atEnd(); records->moveNext())
        customers.append({records->readField(1).toLongLong(), records->text(2), records->text(3)});
    if (records->failed())
        return m_db.failure();
    return customers;
}

Done Customers::add(const QString& name, const QString& phone)
{
    return announceIf(m_db.execute(QStringLiteral("insert into [客户资料] (姓名,电话 ) values (?,?)"), {name, phone}));
}

Done Customers::update(qint64 id, const QString& name, const QString& phone)
{
    return announceIf(
        m_db.execute(QStringLiteral("update [客户资料] set [姓名]=?, [电话]=? where [ID]=?"), {name, phone, id}));
}

Done Customers::remove(qint64 id)
{
    return announceIf(m_db.execute(QStringLiteral("delete from [客户资料] where [ID]=?"), {id}));
}

} // namespace quorrel
