#pragma once

#include "core/shop/NumberedListModel.h"
#include "core/shop/Users.h"

namespace quorrel {

// The users as the settings window lists them: row number, name, role (never the password).
class UserListModel : public NumberedListModel<User>
{
public:
    explicit UserListModel(QObject* parent = nullptr)
        : NumberedListModel({QStringLiteral("序号"), QStringLiteral("用户名"), QStringLiteral("权限")}, parent)
    {}

    void setUsers(QList<User> users) { setRows(std::move(users)); }
    const User* userAt(int row) const { return rowAt(row); }

protected:
    QString text(const User& user, int column) const override { return column == 1 ? user.name : user.role; }
};

} // namespace quorrel
