#pragma once

#include "core/shop/Permissions.h"
#include "core/shop/ShopTable.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
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

// A new or changed user as the add and edit windows hold it when their button is pressed.
struct UserForm
{
    QString name;
    QString password;
    QString confirmation;
    QString role;
};

// What the rules for users say of a change: it may be made, or why not.
enum class UserRule
{
    Allowed,
    NameEmpty,         // nothing but blanks
    PasswordsDiffer,   // the confirmation is not the password
    PasswordHasQuote,  // the login refuses passwords with quotes: the user could never log in
    PasswordUnusable,  // a character GBK cannot encode: two passwords would share one digest
    NameTaken,         // another user has the name, letters compared without case
    LastAdministrator, // the shop would be left without an administrator
    CurrentUser,       // the user logged in now cannot be deleted
};

// The users table (用户登录). Names compare without regard to letter case in the table, and older
// files may hold the same name twice: a user is always identified by the row's ID once found.
// Every change is announced with changed() once it is stored.
class Users : public ShopTable
{
    Q_OBJECT
public:
    explicit Users(Database& db, QObject* parent = nullptr) : ShopTable(db, parent) {}

    // Every user in the order they were added.
    Result<QList<User>> all();

    // The row with that ID; an empty result when there is none.
    Result<std::optional<User>> byId(qint64 id);

    // The row a remembered name stands for: the first row spelled exactly so, else the first whose
    // name differs only in letter case.
    Result<std::optional<User>> byName(const QString& name);

    enum class LoginOutcome
    {
        LoggedIn,
        WrongPassword,
        QueryFailed,
    };
    struct Login
    {
        LoginOutcome outcome = LoginOutcome::QueryFailed;
        User user;     // the row the password was checked against, when logged in
        QString error; // why the lookup failed
    };
    // Checks the password against the rows spelled exactly as `name` (or, when there is none, the
    // rows whose name differs only in letter case), in the order they were added; the first row whose
    // password matches is the user. The role and name are that row's, never another's.
    Login logIn(const QString& name, const QString& password);

    // The rules a new user, a changed user and a deletion must pass, checked in the order the
    // windows report them. `user` is the row as it was before the change. A name is taken without
    // its leading and trailing blanks, as it is stored: "admin " is admin.
    Result<UserRule> ruleForNew(const UserForm& form);
    Result<UserRule> ruleForChange(const User& user, const UserForm& form);
    Result<UserRule> ruleForRemoval(const User& user, qint64 currentUserId);

    // Each checks its rule again and stores only what it allows; Allowed means stored. The
    // password's digest is stored, never the password.
    Result<UserRule> add(const UserForm& form);
    // An empty password keeps the stored one. The name remembered for direct login follows a
    // rename, in the same transaction.
    Result<UserRule> update(const User& user, const UserForm& form);
    // The name remembered for direct login is forgotten with its user, in the same transaction.
    Result<UserRule> remove(const User& user, qint64 currentUserId);

private:
    Result<QList<User>> query(const QString& sql, const QVariantList& params, QList<QString>* digests);
    Result<UserRule> formRule(const UserForm& form, qint64 exceptId);
    // The shop may lose `user` as an administrator only when another one stays.
    Result<UserRule> ruleForLosing(const User& user);
    // How many administrators there are besides the row `exceptId`.
    Result<int> otherAdministrators(qint64 exceptId);
    // Runs `write` on the row `id` (as it was before) in one transaction once `rule` allows it, and
    // announces what was stored.
    Result<UserRule> changeIfAllowed(qint64 id, const std::function<Result<UserRule>()>& rule,
                                     const std::function<bool(const std::optional<User>& before)>& write);
};

} // namespace quorrel
