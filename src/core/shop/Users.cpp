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

Result<QList<User>> Users::query(const QString& sql, const QVariantList& params, QList<QString>* digests)
{
    auto records = m_db.query(sql, params);
    if (!records)
        return m_db.failure();
    QList<User> users;
    for (records->moveFirst(); !records->atEnd(); records->moveNext()) {
        users.append(User{records->readField(QStringLiteral("ID")).toLongLong(),
                          records->text(QStringLiteral("用户名")), records->text(QStringLiteral("权限"))});
        if (digests)
            digests->append(records->text(QStringLiteral("密码")));
    }
    if (records->failed())
        return m_db.failure();
    return users;
}

Result<QList<User>> Users::all()
{
    return query(QStringLiteral("select [ID], [用户名], [权限], [密码] from [用户登录] order by [ID]"), {}, nullptr);
}

Result<std::optional<User>> Users::byId(qint64 id)
{
    const Result<QList<User>> rows =
        query(QStringLiteral("select [ID], [用户名], [权限], [密码] from [用户登录] where [ID]=?"), {id}, nullptr);
    if (!rows)
        return Error{rows.error()};
    if (rows->isEmpty())
        return std::optional<User>();
    return std::optional<User>(rows->first());
}

Result<std::optional<User>> Users::byName(const QString& name)
{
    const Result<QList<User>> rows =
        query(QStringLiteral("select [ID], [用户名], [权限], [密码] from [用户登录] where [用户名]=? order by [ID]"),
              {name}, nullptr);
    if (!rows)
        return Error{rows.error()};
    const QList<qsizetype> found = candidates(*rows, name);
    if (found.isEmpty())
        return std::optional<User>();
    return std::optional<User>(rows->at(found.first()));
}

Users::Login Users::logIn(const QString& name, const QString& password)
{
    QList<QString> digests;
    const Result<QList<User>> rows =
        query(QStringLiteral("select [ID], [用户名], [权限], [密码] from [用户登录] where [用户名]=? order by [ID]"),
              {name}, &digests);
    if (!rows)
        return {LoginOutcome::QueryFailed, {}, rows.error()};
    const QString digest = passwordDigest(password);
    for (const qsizetype i : candidates(*rows, name)) {
        if (digests[i] == digest)
            return {LoginOutcome::LoggedIn, rows->at(i), {}};
    }
    return {LoginOutcome::WrongPassword, {}, {}};
}

Result<int> Users::otherAdministrators(qint64 exceptId)
{
    auto records = m_db.query(QStringLiteral("select count(*) from [用户登录] where [权限]=? and [ID]<>?"),
                              {kAdministratorRole, exceptId});
    if (!records)
        return m_db.failure();
    return static_cast<int>(records->readField(1).toLongLong());
}

Result<UserRule> Users::formRule(const UserForm& form, qint64 exceptId)
{
    if (form.name.trimmed().isEmpty())
        return UserRule::NameEmpty;
    if (form.password != form.confirmation)
        return UserRule::PasswordsDiffer;
    if (form.password.contains(u'\'') || form.password.contains(u'"'))
        return UserRule::PasswordHasQuote;
    if (!passwordEncodable(form.password))
        return UserRule::PasswordUnusable;
    // The column compares without letter case.
    auto taken = m_db.query(QStringLiteral("select count(*) from [用户登录] where [用户名]=? and [ID]<>?"),
                            {form.name.trimmed(), exceptId});
    if (!taken)
        return m_db.failure();
    if (taken->readField(1).toLongLong() > 0)
        return UserRule::NameTaken;
    return UserRule::Allowed;
}

Result<UserRule> Users::ruleForNew(const UserForm& form)
{
    return formRule(form, 0);
}

Result<UserRule> Users::ruleForLosing(const User& user)
{
    if (!user.isAdministrator())
        return UserRule::Allowed;
    const Result<int> others = otherAdministrators(user.id);
    if (!others)
        return Error{others.error()};
    return *others == 0 ? UserRule::LastAdministrator : UserRule::Allowed;
}

Result<UserRule> Users::ruleForChange(const User& user, const UserForm& form)
{
    const Result<UserRule> rule = formRule(form, user.id);
    if (!rule || *rule != UserRule::Allowed || isAdministratorRole(form.role))
        return rule;
    return ruleForLosing(user);
}

Result<UserRule> Users::ruleForRemoval(const User& user, qint64 currentUserId)
{
    if (user.id == currentUserId)
        return UserRule::CurrentUser;
    return ruleForLosing(user);
}

Result<UserRule> Users::add(const UserForm& form)
{
    const Result<UserRule> rule = ruleForNew(form);
    if (!rule || *rule != UserRule::Allowed)
        return rule;
    if (!m_db.execute(QStringLiteral("insert into [用户登录] (用户名,权限,密码 ) values (?,?,?)"),
                      {form.name.trimmed(), form.role, passwordDigest(form.password)}))
        return m_db.failure();
    emit changed();
    return UserRule::Allowed;
}

Result<UserRule> Users::changeIfAllowed(qint64 id, const std::function<Result<UserRule>()>& rule,
                                        const std::function<bool(const std::optional<User>& before)>& write)
{
    Transaction transaction(m_db);
    if (!transaction.began())
        return m_db.failure();
    // Checked inside the transaction, so that what is checked is what is changed.
    const Result<UserRule> allowed = rule();
    if (!allowed || *allowed != UserRule::Allowed)
        return allowed;
    const Result<std::optional<User>> before = byId(id);
    if (!before)
        return Error{before.error()};
    if (!write(*before) || !transaction.commit())
        return m_db.failure();
    emit changed();
    return UserRule::Allowed;
}

Result<UserRule> Users::update(const User& user, const UserForm& form)
{
    return changeIfAllowed(
        user.id, [&] { return ruleForChange(user, form); },
        [&](const std::optional<User>& before) {
            const QString name = form.name.trimmed();
            const bool stored =
                form.password.isEmpty()
                    ? m_db.execute(QStringLiteral("update [用户登录] set [用户名]=?, [权限]=? where [ID]=?"),
                                   {name, form.role, user.id})
                    : m_db.execute(QStringLiteral("update [用户登录] set [用户名]=?, [密码]=?, [权限]=? where [ID]=?"),
                                   {name, passwordDigest(form.password), form.role, user.id});
            // The name remembered for direct login follows a rename.
            return stored && (!before || before->name == name ||
                              m_db.execute(QStringLiteral("update [配置文件] set [用户登录]=? where [ID]=1 and "
                                                          "[用户登录]=? collate binary"),
                                           {name, before->name}));
        });
}

Result<UserRule> Users::remove(const User& user, qint64 currentUserId)
{
    return changeIfAllowed(
        user.id, [&] { return ruleForRemoval(user, currentUserId); },
        [&](const std::optional<User>& before) {
            // The name remembered for direct login is forgotten with its user.
            return m_db.execute(QStringLiteral("delete from [用户登录] where [ID]=?"), {user.id}) &&
                   (!before || m_db.execute(QStringLiteral("update [配置文件] set [用户登录]='' where [ID]=1 and "
                                                           "[用户登录]=? collate binary"),
                                            {before->name}));
        });
}

} // namespace quorrel
