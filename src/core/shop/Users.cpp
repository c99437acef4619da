#include "core/shop/Users.h"

#include "core/store/Database.h"
#include "core/store/Gbk.h"
#include "core/store/RecordSet.h"
#include "core/store/Transaction.h"

namespace quorrel {

namespace {

// Rows spelled exactly as `name` first; only when there is none, those differing in letter case.
QList<qsizetype> candidates(const QList<User>& rows, const QString& name)
{
    QList<qsizetype> exact;
    QList<qsizetype> caseVariants;
    for (qsizetype i = 0; i < rows.size(); ++i)
        (rows[i].name == name ? exact : caseVariants).append(i);
    return exact.isEmpty() ? caseVariants : exact;
}

} // namespace

bool passwordEncodable(const QString& password)
{
    return fromGbk(toGbk(password)) == password;
}

std::optional<QList<User>> Users::query(const QString& sql, const QVariantList& params, QList<QString>* digests)
{
    auto records = m_db.query(sql, params);
    if (!records)
        return std::nullopt;
    QList<User> users;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        users.append(User{records->readField(QStringLiteral("ID")).toLongLong(),
                          records->text(QStringLiteral("用户名")), records->text(QStringLiteral("权限"))});
        if (digests)
            digests->append(records->text(QStringLiteral("密码")));
    }
    const bool failed = records->failed();
    records->close();
    if (failed)
        return std::nullopt;
    return users;
}

std::optional<QList<User>> Users::all()
{
    return query(QStringLiteral("select * from [用户登录] order by [ID]"), {}, nullptr);
}

std::optional<std::optional<User>> Users::byId(qint64 id)
{
    const std::optional<QList<User>> rows =
        query(QStringLiteral("select * from [用户登录] where [ID]=?"), {id}, nullptr);
    if (!rows)
        return std::nullopt;
    if (rows->isEmpty())
        return std::optional<User>();
    return std::optional<User>(rows->first());
}

std::optional<std::optional<User>> Users::byName(const QString& name)
{
    const std::optional<QList<User>> rows =
        query(QStringLiteral("select * from [用户登录] where [用户名]=? order by [ID]"), {name}, nullptr);
    if (!rows)
        return std::nullopt;
    const QList<qsizetype> found = candidates(*rows, name);
    if (found.isEmpty())
        return std::optional<User>();
    return std::optional<User>(rows->at(found.first()));
}

Users::Login Users::logIn(const QString& name, const QString& password)
{
    QList<QString> digests;
    const std::optional<QList<User>> rows =
        query(QStringLiteral("select * from [用户登录] where [用户名]=? order by [ID]"), {name}, &digests);
    if (!rows)
        return {LoginOutcome::QueryFailed, {}};
    const QString digest = passwordDigest(password);
    for (const qsizetype i : candidates(*rows, name)) {
        if (digests[i] == digest)
            return {LoginOutcome::LoggedIn, rows->at(i)};
    }
    return {LoginOutcome::WrongPassword, {}};
}

std::optional<bool> Users::nameTaken(const QString& name, qint64 exceptId)
{
    // The column compares without letter case.
    auto records =
        m_db.query(QStringLiteral("select count(*) from [用户登录] where [用户名]=? and [ID]<>?"), {name, exceptId});
    if (!records)
        return std::nullopt;
    records->moveFirst();
    const qint64 count = records->readField(1).toLongLong();
    records->close();
    return count > 0;
}

std::optional<int> Users::otherAdministrators(qint64 exceptId)
{
    auto records = m_db.query(QStringLiteral("select count(*) from [用户登录] where [权限]=? and [ID]<>?"),
                              {kAdministratorRole, exceptId});
    if (!records)
        return std::nullopt;
    records->moveFirst();
    const int count = static_cast<int>(records->readField(1).toLongLong());
    records->close();
    return count;
}

bool Users::add(const QString& name, const QString& role, const QString& password)
{
    return m_db.execute(QStringLiteral("insert into [用户登录] (用户名,权限,密码 ) values (?,?,?)"),
                        {name, role, passwordDigest(password)});
}

bool Users::update(qint64 id, const QString& name, const QString& role, const QString& password)
{
    const std::optional<std::optional<User>> before = byId(id);
    if (!before)
        return false;
    Transaction transaction(m_db);
    if (!transaction.began())
        return false;
    const bool stored =
        password.isEmpty()
            ? m_db.execute(QStringLiteral("update [用户登录] set [用户名]=?, [权限]=? where [ID]=?"), {name, role, id})
            : m_db.execute(QStringLiteral("update [用户登录] set [用户名]=?, [密码]=?, [权限]=? where [ID]=?"),
                           {name, passwordDigest(password), role, id});
    if (!stored)
        return false;
    if (*before && (*before)->name != name &&
        !m_db.execute(QStringLiteral("update [配置文件] set [用户登录]=? where [ID]=1 and [用户登录]=? collate binary"),
                      {name, (*before)->name}))
        return false;
    return transaction.commit();
}

bool Users::remove(qint64 id)
{
    const std::optional<std::optional<User>> before = byId(id);
    if (!before)
        return false;
    Transaction transaction(m_db);
    if (!transaction.began())
        return false;
    if (!m_db.execute(QStringLiteral("delete from [用户登录] where [ID]=?"), {id}))
        return false;
    if (*before &&
        !m_db.execute(
            QStringLiteral("update [配置文件] set [用户登录]='' where [ID]=1 and [用户登录]=? collate binary"),
            {(*before)->name}))
        return false;
    return transaction.commit();
}

} // namespace quorrel
