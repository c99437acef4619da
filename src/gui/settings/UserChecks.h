#pragma once

#include <QString>

class QWidget;

namespace quorrel {

class Database;

// What the add and edit windows hold when their button is pressed.
struct UserForm
{
    QString name;
    QString password;
    QString confirmation;
    QString role;
};

// The checks a new or changed user must pass after the boxes are filled: a password the login can
// take and its digest can tell apart, and a name no other user holds (letters compared without
// case). Shows the first problem, owned by `owner`, and gives false; `exceptId` is the user
// being changed (0 when adding).
bool checkUserForm(QWidget* owner, Database& db, const UserForm& form, qint64 exceptId);

} // namespace quorrel
