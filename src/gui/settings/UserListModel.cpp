#include "gui/settings/UserListModel.h"

namespace quorrel {

void UserListModel::setUsers(QList<User> users)
{
    beginResetModel();
    m_users = std::move(users);
    endResetModel();
}

const User* UserListModel::userAt(int row) const
{
    return row >= 0 && row < m_users.size() ? &m_users[row] : nullptr;
}

int UserListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_users.size());
}

int UserListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant UserListModel::data(const QModelIndex& index, int role) const
{
    const User* user = userAt(index.row());
    if (!user)
        return {};
    if (role == Qt::UserRole)
        return user->id;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return QString::number(index.row() + 1);
    case 1:
        return user->name;
    case 2:
        return user->role;
    default:
        return {};
    }
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString titles[] = {QStringLiteral("序号"), QStringLiteral("用户名"), QStringLiteral("权限")};
    return section >= 0 && section < 3 ? titles[section] : QVariant();
}

} // namespace quorrel
