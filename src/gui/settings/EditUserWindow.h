#pragma once

#include "core/shop/Users.h"

#include <QDialog>

#include <memory>

namespace Ui {
class EditUserWindow;
}

namespace quorrel {

// Changes a user's name, role or password; empty password boxes keep the stored password.
class EditUserWindow : public QDialog
{
    Q_OBJECT
public:
    EditUserWindow(Users& users, User user, QWidget* parent = nullptr);
    ~EditUserWindow() override;

private:
    void changeClicked();

    std::unique_ptr<Ui::EditUserWindow> m_ui;
    Users& m_users;
    User m_user;
};

} // namespace quorrel
