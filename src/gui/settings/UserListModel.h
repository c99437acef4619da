#pragma once

#include "core/shop/Users.h"

#include <QAbstractTableModel>

namespace quorrel {

// The users as the settings window lists them: row number, name, role (never the password).
class UserListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setUsers(QList<User> users);
    const User* userAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<User> m_users;
};

} // namespace quorrel
