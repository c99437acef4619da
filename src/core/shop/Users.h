#pragma once

#include "core/shop/Session.h"

#include <QList>
#include <QString>

#include <optional>

namespace quorrel {

class Database;

// Whether a password can be stored: its digest is taken of its GBK bytes, where a character GBK
// cannot encode would turn into "?" and make two passwords one.
bool passwordEncodable(const QString& password);

struct User
{
    qint64 id = 0;
    QString name;
    QString role;

    bool isAdministrator() const { return isAdministratorRole(role); }
};

// The users table (用户登录). Names compare without regard to letter case in the table, and older
// files may hold the same name twice: a user is always identified by the row's ID once found.
// Readers give nullopt when the query fails (the database's lastError() tells why).
class Users
{
public:
    explicit Users(Database& db) : m_db(db) {}

    // Every user in the order they were added.
    std::optional<QList<User>> all();

    // The row with that ID; an empty result when there is none.
    std::optional<std::optional<User>> byId(qint64 id);

    // The row a remembered name stands for: the first row spelled exactly so, else the first whose
    // name differs only in letter case.
    std::optional<std::optional<User>> byName(const QString& name);

    enum class LoginOutcome
    {
        LoggedIn,
        WrongPassword,
        QueryFailed,
    };
    struct Login
    {
        LoginOutcome outcome = LoginOutcome::QueryFailed;
        User user; // the row the password was checked against, when logged in
    };
    // Checks the password against the rows spelled exactly as `name` (or, when there is none, the
    // rows whose name differs only in letter case), in the order they were added; the first row whose
    // password matches is the user. The role and name are that row's, never another's.
    Login logIn(const QString& name, const QString& password);

    // Whether another row (not `exceptId`) holds the name, letters compared without case.
    std::optional<bool> nameTaken(const QString& name, qint64 exceptId = 0);
    // How many administrators there are besides the row `exceptId`.
    std::optional<int> otherAdministrators(qint64 exceptId);

    // The password's digest is stored, never the password.
    bool add(const QString& name, const QString& role, const QString& password);
    // An empty password keeps the stored one. The name remembered for direct login follows a
    // rename, in the same transaction.
    bool update(qint64 id, const QString& name, const QString& role, const QString& password);
    // The name remembered for direct login is forgotten with its user, in the same transaction.
    bool remove(qint64 id);

private:
    std::optional<QList<User>> query(const QString& sql, const QVariantList& params, QList<QString>* digests);

    Database& m_db;
};

} // namespace quorrel
