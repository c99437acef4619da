#pragma once

#include "core/shop/Permissions.h"
#include "core/shop/Shop.h"
#include "core/shop/Till.h"
#include "core/store/Database.h"

#include <QString>

namespace quorrel {

// What the running program holds for its whole life: the connection, the shop on it, and who is
// logged in (one row of the users table, by its ID).
struct Session
{
    Database db;
    Shop shop{db};
    qint64 currentUserId = 0; // the 用户登录 row logged in; 0 until it is known
    QString currentUser;
    QString currentRole;
    QString till = tillName(); // this till's name, kept with its sales and changes

    bool isAdministrator() const { return isAdministratorRole(currentRole); }
    // Whether the logged-in role may do it; the windows build only what it may.
    bool may(Permission permission) const { return roleMay(currentRole, permission); }
};

} // namespace quorrel
